// The floor of the launcher's whole window on Windows: the same 26 controls
// as standard Win32 controls at the launcher's places (its design table, at
// 96 DPI), the background and the logo decoded from the program's resources
// through WIC and drawn, and a 100 ms timer that does nothing; no settings,
// no folders made, no services. Its file list holds the disc images of the
// program's Game\WUD_WUX folder, and each selection shows the game's cover
// from Image\ at once, decoded at the size the 201 x 113 box shows it (WIC's
// scaler, or the decoder's own smaller sizes where it has them), the way a
// bare program would. What the launcher adds on top of this is its own.
//
//   tavro_reference_win32_form.exe

#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <map>
#include <string>
#include <vector>

#include "Win32Dib.h"
#include "window/Layout.h"

using Microsoft::WRL::ComPtr;

namespace {

using tavro::ControlKind;

constexpr wchar_t kClass[] = L"TavroReference";
constexpr wchar_t kPictureClass[] = L"TavroReferencePicture";
constexpr int kFileListId = 100;

struct Bitmap {
  HBITMAP handle = nullptr;
  int width = 0;
  int height = 0;
};

ComPtr<IWICImagingFactory> g_factory;
Bitmap g_background;
Bitmap g_logo;
Bitmap g_cover;
HWND g_cover_box = nullptr;
HWND g_files = nullptr;
std::wstring g_folder;

int Px(int twips) {
  return tavro::TwipsToPixels(twips, 96);
}

std::wstring Wide(const char* text) {
  std::wstring out(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0)), 0);
  MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), static_cast<int>(out.size()));
  out.pop_back();
  return out;
}

// The first frame as a 32-bit DIB, shrunk by WIC to fit a box when it is
// larger (box 0 x 0: at its own size); nothing when it cannot be read.
Bitmap Decode(IWICBitmapDecoder* decoder, SIZE box) {
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> source;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(decoder->GetFrame(0, frame.GetAddressOf())) ||
      FAILED(frame->GetSize(&width, &height))) {
    return {};
  }
  source = frame;
  if (box.cx > 0 && (width > static_cast<UINT>(box.cx) || height > static_cast<UINT>(box.cy))) {
    // Fitted, keeping the shape.
    UINT fit_w = static_cast<UINT>(box.cx);
    UINT fit_h = height * fit_w / width;
    if (fit_h > static_cast<UINT>(box.cy)) {
      fit_h = static_cast<UINT>(box.cy);
      fit_w = width * fit_h / height;
    }
    ComPtr<IWICBitmapScaler> scaler;
    if (SUCCEEDED(g_factory->CreateBitmapScaler(scaler.GetAddressOf())) &&
        SUCCEEDED(scaler->Initialize(frame.Get(), fit_w, fit_h, WICBitmapInterpolationModeFant))) {
      source = scaler;
      width = fit_w;
      height = fit_h;
    }
  }
  if (FAILED(g_factory->CreateFormatConverter(converter.GetAddressOf())) ||
      FAILED(converter->Initialize(source.Get(), GUID_WICPixelFormat32bppPBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return {};
  }
  HBITMAP bitmap = DibFromConverter(converter.Get(), width, height);
  if (!bitmap)
    return {};
  return {bitmap, static_cast<int>(width), static_cast<int>(height)};
}

Bitmap DecodeResource(int id) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  auto* data = static_cast<BYTE*>(loaded ? LockResource(loaded) : nullptr);
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  if (!data || FAILED(g_factory->CreateStream(stream.GetAddressOf())) ||
      FAILED(stream->InitializeFromMemory(data, SizeofResource(module, found))) ||
      FAILED(g_factory->CreateDecoderFromStream(
          stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.GetAddressOf()))) {
    return {};
  }
  return Decode(decoder.Get(), SIZE{});
}

void Draw(HDC dc, const Bitmap& bitmap, int x, int y) {
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, bitmap.handle);
  BitBlt(dc, x, y, bitmap.width, bitmap.height, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

// The selected game's cover, decoded at the size the box shows it; none:
// the picture stays; one that cannot be read: the logo.
void ShowCover() {
  const auto index = SendMessageW(g_files, LB_GETCURSEL, 0, 0);
  if (index < 0)
    return;
  std::wstring name(static_cast<size_t>(SendMessageW(g_files, LB_GETTEXTLEN, index, 0)), 0);
  SendMessageW(g_files, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name.data()));
  const std::wstring path = g_folder + L"\\Image\\" + name.substr(0, name.size() - 4) + L".jpg";
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    return;
  if (g_cover.handle)
    DeleteObject(g_cover.handle);
  ComPtr<IWICBitmapDecoder> decoder;
  g_cover = {};
  if (SUCCEEDED(g_factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                     WICDecodeMetadataCacheOnDemand,
                                                     decoder.GetAddressOf()))) {
    RECT box;
    GetClientRect(g_cover_box, &box);
    g_cover = Decode(decoder.Get(), SIZE{box.right, box.bottom});
  }
  InvalidateRect(g_cover_box, nullptr, FALSE);
}

