#pragma once
// The two child windows the common controls do not offer as needed:
// - FrameWindow, a group box that paints its whole area in its back colour
//   (a BUTTON group box leaves its inside to whatever lies beneath, so it
//   cannot be made white);
// - PictureWindow, a picture box or image control.
// Both ask their parent for their brush and text colour with
// WM_CTLCOLORSTATIC, as a static control does, so the main window answers
// for every control from the model in one place.

#include <windows.h>

#include <functional>

#include "runtime/Runtime.h"
#include "view/win32/BaseWindow.h"

namespace tavro::win32ui {

class FrameWindow final : public BaseWindow<FrameWindow> {
 public:
  static constexpr const wchar_t* kClassName = L"TavroFrame";
  ~FrameWindow() { Destroy(); }

  // at: the window's place in its parent's client area.
  HWND Create(HWND parent, int id, const wchar_t* caption, DWORD style, const RECT& at);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

 private:
  void OnPaint();
  HFONT font_ = nullptr;
};

// How a picture window draws a picture whose size differs from its own.
enum class PictureFit {
  kOwnSize,     // at its own size from the top-left corner, cut off beyond
  kStretch,     // scaled to the window's size
  kFitCentred,  // scaled to fit keeping its shape, centred
};

class PictureWindow final : public BaseWindow<PictureWindow> {
 public:
  static constexpr const wchar_t* kClassName = L"TavroPicture";
  ~PictureWindow() { Destroy(); }

  HWND Create(HWND parent, int id, DWORD style, const RECT& at);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void SetPicture(PicturePtr picture, PictureFit fit);
  const PicturePtr& Picture() const { return picture_; }

  std::function<void()> MouseMove;
  std::function<void()> Click;

 private:
  void OnPaint();
  PicturePtr picture_;
  PictureFit fit_ = PictureFit::kOwnSize;
  bool pressed_ = false;
};

// Fills window's client area in dc with its parent's brush and draws the
// picture as fit says: a picture box, an image, the donation button.
void PaintPicture(HWND window, HDC dc, const PicturePtr& picture, PictureFit fit);

// The brush the parent gives a child for its background (WM_CTLCOLORSTATIC),
// with the text colour set in dc.
HBRUSH ParentBrush(HWND child, HDC dc);

}  // namespace tavro::win32ui
