#include "runtime/win32/Worker.h"

#include <system_error>
#include <utility>

namespace tavro::win32 {

Worker::~Worker() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable())
    thread_.join();
}

void Worker::Post(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread(&Worker::Run, this);
      } catch (const std::system_error&) {
      }
    }
    if (thread_.joinable()) {
      jobs_.push_back(std::move(job));
      job = nullptr;
    }
  }
  if (job) {
    try {
      job();
    } catch (...) {
    }
    return;
  }
  changed_.notify_all();
}

void Worker::Drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return jobs_.empty() && !running_job_; });
}

void Worker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
    if (jobs_.empty())
      return;  // stopping, and nothing left to do
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
