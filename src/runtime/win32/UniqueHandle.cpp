#include "runtime/win32/UniqueHandle.h"

#include <windows.h>

namespace tavro::win32 {

void UniqueHandle::Reset(void* handle) noexcept {
  if (handle_)
    CloseHandle(handle_);
  handle_ = Valid(handle) ? handle : nullptr;
}

}  // namespace tavro::win32
