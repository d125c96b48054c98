// Stand-in emulator, Windows build.
//
// Each start appends one record to received-command-line.txt in the folder of
// this executable: the exact text of GetCommandLineW() in UTF-8, then CR LF.
// Unpaired UTF-16 surrogates, which UTF-8 cannot hold, become U+FFFD.
//
// Then it shows a small window naming the game (the last argument as
// CommandLineToArgvW splits the line) and runs until it is ended
// (taskkill /f) or its window is closed.
#include "StandIn.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string ToUtf8(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                      nullptr, nullptr);
  return result;
}

std::wstring ToWide(std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

class FileHandle final {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) {
      CloseHandle(handle_);
    }
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

class ArgumentList final {
 public:
  explicit ArgumentList(const wchar_t* commandLine)
      : arguments_(CommandLineToArgvW(commandLine, &count_)) {}
  ~ArgumentList() { LocalFree(arguments_); }
  ArgumentList(const ArgumentList&) = delete;
  ArgumentList& operator=(const ArgumentList&) = delete;
  // The first entry is the program itself, never the game.
  std::wstring_view Last() const {
    return arguments_ != nullptr && count_ > 1 ? arguments_[count_ - 1] : L"";
  }

 private:
  int count_ = 0;
  wchar_t** arguments_;
};

std::wstring OwnFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return {};
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// FILE_APPEND_DATA and one WriteFile: a reader never sees half a record and
// two starts never interleave.
void AppendRecord(const wchar_t* commandLine) {
  const std::string record = ToUtf8(commandLine) + "\r\n";
  const std::wstring file = OwnFolder() + ToWide(standin::kRecordFileName);
  FileHandle handle(CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (handle.get() == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(handle.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const wchar_t* commandLine = GetCommandLineW();
  AppendRecord(commandLine);
  const std::wstring body = ToWide(standin::BodyText(ToUtf8(ArgumentList(commandLine).Last())));

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"TavroStandInEmulator";
  if (RegisterClassExW(&windowClass) == 0) {
    return 1;
  }
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, ToWide(standin::kTitle).c_str(),
                                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                      standin::kLeft, standin::kTop, standin::kWidth,
                                      standin::kHeight, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  // The window owns the label and destroys it with itself.
  const HWND label = CreateWindowExW(
      0, L"STATIC", body.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
      16, 32, standin::kWidth - 48, 24, window, nullptr, instance, nullptr);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  ShowWindow(window, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
