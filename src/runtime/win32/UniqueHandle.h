#pragma once
// Owner of one kernel handle (a HANDLE is a void*, so this header needs no
// windows.h): closed exactly once, never copied.

#include <cstdint>
#include <utility>

namespace tavro::win32 {

class UniqueHandle final {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(void* handle) noexcept : handle_(Valid(handle) ? handle : nullptr) {}
  ~UniqueHandle() { Reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other)
      Reset(std::exchange(other.handle_, nullptr));
    return *this;
  }

  void* Get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != nullptr; }
  void Reset(void* handle = nullptr) noexcept;

 private:
  // Some calls fail with a null handle, others with INVALID_HANDLE_VALUE (-1).
  static bool Valid(void* handle) noexcept {
    return handle != nullptr && handle != reinterpret_cast<void*>(~static_cast<std::uintptr_t>(0));
  }
  void* handle_ = nullptr;
};

}  // namespace tavro::win32
