#include "runtime/win32/Worker.h"

#include <system_error>
#include <utility>

namespace tavro::win32 {

Worker::~Worker() {
  // The thread ends by itself once the queue is empty.
  if (thread_.joinable())
    thread_.join();
}

void Worker::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    if (!thread_running_) {
      // A thread that has left Run no longer needs the lock we hold.
      if (thread_.joinable())
        thread_.join();
      try {
        thread_ = std::thread(&Worker::Run, this);
        thread_running_ = true;
      } catch (const std::system_error&) {
      }
    }
    if (thread_running_) {
      jobs_.push_back(std::move(job));
      job = nullptr;
    }
  }
  if (job) {
    try {
      job();
    } catch (...) {
    }
  }
}

void Worker::Drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.empty() && !running_job_; });
}

void Worker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    if (jobs_.empty()) {
      thread_running_ = false;
      return;  // made again by the next Post
    }
    std::function<void()> job = std::move(jobs_.front());
    jobs_.pop_front();
    running_job_ = true;
    lock.unlock();
    try {
      job();
    } catch (...) {
    }
    lock.lock();
    running_job_ = false;
    changed_.notify_all();
  }
}

}  // namespace tavro::win32
