#pragma once
// One thread of the program's own for work the start need not wait for:
// jobs run one after another in the order they were posted. The thread is
// made at the first job and ends once the queue is empty, to be made again
// for later work: under Wine every thread costs about a megabyte resident,
// and the program's work here comes at start-up and seldom after.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace tavro::win32 {

class Worker final {
 public:
  Worker() = default;
  // Returns once what is still queued has run.
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
  // Whether thread_ still takes jobs; once it has left Run it only remains
  // to be joined.
  bool thread_running_ = false;
  std::thread thread_;
};

}  // namespace tavro::win32
