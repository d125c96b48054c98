#include "runtime/win32/WindowEnabler.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace tavro::win32 {

struct WindowEnabler::Queue {
  std::mutex mutex;
  std::condition_variable changed;
  // The call being made stays first until it returns.
  std::deque<std::pair<HWND, bool>> calls;
  bool closing = false;
};

namespace {

void MakeCalls(const std::shared_ptr<WindowEnabler::Queue>& queue) {
  std::unique_lock lock(queue->mutex);
  for (;;) {
    queue->changed.wait(lock, [&] { return queue->closing || !queue->calls.empty(); });
    if (queue->calls.empty())
      return;
    const auto [window, enable] = queue->calls.front();
    lock.unlock();
    EnableWindow(window, enable ? TRUE : FALSE);
    lock.lock();
    queue->calls.pop_front();
    queue->changed.notify_all();
  }
}

}  // namespace

WindowEnabler::~WindowEnabler() {
  if (!queue_)
    return;
  const std::lock_guard lock(queue_->mutex);
  queue_->closing = true;
  queue_->changed.notify_all();
}

void WindowEnabler::Enable(HWND window, bool enable) {
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    EnableWindow(window, enable ? TRUE : FALSE);
    return;
  }
  if (!queue_) {
    // The thread comes with the first call: none at the start.
    auto queue = std::make_shared<Queue>();
    try {
      std::thread(MakeCalls, queue).detach();
    } catch (const std::system_error&) {
      // No thread to be had: made here, as before there was one.
      EnableWindow(window, enable ? TRUE : FALSE);
      return;
    }
    queue_ = std::move(queue);
  }
  const std::lock_guard lock(queue_->mutex);
  queue_->calls.emplace_back(window, enable);
  queue_->changed.notify_all();
}

std::vector<HWND> WindowEnabler::Finish(DWORD wait_ms) {
  if (!queue_)
    return {};
  std::unique_lock lock(queue_->mutex);
  queue_->changed.wait_for(lock, std::chrono::milliseconds(wait_ms),
                           [&] { return queue_->calls.empty(); });
  std::vector<HWND> left;
  for (const auto& call : queue_->calls) {
    if (std::find(left.begin(), left.end(), call.first) == left.end())
      left.push_back(call.first);
  }
  return left;
}

}  // namespace tavro::win32
