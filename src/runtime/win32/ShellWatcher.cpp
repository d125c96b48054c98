#include "runtime/win32/ShellWatcher.h"

#include <cwchar>
#include <string>

#include "runtime/win32/ProcessGuards.h"

// After windows.h, which UniqueHandle.h brings.
#include <shellapi.h>

namespace tavro::win32 {

namespace {

// The desktop and the taskbar, and room to spare for a shell with more.
constexpr int kSlots = 4;

// A window handle fits 32 bits in 32- and 64-bit processes alike.
LONG SlotValue(std::uintptr_t window) {
  return static_cast<LONG>(static_cast<std::uint32_t>(window));
}

HANDLE HandleFromText(const wchar_t* text) {
  return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::wcstoull(text, nullptr, 10)));
}

bool IsShellWindow(HWND window) {
  wchar_t name[32] = {};
  if (!IsWindow(window) || GetClassNameW(window, name, 32) == 0)
    return false;
  return std::wcscmp(name, kDesktopClass) == 0 || std::wcscmp(name, kTaskbarClass) == 0;
}

}  // namespace

std::wstring OwnProgram() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD len = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (len == 0)
      return {};
    if (len < buffer.size()) {
      buffer.resize(len);
      return buffer;
    }
    if (buffer.size() >= 32768)
      return {};
    buffer.resize(buffer.size() * 2);
  }
}

ShellWatcher::~ShellWatcher() {
  Stop();
  if (slots_ != nullptr)
    UnmapViewOfFile(const_cast<LONG*>(slots_));
}

void ShellWatcher::Stop() {
  if (!watcher_)
    return;
  SetEvent(done_.get());
  // Briefly: it only shows what is left and ends. A watcher that does not
  // is not worth a launcher that hangs at its end.
  WaitForSingleObject(watcher_.get(), 2000);
  watcher_.reset();
}

void ShellWatcher::Hidden(std::uintptr_t window) {
  const LONG value = SlotValue(window);
  if (value == 0 || (slots_ == nullptr && !Start()))
    return;
  for (int i = 0; i < kSlots; ++i) {
    if (slots_[i] == value)
      return;
  }
  for (int i = 0; i < kSlots; ++i) {
    if (InterlockedCompareExchange(&slots_[i], value, 0) == 0)
      return;
  }
}

void ShellWatcher::Shown(std::uintptr_t window) {
  if (slots_ == nullptr)
    return;
  const LONG value = SlotValue(window);
  for (int i = 0; i < kSlots; ++i)
    InterlockedCompareExchange(&slots_[i], 0, value);
}

bool ShellWatcher::Start() {
  const std::wstring& program = program_;
  if (program.empty())
    return false;
  UniqueKernelHandle block(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                              kSlots * sizeof(LONG), nullptr));
  UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!block || !done)
    return false;
  auto* slots = static_cast<volatile LONG*>(MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (slots == nullptr)
    return false;
  // Inheritable copies for the watcher alone, closed again once it runs.
  const HANDLE here = GetCurrentProcess();
  HANDLE copies[3] = {};
  const bool copied =
      DuplicateHandle(here, here, here, &copies[0], SYNCHRONIZE, TRUE, 0) &&
      DuplicateHandle(here, block.get(), here, &copies[1], FILE_MAP_READ, TRUE, 0) &&
      DuplicateHandle(here, done.get(), here, &copies[2], SYNCHRONIZE, TRUE, 0);
  PROCESS_INFORMATION process{};
  if (copied) {
    std::wstring line = L"\"" + program + L"\" " + kShellWatcherArgument;
    for (const HANDLE copy : copies)
      line += L" " + std::to_wstring(reinterpret_cast<std::uintptr_t>(copy));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
      process.hProcess = nullptr;
  }
  for (const HANDLE copy : copies) {
    if (copy != nullptr)
      CloseHandle(copy);
  }
  if (process.hProcess == nullptr) {
    UnmapViewOfFile(const_cast<LONG*>(slots));
    return false;
  }
  CloseHandle(process.hThread);
  watcher_.reset(process.hProcess);
  block_ = std::move(block);
  done_ = std::move(done);
  slots_ = slots;
  return true;
}

int RunShellWatcher(const wchar_t* process_handle, const wchar_t* block_handle,
                    const wchar_t* done_handle) {
  const UniqueKernelHandle launcher(HandleFromText(process_handle));
  const UniqueKernelHandle block(HandleFromText(block_handle));
  const UniqueKernelHandle done(HandleFromText(done_handle));
  if (!launcher || !block || !done)
    return 2;
  const auto* slots =
      static_cast<const volatile LONG*>(MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, 0));
  if (slots == nullptr)
    return 2;
  const HANDLE ends[] = {launcher.get(), done.get()};
  WaitForMultipleObjects(2, ends, FALSE, INFINITE);
  for (int i = 0; i < kSlots; ++i) {
    // Only a window that still is the desktop or the taskbar: a handle
    // freed since may name another program's window now.
    const auto window =
        reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(slots[i])));
    if (window != nullptr && IsShellWindow(window)) {
      ShowWindow(window, SW_SHOW);
      EnableWindow(window, TRUE);
    }
  }
  UnmapViewOfFile(const_cast<LONG*>(slots));
  return 0;
}

int RunAsShellWatcher() {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  int status = -1;
  if (args != nullptr && count == 5 && std::wcscmp(args[1], kShellWatcherArgument) == 0)
    status = RunShellWatcher(args[2], args[3], args[4]);
  LocalFree(args);
  return status;
}

}  // namespace tavro::win32
