#include "view/win32/FolderList.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

#include "runtime/win32/SystemCalls.h"
#include "view/win32/Wide.h"
#include "window/Layout.h"

namespace tavro::win32ui {

namespace {

constexpr int kIndent = 8;  // per level, at 96 DPI, as the Qt view
constexpr int kMargin = 2;  // before the first level's icon
constexpr int kGap = 4;     // between icon and name

int Scaled(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), 96);
}

COLORREF ToColorRef(std::uint32_t color) {
  return color::IsSystem(color) ? GetSysColor(color::SystemIndex(color))
                                : static_cast<COLORREF>(color & 0xFFFFFF);
}

// An icon from a file's resources at a size of our choosing (the file's
// own image of that size where it has one, else scaled from the nearest).
UniqueIcon IconAt(const wchar_t* file, int index, int size) {
  HICON icon = nullptr;
  const auto wanted = static_cast<UINT>(MAKELONG(size, size));
  if (win32::sys::SHDefExtractIconW(file, index, 0, nullptr, &icon, wanted) == S_OK)
    return UniqueIcon(icon);
  return {};
}

std::wstring SystemShell32() {
  wchar_t folder[MAX_PATH] = {};
  const UINT len = GetSystemDirectoryW(folder, MAX_PATH);
  if (len == 0 || len >= MAX_PATH)
    return L"shell32.dll";
  return std::wstring(folder, len) + L"\\shell32.dll";
}

}  // namespace

void FolderIcons::Load(UINT dpi) {
  if (dpi == dpi_ && open_ && closed_)
    return;
  dpi_ = dpi;
  size_ = Scaled(16, dpi);
  open_.reset();
  closed_.reset();
  // The shell's stock folder icons (Windows Vista on), which follow the
  // system's icon theme. Wine answers every stock icon with one and the same
  // place (a document): stock icons that do not tell the open folder from
  // the closed one are not used.
  SHSTOCKICONINFO open{};
  open.cbSize = sizeof open;
  SHSTOCKICONINFO closed = open;
  if (SUCCEEDED(win32::sys::SHGetStockIconInfo(SIID_FOLDEROPEN, SHGSI_ICONLOCATION, &open)) &&
      SUCCEEDED(win32::sys::SHGetStockIconInfo(SIID_FOLDER, SHGSI_ICONLOCATION, &closed)) &&
      (open.iIcon != closed.iIcon || lstrcmpiW(open.szPath, closed.szPath) != 0)) {
    open_ = IconAt(open.szPath, open.iIcon, size_);
    closed_ = IconAt(closed.szPath, closed.iIcon, size_);
  }
  // Otherwise shell32's own folder pictures, resources 4 (closed) and 5
  // (open) in every Windows since 95, and in Wine.
  if (!open_ || !closed_) {
    const std::wstring shell32 = SystemShell32();
    open_ = IconAt(shell32.c_str(), -5, size_);
    closed_ = IconAt(shell32.c_str(), -4, size_);
  }
}

int FolderIconLeft(int depth, UINT dpi) {
  return Scaled(kMargin + kIndent * std::max(depth, 0), dpi);
}

int FolderTextLeft(int depth, UINT dpi) {
  return FolderIconLeft(depth, dpi) + Scaled(16 + kGap, dpi);
}

int FolderItemHeight(HFONT font, UINT dpi) {
  int text = Scaled(13, dpi);
  if (HDC dc = GetDC(nullptr)) {
    {
      SelectObjectScope use(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
      TEXTMETRICW metrics{};
      if (GetTextMetricsW(dc, &metrics))
        text = metrics.tmHeight;
    }
    ReleaseDC(nullptr, dc);
  }
  return std::max(text, Scaled(16, dpi)) + Scaled(1, dpi);
}

void DrawFolderItem(const DRAWITEMSTRUCT& item, const DirListBox& model, const FolderIcons& icons,
                    UINT dpi) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const auto& entries = model.List();
  const bool focus = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= entries.size()) {
    // An empty list with the focus still shows where the focus is.
    if (focus)
      DrawFocusRect(dc, &rect);
    return;
  }
  const auto index = static_cast<int>(item.itemID);
  const DirListBox::Entry& entry = entries[item.itemID];
  const bool selected = (item.itemState & ODS_SELECTED) != 0;

  const COLORREF back = selected ? GetSysColor(COLOR_HIGHLIGHT) : ToColorRef(model.BackColor());
  const COLORREF fore = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ToColorRef(model.ForeColor());
  const COLORREF old_back = SetBkColor(dc, back);
  const COLORREF old_fore = SetTextColor(dc, fore);
  // The whole row in the background colour, then icon and name over it.
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);

  // The folder shown and its ancestors come first and are open.
  const HICON icon = index <= model.ListIndex() ? icons.Open() : icons.Closed();
  const int size = icons.Size();
  if (icon != nullptr) {
    const int top = rect.top + (rect.bottom - rect.top - size) / 2;
    DrawIconEx(dc, rect.left + FolderIconLeft(entry.depth, dpi), top, icon, size, size, 0, nullptr,
               DI_NORMAL);
  }

  RECT text = rect;
  text.left += FolderTextLeft(entry.depth, dpi);
  const std::wstring name = Widen(entry.name);
  DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(dc, old_fore);
  SetBkColor(dc, old_back);
  if (focus)
    DrawFocusRect(dc, &rect);
}

}  // namespace tavro::win32ui
