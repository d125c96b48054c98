#include "view/win32/ChildWindows.h"

#include <windowsx.h>

#include <algorithm>

#include "view/win32/Handles.h"
#include "view/win32/Wide.h"
#include "view/win32/Win32Picture.h"
#include "window/ViewContract.h"

namespace tavro::win32ui {

HBRUSH ParentBrush(HWND child, HDC dc) {
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(child), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(child)));
  return brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

// --- FrameWindow -----------------------------------------------------------

HWND FrameWindow::Create(HWND parent, int id, const wchar_t* caption, DWORD style, const RECT& at) {
  return CreateAs(0, caption, style, at.left, at.top, at.right - at.left, at.bottom - at.top,
                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wparam);
      if (LOWORD(lparam))
        InvalidateRect(Window(), nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETTEXT: {
      const LRESULT result = Default(message, wparam, lparam);
      InvalidateRect(Window(), nullptr, TRUE);
      return result;
    }
    case WM_NCHITTEST:
      // A frame is only a picture of a group: the mouse passes through it to
      // the window beneath, as over a group box.
      return HTTRANSPARENT;
    default:
      return Default(message, wparam, lparam);
  }
}

void FrameWindow::OnPaint() {
  PaintScope paint(Window());
  HDC dc = paint.dc();
  RECT client{};
  GetClientRect(Window(), &client);
  FillRect(dc, &client, ParentBrush(Window(), dc));

  SelectObjectScope font(dc, font_ != nullptr ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  // The line runs through the middle of the caption, as a group box draws it.
  RECT edge = client;
  edge.top += metrics.tmHeight / 2;
  DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);

  const std::wstring caption = WindowText(Window());
  if (caption.empty())
    return;
  const int inset = metrics.tmAveCharWidth;
  RECT text{client.left + inset, client.top, client.right - inset, client.top + metrics.tmHeight};
  RECT measured = text;
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
            DT_SINGLELINE | DT_LEFT | DT_TOP | DT_CALCRECT | DT_NOPREFIX);
  // Blank the line behind the caption, with a character's gap either side.
  RECT gap{measured.left - 2, text.top, std::min(measured.right + 2, text.right), text.bottom};
  FillRect(dc, &gap, ParentBrush(Window(), dc));
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
            DT_SINGLELINE | DT_LEFT | DT_TOP | DT_END_ELLIPSIS | DT_NOPREFIX);
}

// --- PictureWindow ---------------------------------------------------------

HWND PictureWindow::Create(HWND parent, int id, DWORD style, const RECT& at) {
  return CreateAs(0, L"", style, at.left, at.top, at.right - at.left, at.bottom - at.top, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void PictureWindow::SetPicture(PicturePtr picture, PictureFit fit) {
  picture_ = std::move(picture);
  fit_ = fit;
  if (Window() != nullptr)
    InvalidateRect(Window(), nullptr, TRUE);
}

LRESULT PictureWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      if (MouseMove)
        MouseMove();
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      SetCapture(Window());
      return 0;
    case WM_LBUTTONUP: {
      const bool was_pressed = pressed_;
      pressed_ = false;
      ReleaseCapture();
      RECT client{};
      GetClientRect(Window(), &client);
      const POINT at{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
      // A click is a press and a release over the picture.
      if (was_pressed && PtInRect(&client, at) && Click)
        Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      pressed_ = false;
      return 0;
    default:
      return Default(message, wparam, lparam);
  }
}

void PictureWindow::OnPaint() {
  PaintScope paint(Window());
  PaintPicture(Window(), paint.dc(), picture_, fit_);
}

void PaintPicture(HWND window, HDC dc, const PicturePtr& shown, PictureFit fit) {
  RECT client{};
  GetClientRect(window, &client);
  FillRect(dc, &client, ParentBrush(window, dc));
  const auto* picture = dynamic_cast<const Win32Picture*>(shown.get());
  if (picture == nullptr)
    return;
  RECT dest = client;
  switch (fit) {
    case PictureFit::kOwnSize:
      dest.right = dest.left + picture->Width();
      dest.bottom = dest.top + picture->Height();
      break;
    case PictureFit::kStretch:
      break;
    case PictureFit::kFitCentred: {
      const view::Rect fitted =
          view::FitPicture(picture->Width(), picture->Height(), client.right - client.left,
                           client.bottom - client.top);
      dest =
          RECT{client.left + fitted.left, client.top + fitted.top,
               client.left + fitted.left + fitted.width, client.top + fitted.top + fitted.height};
      break;
    }
  }
  picture->Draw(dc, dest);
}

}  // namespace tavro::win32ui
