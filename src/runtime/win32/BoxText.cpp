#include "runtime/win32/BoxText.h"

#include "runtime/Text.h"
#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/Wide.h"

namespace tavro::win32 {

namespace {

void DeleteFont(HFONT font) noexcept {
  DeleteObject(font);
}
using UniqueFont = UniqueHandle<HFONT, DeleteFont>;

// The screen's own device context, given back when done.
class ScreenDc final {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr)
      ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// The box's frame and the margins around its text, in pixels at 96 DPI.
constexpr int kBoxMargins = 100;

}  // namespace

std::string FitTextForBox(const std::string& prompt, HWND owner) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ScreenDc dc;
  if (!GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor) ||
      !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) ||
      dc.get() == nullptr)
    return prompt;
  // The box's text is drawn in the system's message font.
  const UniqueFont font(CreateFontIndirectW(&metrics.lfMessageFont));
  if (!font)
    return prompt;
  const HGDIOBJ before = SelectObject(dc.get(), font.get());
  const int dpi = GetDeviceCaps(dc.get(), LOGPIXELSX);
  const int width =
      monitor.rcWork.right - monitor.rcWork.left - MulDiv(kBoxMargins, dpi > 0 ? dpi : 96, 96);
  std::string shown = text::FitRunsForBox(prompt, [&](std::string_view run) {
    const std::wstring wide = Wide(run);
    SIZE size{};
    return GetTextExtentPoint32W(dc.get(), wide.c_str(), static_cast<int>(wide.size()), &size) &&
           size.cx <= width;
  });
  SelectObject(dc.get(), before);
  return shown;
}

}  // namespace tavro::win32
