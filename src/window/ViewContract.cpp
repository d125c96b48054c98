#include "window/ViewContract.h"

#include <algorithm>
#include <cstdint>

#include "runtime/EventDispatch.h"

namespace tavro::view {

namespace {
void Run(Form1& form, const std::function<void()>& handler) {
  if (handler)
    RunEvent(form.Runtime(), handler);
}
}  // namespace

void LoadAndShow(Form1& form, const std::function<void()>& show) {
  RunEvent(form.Runtime(), [&form] { form.Form_Load(); });
  show();
  form.Timer1.Start();
}

void Unload(Form1& form) {
  // No tick may run between the unload and the window's end.
  form.Timer1.Stop();
  std::int16_t cancel = 0;
  RunEvent(form.Runtime(), [&form, &cancel] { form.Form_Unload(cancel); });
}

void TimerExpired(Form1& form, Timer& timer) {
  timer.Fire([&form](const std::function<void()>& tick) { Run(form, tick); });
}

void PickFile(Form1& form, int index, bool input_waiting) {
  form.LetCoversWait(input_waiting);
  Run(form, [&form, index] { form.File1.SetListIndex(index); });
  form.LetCoversWait(false);
  if (!input_waiting)
    ShowWaitingCover(form);
}

bool CoverWaiting(const Form1& form) {
  return form.Picture1.PictureWaiting();
}

void ShowWaitingCover(Form1& form) {
  Run(form, [&form] { form.Picture1.MakeWaitingPicture(); });
}

void OpenFolder(Form1& form, int index) {
  Run(form, [&form, index] { form.Dir1.Open(index); });
}

void PickDrive(Form1& form, int index) {
  Run(form, [&form, index] { form.Drive1.Pick(index); });
}

void DriveListOpening(Form1& form) {
  Run(form, [&form] { form.Drive1.Refresh(form.Runtime().Drives()); });
}

void SelectOption(Form1& form, OptionButton& button) {
  Run(form, [&button] { button.Select(); });
}

void Click(Form1& form, CommandButton& button) {
  Run(form, button.Click);
}

void Click(Form1& form, Image& image) {
  Run(form, image.Click);
}

void MouseMove(Form1& form, CommandButton& button) {
  Run(form, button.MouseMove);
}

void MouseMove(Form1& form, Image& image) {
  Run(form, image.MouseMove);
}

bool DrawsTransparent(const Control& control) {
  return control.Kind() == ControlKind::kLabel && control.BackColor() == color::kButtonFace;
}

Rect FitPicture(int width, int height, int box_width, int box_height) {
  if (width <= 0 || height <= 0 || box_width <= 0 || box_height <= 0)
    return {0, 0, 0, 0};
  // Compare width / height with box_width / box_height in integers.
  const auto w = static_cast<std::int64_t>(width), h = static_cast<std::int64_t>(height);
  int out_w = box_width, out_h = box_height;
  if (w * box_height > h * box_width) {
    out_h = static_cast<int>(std::max<std::int64_t>(1, (h * box_width + w / 2) / w));
  } else if (w * box_height < h * box_width) {
    out_w = static_cast<int>(std::max<std::int64_t>(1, (w * box_height + h / 2) / h));
  }
  return {(box_width - out_w) / 2, (box_height - out_h) / 2, out_w, out_h};
}

}  // namespace tavro::view
