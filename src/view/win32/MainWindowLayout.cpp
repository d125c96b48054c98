// Placing the controls: z-order and tab order, font and positions at the
// window's DPI.

#include <algorithm>

#include "window/Layout.h"
#include "view/win32/ControlRows.h"
#include "view/win32/Dpi.h"
#include "view/win32/MainWindow.h"

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

std::vector<MainWindow::NativeControl*> MainWindow::ZOrder() {
  // Tab order is z-order: the focusable controls in tab order on top; then
  // the rest, frames last and the outermost frame lowest, so each frame lies
  // beneath everything it holds.
  std::vector<NativeControl*> order;
  for (Control* c : view::TabOrder(form_))
    order.push_back(&controls_[static_cast<size_t>(RowOfDesign(c->Design()))]);
  std::vector<NativeControl*> frames;
  for (auto& c : controls_) {
    const ControlKind kind = c.model->Kind();
    if (kind == ControlKind::kFrame)
      frames.push_back(&c);
    else if (kind != ControlKind::kTimer && !view::TakesFocus(*c.model))
      order.push_back(&c);
  }
  std::stable_sort(frames.begin(), frames.end(), [](const auto* a, const auto* b) {
    return Depth(a->model->Design()) > Depth(b->model->Design());
  });
  order.insert(order.end(), frames.begin(), frames.end());
  return order;
}

void MainWindow::CreateInZOrder() {
  // A new child window goes beneath its siblings, so making the controls
  // from the top of the z-order down stacks them as they must lie.
  // A group of option buttons is one tab stop (the selected button) with
  // the arrow keys moving inside it: WS_GROUP starts each group, and every
  // other focusable control is a group of its own.
  const Control* previous = nullptr;
  for (NativeControl* c : ZOrder()) {
    DWORD group = 0;
    if (view::TakesFocus(*c->model)) {
      const bool same_group =
          previous != nullptr && c->model->Kind() == ControlKind::kOptionButton &&
          previous->Kind() == ControlKind::kOptionButton &&
          std::string_view(previous->Design().container) == c->model->Design().container;
      group = same_group ? 0 : WS_GROUP;
      previous = c->model;
    }
    CreateControl(*c, group);
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
    } else if (FileListDrawn(c)) {
      SendMessageW(c.window, LB_SETITEMHEIGHT, 0, GameRowHeight(font));
      file_columns_ = MeasureGameRowColumns(static_cast<const FileListBox&>(*c.model), font);
    }
  }
  // The folder icons are loaded when the folder list first draws.
  font_ = std::move(captions);
  list_font_ = std::move(lists);
  // The labels' pattern is the form's picture at the old size.
  picture_brushes_.clear();
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
  RECT now{};
  GetWindowRect(Window(), &now);
  if (suggested != nullptr || now.right - now.left != frame.right - frame.left ||
      now.bottom - now.top != frame.bottom - frame.top) {
    SetWindowPos(Window(), nullptr, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
                 flags);
  }
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

void MainWindow::Place(UINT dpi) {
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
    c.bounds = RECT{c.origin.x, c.origin.y, c.origin.x + width, c.origin.y + height};
    IntersectRect(&c.visible, &c.bounds, &container_area);
  }
}

void MainWindow::Layout(UINT dpi) {
  Place(dpi);
  for (auto& c : controls_) {
    if (c.window == nullptr)
      continue;
    const RECT& own = c.bounds;
    RECT target = own;
    if (c.model->Kind() == ControlKind::kDriveListBox)
      target.bottom = own.top + (own.bottom - own.top) * 10;
    const bool moved = !EqualRect(&c.placed, &target);
    if (moved) {
      SetWindowPos(c.window, nullptr, target.left, target.top, target.right - target.left,
                   target.bottom - target.top, SWP_NOZORDER | SWP_NOACTIVATE);
      c.placed = target;
    }
    if (c.model->Kind() == ControlKind::kDriveListBox)
      FitComboHeight(c.window, own.bottom - own.top);
    // A frame hides what of its controls lies beyond it (the legend lines
    // and "*.rpx" are wider than their frames).
    const bool clip = c.container >= 0 && !EqualRect(&c.visible, &own);
    if (clip && (moved || !c.clipped)) {
      HRGN region = CreateRectRgn(c.visible.left - own.left, c.visible.top - own.top,
                                  c.visible.right - own.left, c.visible.bottom - own.top);
      if (SetWindowRgn(c.window, region, TRUE) == 0)
        DeleteObject(region);
    } else if (!clip && c.clipped) {
      SetWindowRgn(c.window, nullptr, TRUE);
    }
    c.clipped = clip;
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
