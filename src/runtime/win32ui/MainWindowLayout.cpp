// Placing the controls: z-order and tab order, font and positions at the
// window's DPI.

#include <algorithm>

#include "runtime/Layout.h"
#include "runtime/win32ui/ControlRows.h"
#include "runtime/win32ui/Dpi.h"
#include "runtime/win32ui/MainWindow.h"

namespace tavro::win32ui {

namespace {

// 8 points at the window's DPI, in the face given.
UniqueFont EightPoint(UINT dpi, const wchar_t* face) {
  return UniqueFont(CreateFontW(-MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE,
                                FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                                face));
}

}  // namespace

void MainWindow::ArrangeZOrder() {
  // Tab order is z-order: the focusable controls by TabIndex on top; then
  // the rest, frames last and the outermost frame lowest, so each frame lies
  // beneath everything it holds.
  std::vector<const NativeControl*> order;
  for (const auto& c : controls_) {
    if (c.window != nullptr && TakesFocus(c.model->Kind()))
      order.push_back(&c);
  }
  std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
    return a->model->Design().tab_index < b->model->Design().tab_index;
  });
  for (const auto& c : controls_) {
    if (c.window != nullptr && !TakesFocus(c.model->Kind()) && !c.frame)
      order.push_back(&c);
  }
  std::vector<const NativeControl*> frames;
  for (const auto& c : controls_) {
    if (c.frame)
      frames.push_back(&c);
  }
  std::stable_sort(frames.begin(), frames.end(), [](const auto* a, const auto* b) {
    return Depth(a->model->Design()) > Depth(b->model->Design());
  });
  order.insert(order.end(), frames.begin(), frames.end());

  // A group of option buttons is one tab stop (the selected button) with
  // the arrow keys moving inside it: WS_GROUP starts each group, and every
  // other focusable control is a group of its own.
  const Control* previous = nullptr;
  for (const auto* c : order) {
    if (!TakesFocus(c->model->Kind()))
      break;
    const bool same_group =
        previous != nullptr && c->model->Kind() == ControlKind::kOptionButton &&
        previous->Kind() == ControlKind::kOptionButton &&
        std::string_view(previous->Design().container) == c->model->Design().container;
    LONG style = GetWindowLongW(c->window, GWL_STYLE);
    style = same_group ? (style & ~WS_GROUP) : (style | WS_GROUP);
    SetWindowLongW(c->window, GWL_STYLE, style);
    previous = c->model;
  }

  HWND after = HWND_TOP;
  for (const auto* c : order) {
    SetWindowPos(c->window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = c->window;
  }
}

void MainWindow::ApplyDpi(UINT dpi, const RECT* suggested) {
  dpi_ = dpi;
  // The captions' sizes were made for MS Sans Serif 8 pt (the system's
  // message font is wider and cuts "*.wud *.wux" and the legend lines).
  // The lists show the user's file names, in any script: MS Shell Dlg is
  // the same design in TrueType (Microsoft Sans Serif on Windows), which
  // the system completes with other fonts for characters it lacks.
  UniqueFont captions = EightPoint(dpi, L"MS Sans Serif");
  UniqueFont lists = EightPoint(dpi, L"MS Shell Dlg");
  for (const auto& c : controls_) {
    if (c.window == nullptr)
      continue;
    const ControlKind kind = c.model->Kind();
    const bool list = kind == ControlKind::kFileListBox || kind == ControlKind::kDirListBox ||
                      kind == ControlKind::kDriveListBox;
    const HFONT font = list ? lists.get() : captions.get();
    SendMessageW(c.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (kind == ControlKind::kDirListBox) {
      SendMessageW(c.window, LB_SETITEMHEIGHT, 0, FolderItemHeight(font, dpi));
    }
  }
  folder_icons_.Load(dpi);
  font_ = std::move(captions);
  list_font_ = std::move(lists);
  // The labels' pattern is the form's picture at the old size.
  form_picture_brush_.reset();
  Layout(dpi);

  const auto& design = form_.Design();
  const int width = TwipsToPixels(design.client_width, static_cast<int>(dpi));
  const int height = TwipsToPixels(design.client_height, static_cast<int>(dpi));
  RECT frame{0, 0, width, height};
  AdjustWindowRectForDpi(&frame, kStyle, 0, dpi);
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  POINT at{};
  if (suggested != nullptr) {
    at = POINT{suggested->left, suggested->top};
  } else {
    flags |= SWP_NOMOVE;
  }
  SetWindowPos(Window(), nullptr, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
               flags);
  // Caption heights computed by the system and by the window manager may
  // disagree by a pixel or two; the client area is what must be exact.
  RECT client{};
  GetClientRect(Window(), &client);
  const int dx = width - client.right;
  const int dy = height - client.bottom;
  if (dx != 0 || dy != 0) {
    SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left + dx,
                 frame.bottom - frame.top + dy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
  RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void MainWindow::Layout(UINT dpi) {
  const int d = static_cast<int>(dpi);
  // Rows are in creation order, containers first, so a frame's origin and
  // visible area are known before its children are placed.
  for (auto& c : controls_) {
    const ControlDesign& design = c.model->Design();
    const int width = TwipsToPixels(design.width, d);
    const int height = TwipsToPixels(design.height, d);
    RECT container_area{0, 0, TwipsToPixels(form_.Design().client_width, d),
                        TwipsToPixels(form_.Design().client_height, d)};
    POINT base{0, 0};
    if (c.container >= 0) {
      const auto& frame = controls_[static_cast<size_t>(c.container)];
      base = frame.origin;
      container_area = frame.visible;
    }
    c.origin = POINT{base.x + TwipsToPixels(design.left, d), base.y + TwipsToPixels(design.top, d)};
    const RECT own{c.origin.x, c.origin.y, c.origin.x + width, c.origin.y + height};
    IntersectRect(&c.visible, &own, &container_area);
    if (c.window == nullptr)
      continue;
    if (design.kind == ControlKind::kDriveListBox) {
      SetWindowPos(c.window, nullptr, c.origin.x, c.origin.y, width, height * 10,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      FitComboHeight(c.window, height);
    } else {
      SetWindowPos(c.window, nullptr, c.origin.x, c.origin.y, width, height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // A frame hides what of its controls lies beyond it (the legend lines
    // and "*.rpx" are wider than their frames).
    if (c.container >= 0 && !EqualRect(&c.visible, &own)) {
      HRGN region = CreateRectRgn(c.visible.left - own.left, c.visible.top - own.top,
                                  c.visible.right - own.left, c.visible.bottom - own.top);
      if (SetWindowRgn(c.window, region, TRUE) == 0)
        DeleteObject(region);
    } else {
      SetWindowRgn(c.window, nullptr, TRUE);
    }
  }
}

void MainWindow::FitComboHeight(HWND combo, int height) {
  // A drop-down list's closed height follows its selection field, which
  // follows the font: set the field so the closed box has the designed
  // height. The closed height is the field plus a fixed frame, but what
  // CB_GETITEMHEIGHT reports and what CB_SETITEMHEIGHT takes differ between
  // systems, so measure after each setting.
  auto field = static_cast<int>(SendMessageW(combo, CB_GETITEMHEIGHT, WPARAM(-1), 0));
  for (int attempt = 0; attempt < 4 && field > 0; ++attempt) {
    SendMessageW(combo, CB_SETITEMHEIGHT, WPARAM(-1), field);
    RECT rect{};
    GetWindowRect(combo, &rect);
    const int delta = height - (rect.bottom - rect.top);
    if (delta == 0)
      return;
    field += delta;
  }
}

}  // namespace tavro::win32ui
