// The floor the Windows program is measured against: a bare Win32 window of
// the launcher's client size, and (TAVRO_REFERENCE_PICTURE) the same window
// drawing the launcher's background picture, decoded from the program's
// resources through WIC as a bare program would, with one STATIC text.
// Nothing else: no settings, no lists, no icons, no common controls.
//
//   tavro_reference_win32[_picture].exe [--spawn PROGRAM]
//
// With --spawn, a click anywhere in the window starts PROGRAM through a bare
// CreateProcessW: the floor of "Play Game" to the emulator started.

#include <windows.h>
#include <wincodec.h>

#include <cwchar>
#include <string>

#include "Win32Dib.h"

namespace {

constexpr wchar_t kClass[] = L"TavroReference";
constexpr int kWidth = 802;
constexpr int kHeight = 386;

std::wstring g_spawn;
HBITMAP g_background = nullptr;
int g_background_width = 0;
int g_background_height = 0;

#ifdef TAVRO_REFERENCE_PICTURE
// Keeps a COM interface for the length of a scope.
template <typename T>
struct Com {
  T* p = nullptr;
  Com() = default;
  Com(const Com&) = delete;
  Com& operator=(const Com&) = delete;
  ~Com() {
    if (p)
      p->Release();
  }
};

// The picture from the RCDATA resource 1, as a top-down 32-bit DIB.
void LoadBackground() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  auto* data = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
  if (!data)
    return;
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapDecoder> decoder;
  Com<IWICBitmapFrameDecode> frame;
  Com<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&factory.p))) ||
      FAILED(factory.p->CreateStream(&stream.p)) ||
      FAILED(stream.p->InitializeFromMemory(data, SizeofResource(module, found))) ||
      FAILED(factory.p->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder.p)) ||
      FAILED(decoder.p->GetFrame(0, &frame.p)) ||
      FAILED(factory.p->CreateFormatConverter(&converter.p)) ||
      FAILED(converter.p->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)) ||
      FAILED(converter.p->GetSize(&width, &height))) {
    return;
  }
  HBITMAP bitmap = DibFromConverter(converter.p, width, height);
  if (!bitmap)
    return;
  g_background = bitmap;
  g_background_width = static_cast<int>(width);
  g_background_height = static_cast<int>(height);
}
#endif

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  if (g_background) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, g_background);
    BitBlt(dc, 0, 0, g_background_width, g_background_height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(window, &ps);
}

void Spawn() {
  if (g_spawn.empty())
    return;
  std::wstring command = L"\"" + g_spawn + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  if (CreateProcessW(g_spawn.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                     &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_LBUTTONUP:
      Spawn();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int show) {
  // Everything after "--spawn " is the program's path, blanks and all.
  if (const wchar_t* at = std::wcsstr(command_line, L"--spawn "))
    g_spawn = at + 8;
#ifdef TAVRO_REFERENCE_PICTURE
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  LoadBackground();
#endif
  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.lpfnWndProc = Procedure;
  type.hInstance = instance;
  type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  type.lpszClassName = kClass;
  RegisterClassExW(&type);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, kWidth, kHeight};
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, kClass, L"Tavro Reference", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
#ifdef TAVRO_REFERENCE_PICTURE
  HWND text =
      CreateWindowExW(0, L"STATIC", L"Select a game and press Play Game", WS_CHILD | WS_VISIBLE, 16,
                      16, 400, 20, window, nullptr, instance, nullptr);
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
#endif
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (g_background)
    DeleteObject(g_background);
  return 0;
}
