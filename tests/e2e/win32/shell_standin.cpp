// Stand-ins for the Windows shell's desktop ("Progman" / "Program Manager")
// and taskbar ("Shell_TrayWnd", empty title) windows, which Wine does not
// have or keeps to itself.
//   shell_standin.exe STATE_FILE X,Y [shown]
// Both sit at X,Y, clear of the window under test. They start hidden and the
// desktop disabled, as the launcher's keys leave them, or with "shown" as a
// desktop normally is. Ten times a second the program writes their state to
// STATE_FILE:
//   desktop=visible,enabled taskbar=visible
// While a file STATE_FILE.hang exists, the program stops answering (as a
// shell that hangs): it writes "hung" to STATE_FILE once and takes no
// message until the file is gone.
// It runs until it is killed or two minutes have passed.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr UINT_PTR kTick = 1;

struct StandIns {
  HWND desktop = nullptr;
  HWND taskbar = nullptr;
  const wchar_t* state_file = nullptr;
  int ticks = 0;
};

void WriteText(const StandIns& s, const std::string& text) {
  // Written beside and moved over, so a reader never sees half a line.
  const std::wstring temp = std::wstring(s.state_file) + L".tmp";
  if (FILE* f = _wfopen(temp.c_str(), L"wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    MoveFileExW(temp.c_str(), s.state_file, MOVEFILE_REPLACE_EXISTING);
  }
}

void WriteState(const StandIns& s) {
  WriteText(s, std::string("desktop=") + (IsWindowVisible(s.desktop) ? "visible" : "hidden") + "," +
                   (IsWindowEnabled(s.desktop) ? "enabled" : "disabled") +
                   " taskbar=" + (IsWindowVisible(s.taskbar) ? "visible" : "hidden") + "\n");
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) {
    auto* s = reinterpret_cast<StandIns*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const std::wstring hang = std::wstring(s->state_file) + L".hang";
    if (GetFileAttributesW(hang.c_str()) != INVALID_FILE_ATTRIBUTES) {
      WriteText(*s, "hung\n");
      while (GetFileAttributesW(hang.c_str()) != INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    }
    WriteState(*s);
    if (++s->ticks > 1200)
      PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

HWND Make(const wchar_t* cls, const wchar_t* title, POINT at) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls;
  RegisterClassW(&wc);
  return CreateWindowExW(WS_EX_TOOLWINDOW, cls, title, WS_POPUP, at.x, at.y, 200, 30, nullptr,
                         nullptr, wc.hInstance, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  POINT at{};
  if (argc < 3 || swscanf(argv[2], L"%ld,%ld", &at.x, &at.y) != 2)
    return 2;
  const bool shown = argc > 3 && std::wcscmp(argv[3], L"shown") == 0;
  StandIns s;
  s.state_file = argv[1];
  s.desktop = Make(L"Progman", L"Program Manager", at);
  s.taskbar = Make(L"Shell_TrayWnd", L"", at);
  if (!s.desktop || !s.taskbar)
    return 1;
  SetWindowLongPtrW(s.desktop, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&s));
  if (shown) {
    // Shown without taking the activation from the window under test.
    ShowWindow(s.desktop, SW_SHOWNOACTIVATE);
    ShowWindow(s.taskbar, SW_SHOWNOACTIVATE);
  } else {
    EnableWindow(s.desktop, FALSE);
  }
  SetTimer(s.desktop, kTick, 100, nullptr);
  WriteState(s);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    DispatchMessageW(&msg);
  return 0;
}
