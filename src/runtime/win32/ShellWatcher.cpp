#include "runtime/win32/ShellWatcher.h"

#include <cwchar>
#include <string>
#include <vector>

#include "runtime/win32/ProcessGuards.h"

namespace tavro::win32 {

namespace {

// The desktop and the taskbar, and room to spare for a shell with more;
// after them, the watcher's process handle, valid in the launcher, which
// the go-between leaves there.
constexpr int kSlots = 4;
constexpr int kWatcherSlot = kSlots;
constexpr DWORD kBlockSize = (kSlots + 1) * sizeof(LONG);
// How long a normal end waits for the watcher.
constexpr DWORD kStopWait = 2000;

// A window or kernel handle fits 32 bits in 32- and 64-bit processes alike.
LONG SlotValue(std::uintptr_t handle) {
  return static_cast<LONG>(static_cast<std::uint32_t>(handle));
}

std::uintptr_t FromSlot(LONG value) {
  return static_cast<std::uintptr_t>(static_cast<std::uint32_t>(value));
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

// The words of this process's command line after the program's name. Only
// our own lines matter here (an argument and three numbers), so words are
// split at blanks and quotes are taken only around the program's name.
std::vector<std::wstring> ArgumentWords() {
  const wchar_t* at = GetCommandLineW();
  if (*at == L'"') {
    at = std::wcschr(at + 1, L'"');
    at = at == nullptr ? L"" : at + 1;
  } else {
    while (*at != L'\0' && *at != L' ' && *at != L'\t')
      ++at;
  }
  std::vector<std::wstring> words;
  for (;;) {
    while (*at == L' ' || *at == L'\t')
      ++at;
    if (*at == L'\0')
      return words;
    const wchar_t* end = at;
    while (*end != L'\0' && *end != L' ' && *end != L'\t')
      ++end;
    words.emplace_back(at, end);
    at = end;
  }
}

// program started with the argument and the three inherited handles' values.
bool StartWithHandles(const std::wstring& program, const wchar_t* argument,
                      const std::wstring (&handles)[3], DWORD flags, PROCESS_INFORMATION& process) {
  std::wstring line = L"\"" + program + L"\" " + argument;
  for (const auto& handle : handles)
    line += L" " + handle;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        nullptr, &startup, &process) != FALSE;
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

std::wstring ShellWatcherProgram() {
  const std::wstring own = OwnProgram();
  const auto slash = own.find_last_of(L'\\');
  if (slash == std::wstring::npos)
    return own;
  const std::wstring watcher = own.substr(0, slash + 1) + kShellWatcherProgram;
  const DWORD attributes = GetFileAttributesW(watcher.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return own;
  return watcher;
}

ShellWatcher::~ShellWatcher() {
  Stop();
  if (slots_ != nullptr)
    UnmapViewOfFile(const_cast<LONG*>(slots_));
}

void ShellWatcher::Stop() {
  if (!go_between_)
    return;
  SetEvent(done_.get());
  // Briefly: the watcher only shows what is left and ends. One that does
  // not (a shell that stopped answering) is not worth a launcher that
  // hangs at its end; it finishes on its own.
  const DWORD started = GetTickCount();
  if (WaitForSingleObject(go_between_.get(), kStopWait) == WAIT_OBJECT_0) {
    const UniqueKernelHandle watcher(reinterpret_cast<HANDLE>(FromSlot(slots_[kWatcherSlot])));
    const DWORD spent = GetTickCount() - started;
    if (watcher && spent < kStopWait)
      WaitForSingleObject(watcher.get(), kStopWait - spent);
  }
  go_between_.reset();
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
  UniqueKernelHandle block(
      CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBlockSize, nullptr));
  UniqueKernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!block || !done)
    return false;
  auto* slots = static_cast<volatile LONG*>(MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (slots == nullptr)
    return false;
  // Inheritable copies for the go-between and the watcher alone, closed
  // again once the go-between runs. The go-between hands back the watcher's
  // handle into this process and through the block.
  const HANDLE here = GetCurrentProcess();
  HANDLE copies[3] = {};
  const bool copied =
      DuplicateHandle(here, here, here, &copies[0], SYNCHRONIZE | PROCESS_DUP_HANDLE, TRUE, 0) &&
      DuplicateHandle(here, block.get(), here, &copies[1], FILE_MAP_READ | FILE_MAP_WRITE, TRUE,
                      0) &&
      DuplicateHandle(here, done.get(), here, &copies[2], SYNCHRONIZE, TRUE, 0);
  PROCESS_INFORMATION process{};
  if (copied) {
    std::wstring handles[3];
    for (int i = 0; i < 3; ++i)
      handles[i] = std::to_wstring(reinterpret_cast<std::uintptr_t>(copies[i]));
    if (!StartWithHandles(program, kShellWatcherArgument, handles, CREATE_NO_WINDOW, process))
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
  go_between_.reset(process.hProcess);
  block_ = std::move(block);
  done_ = std::move(done);
  slots_ = slots;
  return true;
}

int StartShellWatcher(const wchar_t* process_handle, const wchar_t* block_handle,
                      const wchar_t* done_handle) {
  const UniqueKernelHandle launcher(HandleFromText(process_handle));
  const UniqueKernelHandle block(HandleFromText(block_handle));
  if (!launcher || !block)
    return 2;
  auto* slots = static_cast<volatile LONG*>(MapViewOfFile(block.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (slots == nullptr)
    return 2;
  // The handles are inheritable here as they were in the launcher, so the
  // watcher inherits them under the same values.
  const std::wstring handles[3] = {process_handle, block_handle, done_handle};
  const std::wstring program = OwnProgram();
  PROCESS_INFORMATION process{};
  // Out of the launcher's job, should it have one that ends its processes
  // with it; where the job forbids that, in it.
  const bool started =
      StartWithHandles(program, kShellWatcherRunArgument, handles,
                       CREATE_NO_WINDOW | CREATE_BREAKAWAY_FROM_JOB, process) ||
      StartWithHandles(program, kShellWatcherRunArgument, handles, CREATE_NO_WINDOW, process);
  if (started) {
    const UniqueKernelHandle watcher(process.hProcess);
    const UniqueKernelHandle thread(process.hThread);
    HANDLE in_launcher = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), watcher.get(), launcher.get(), &in_launcher,
                        SYNCHRONIZE, FALSE, 0)) {
      InterlockedExchange(&slots[kWatcherSlot],
                          SlotValue(reinterpret_cast<std::uintptr_t>(in_launcher)));
    }
  }
  UnmapViewOfFile(const_cast<LONG*>(slots));
  return started ? 0 : 1;
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
    const auto window = reinterpret_cast<HWND>(FromSlot(slots[i]));
    if (window != nullptr && IsShellWindow(window)) {
      // Nothing waits on this process: should the shell have stopped
      // answering, EnableWindow waits here until it answers again.
      ShowWindowAsync(window, SW_SHOW);
      EnableWindow(window, TRUE);
    }
  }
  UnmapViewOfFile(const_cast<LONG*>(slots));
  return 0;
}

int RunAsShellWatcher() {
  const std::vector<std::wstring> words = ArgumentWords();
  if (words.size() != 4)
    return -1;
  if (words[0] == kShellWatcherArgument)
    return StartShellWatcher(words[1].c_str(), words[2].c_str(), words[3].c_str());
  if (words[0] == kShellWatcherRunArgument)
    return RunShellWatcher(words[1].c_str(), words[2].c_str(), words[3].c_str());
  return -1;
}

}  // namespace tavro::win32