LRESULT CALLBACK PictureProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT)
    return DefWindowProcW(window, message, wparam, lparam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  const Bitmap& shown = g_cover.handle && window == g_cover_box ? g_cover : g_logo;
  Draw(dc, shown, (client.right - shown.width) / 2, (client.bottom - shown.height) / 2);
  EndPaint(window, &ps);
  return 0;
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client;
      GetClientRect(window, &client);
      FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
      Draw(dc, g_background, 0, 0);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == kFileListId && HIWORD(wparam) == LBN_SELCHANGE)
        ShowCover();
      return 0;
    case WM_TIMER:
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

void FillFiles() {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((g_folder + L"\\Game\\WUD_WUX\\*.wud").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE)
    return;
  do {
    SendMessageW(g_files, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

void CreateControls(HWND window, HINSTANCE instance) {
  const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  // Where each frame lies; the frames are made last, so they lie under
  // what they hold (a child made later goes below those made before).
  std::map<std::string, POINT> origins;
  std::vector<const tavro::ControlDesign*> order;
  for (const auto& c : tavro::Form1Controls()) {
    POINT at{Px(c.left), Px(c.top)};
    if (const auto found = origins.find(c.container); found != origins.end())
      at = POINT{at.x + found->second.x, at.y + found->second.y};
    if (c.kind == ControlKind::kFrame)
      origins[c.name] = at;
    else
      order.push_back(&c);
  }
  for (const auto& c : tavro::Form1Controls()) {
    if (c.kind == ControlKind::kFrame)
      order.push_back(&c);
  }
  for (const tavro::ControlDesign* row : order) {
    const tavro::ControlDesign& c = *row;
    POINT at{Px(c.left), Px(c.top)};
    if (const auto found = origins.find(c.container); found != origins.end())
      at = POINT{at.x + found->second.x, at.y + found->second.y};
    const wchar_t* type = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (c.visible ? WS_VISIBLE : 0);
    DWORD ex_style = 0;
    HMENU id = nullptr;
    switch (c.kind) {
      case ControlKind::kTimer:
        SetTimer(window, 1, static_cast<UINT>(c.interval_ms), nullptr);
        continue;
      case ControlKind::kFrame:
        type = L"BUTTON";
        style |= BS_GROUPBOX;
        break;
      case ControlKind::kLabel:
      case ControlKind::kImage:
        break;
      case ControlKind::kTextBox:
        type = L"EDIT";
        style |= ES_MULTILINE | ES_READONLY;
        break;
      case ControlKind::kCommandButton:
        type = L"BUTTON";
        style |= BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
        break;
      case ControlKind::kOptionButton:
        type = L"BUTTON";
        style |= BS_AUTORADIOBUTTON | WS_TABSTOP;
        break;
      case ControlKind::kPictureBox:
        type = kPictureClass;
        break;
      case ControlKind::kFileListBox:
        id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFileListId));
        [[fallthrough]];
      case ControlKind::kDirListBox:
        type = L"LISTBOX";
        style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
        ex_style = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::kDriveListBox:
        type = L"COMBOBOX";
        style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
        break;
    }
    const bool drive = c.kind == ControlKind::kDriveListBox;
    HWND control =
        CreateWindowExW(ex_style, type, Wide(c.caption).c_str(), style, at.x, at.y, Px(c.width),
                        Px(c.height) * (drive ? 10 : 1), window, id, instance, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    if (c.kind == ControlKind::kOptionButton && c.value)
      SendMessageW(control, BM_SETCHECK, BST_CHECKED, 0);
    if (std::string(c.name) == "Picture1")
      g_cover_box = control;
    if (c.kind == ControlKind::kFileListBox) {
      g_files = control;
      FillFiles();
    }
    if (c.kind == ControlKind::kDirListBox)
      SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(g_folder.c_str()));
    if (drive) {
      SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"C:"));
      SendMessageW(control, CB_SETCURSEL, 0, 0);
    }
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  g_folder = exe;
  g_folder.resize(g_folder.rfind(L'\\'));
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CoCreateInstance(CLSID_WICImagingFactory1, nullptr, CLSCTX_INPROC_SERVER,
                   IID_PPV_ARGS(g_factory.GetAddressOf()));
  if (!g_factory)
    return 1;
  g_background = DecodeResource(1);
  g_logo = DecodeResource(2);

  WNDCLASSEXW type{};
  type.cbSize = sizeof(type);
  type.hInstance = instance;
  type.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  type.lpfnWndProc = PictureProcedure;
  type.lpszClassName = kPictureClass;
  RegisterClassExW(&type);
  type.lpfnWndProc = Procedure;
  type.lpszClassName = kClass;
  RegisterClassExW(&type);
  const auto& design = tavro::Form1Design();
  // Without WS_CLIPCHILDREN: the frames leave their inside to the window.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, Px(design.client_width), Px(design.client_height)};
  AdjustWindowRect(&frame, style, FALSE);
  HWND window = CreateWindowExW(0, kClass, L"Tavro Reference", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
  CreateControls(window, instance);
  ShowWindow(window, show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message))
      continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
