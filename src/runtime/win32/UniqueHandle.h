#pragma once
// The one owner of Win32 handles: each frees its handle once with the
// function made for it, moves, and cannot be copied. A call that failed
// (a null handle, or INVALID_HANDLE_VALUE from the kernel's calls) leaves
// the owner empty.

#include <windows.h>

#include <type_traits>
#include <utility>

namespace tavro::win32 {

template <typename H, auto Free>
class UniqueHandle final {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H handle) noexcept : handle_(Valid(handle) ? handle : nullptr) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      reset(other.release());
    return *this;
  }

  H get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  H release() noexcept { return std::exchange(handle_, nullptr); }
  void reset(H handle = nullptr) noexcept {
    if (handle_ != nullptr)
      Free(handle_);
    handle_ = Valid(handle) ? handle : nullptr;
  }

 private:
  static bool Valid(H handle) noexcept {
    if constexpr (std::is_same_v<H, HANDLE>)
      return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    else
      return handle != nullptr;
  }
  H handle_ = nullptr;
};

inline void CloseKernelHandle(HANDLE handle) noexcept {
  CloseHandle(handle);
}
// Events, mutexes, processes, files.
using UniqueKernelHandle = UniqueHandle<HANDLE, CloseKernelHandle>;

}  // namespace tavro::win32
