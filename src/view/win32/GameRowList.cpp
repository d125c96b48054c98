#include "view/win32/GameRowList.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "view/win32/Handles.h"
#include "view/win32/Wide.h"

namespace tavro::win32ui {

namespace {

constexpr int kMargin = 2;  // before the name and after the day

COLORREF ToColorRef(std::uint32_t color) {
  return color::IsSystem(color) ? GetSysColor(color::SystemIndex(color))
                                : static_cast<COLORREF>(color & 0xFFFFFF);
}

// The parts of a row's text between its tabs.
std::vector<std::wstring> Parts(const std::string& text) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = text.find('\t', start);
    parts.push_back(Widen(std::string_view(text).substr(start, tab - start)));
    if (tab == std::string::npos)
      return parts;
    start = tab + 1;
  }
}

int TextWidth(HDC dc, const std::wstring& text) {
  SIZE size{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  return size.cx;
}

}  // namespace

GameRowColumns MeasureGameRowColumns(const FileListBox& model, HFONT font) {
  GameRowColumns columns;
  HDC dc = GetDC(nullptr);
  if (dc == nullptr)
    return columns;
  {
    SelectObjectScope use(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
    for (const auto& row : model.List()) {
      if (row.find('\t') == std::string::npos)
        continue;
      const auto parts = Parts(row);
      columns.time = std::max(columns.time, TextWidth(dc, parts[1]));
      if (parts.size() > 2)
        columns.day = std::max(columns.day, TextWidth(dc, parts[2]));
    }
  }
  ReleaseDC(nullptr, dc);
  return columns;
}

int GameRowHeight(HFONT font) {
  int height = 13;
  if (HDC dc = GetDC(nullptr)) {
    {
      SelectObjectScope use(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
      TEXTMETRICW metrics{};
      if (GetTextMetricsW(dc, &metrics))
        height = metrics.tmHeight;
    }
    ReleaseDC(nullptr, dc);
  }
  return height;
}

void DrawGameRow(const DRAWITEMSTRUCT& item, const FileListBox& model,
                 const GameRowColumns& columns) {
  HDC dc = item.hDC;
  const RECT rect = item.rcItem;
  const bool focus = (item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT);
  const auto& rows = model.List();
  if (item.itemID == static_cast<UINT>(-1) || item.itemID >= rows.size()) {
    // An empty list with the focus still shows where the focus is.
    if (focus)
      DrawFocusRect(dc, &rect);
    return;
  }
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  const COLORREF old_back =
      SetBkColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHT) : ToColorRef(model.BackColor()));
  const COLORREF old_fore =
      SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ToColorRef(model.ForeColor()));
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);

  const auto parts = Parts(rows[item.itemID]);
  const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
  const int gap = TextWidth(dc, L"  ");
  RECT name = rect;
  name.left += kMargin;
  if (parts.size() > 1) {
    RECT day = rect;
    day.right -= kMargin;
    day.left = day.right - columns.day;
    RECT time = rect;
    time.right = day.left - gap;
    time.left = time.right - columns.time;
    name.right = time.left - gap;
    DrawTextW(dc, parts[1].c_str(), static_cast<int>(parts[1].size()), &time, flags | DT_RIGHT);
    if (parts.size() > 2)
      DrawTextW(dc, parts[2].c_str(), static_cast<int>(parts[2].size()), &day, flags);
  }
  DrawTextW(dc, parts[0].c_str(), static_cast<int>(parts[0].size()), &name,
            flags | DT_END_ELLIPSIS);
  SetTextColor(dc, old_fore);
  SetBkColor(dc, old_back);
  if (focus)
    DrawFocusRect(dc, &rect);
}

}  // namespace tavro::win32ui
