#pragma once
// One thread of the program's own for work the start need not wait for:
// jobs run one after another in the order they were posted. The thread is
// made at the first job and then waits for more without waking; under Wine
// every thread costs about a megabyte, so the program keeps to this one.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavro::win32 {

class Worker final {
 public:
  Worker() = default;
  // Runs what is still queued, then ends the thread.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // A job that throws ends quietly; the next one runs all the same. When no
  // thread can be had, the job runs here and now.
  void Post(std::function<void()> job);
  // Returns once every job posted so far has run.
  void Drain();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> jobs_;
  bool running_job_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tavro::win32
