#pragma once
// The control models: plain objects holding a control's properties. Each has
// events for the program (Click, Change, MouseMove, Tick), wired by Form1 to
// its handlers, and one PropertyChanged callback for the view, called at once
// on every change so the native widget follows before anything else runs
// (a modal message box included).

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "runtime/Runtime.h"
#include "window/controls/ControlDesign.h"

namespace tavro {

enum class Property {
  kCaption,
  kText,
  kValue,
  kBackColor,
  kPicture,
  kMousePointer,
  kMouseIcon,
  kPath,
  kPattern,
  kList,
  kListIndex,
  kDrive,
  kEnabled,
};

// Mouse pointers: the system's default, and one drawn from the mouse icon.
constexpr int kPointerDefault = 0;
constexpr int kPointerCustom = 99;

class Control {
 public:
  explicit Control(const ControlDesign& design) : design_(design), back_color_(design.back_color) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlDesign& Design() const { return design_; }
  ControlKind Kind() const { return design_.kind; }
  // "Command1", or "Option2(1)" for a member of a control array.
  std::string Id() const { return design_.Id(); }
  bool Visible() const { return design_.visible; }

  std::uint32_t BackColor() const { return back_color_; }
  void SetBackColor(std::uint32_t color) { Set(back_color_, color, Property::kBackColor); }
  // Nothing changes a text colour at run time: the design's stays.
  std::uint32_t ForeColor() const { return design_.fore_color; }

  int MousePointer() const { return mouse_pointer_; }
  void SetMousePointer(int pointer) { Set(mouse_pointer_, pointer, Property::kMousePointer); }
  const PicturePtr& MouseIcon() const { return mouse_icon_; }
  void SetMouseIcon(PicturePtr icon) { Set(mouse_icon_, std::move(icon), Property::kMouseIcon); }

  // The view's hook; one per control.
  std::function<void(Property)> PropertyChanged;

 protected:
  void Notify(Property p) const {
    if (PropertyChanged)
      PropertyChanged(p);
  }
  // Assigns and tells the view; the same value again tells nobody.
  template <typename T>
  void Set(T& field, T value, Property p) {
    if (field == value)
      return;
    field = std::move(value);
    Notify(p);
  }

 private:
  const ControlDesign& design_;
  std::uint32_t back_color_;
  int mouse_pointer_ = kPointerDefault;
  PicturePtr mouse_icon_;
};

// Controls that show a caption: frames, labels, buttons.
class CaptionControl : public Control {
 public:
  explicit CaptionControl(const ControlDesign& design)
      : Control(design), caption_(design.caption) {}
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption) { Set(caption_, std::move(caption), Property::kCaption); }

 private:
  std::string caption_;
};

class Frame final : public CaptionControl {
 public:
  using CaptionControl::CaptionControl;
};

class Label final : public CaptionControl {
 public:
  using CaptionControl::CaptionControl;
};

class CommandButton final : public CaptionControl {
 public:
  using CaptionControl::CaptionControl;
  std::function<void()> Click;
  std::function<void()> MouseMove;
};

// Option buttons exclude each other within their group (their container).
class OptionButton final : public CaptionControl {
 public:
  explicit OptionButton(const ControlDesign& design)
      : CaptionControl(design), value_(design.value) {}

  bool Value() const { return value_; }
  // Selecting clears the other buttons of the group and raises Click;
  // selecting the selected button again changes nothing and raises nothing.
  void Select();

  void JoinGroup(std::vector<OptionButton*> group) { group_ = std::move(group); }
  std::function<void()> Click;

 private:
  void SetSelected(bool on) { Set(value_, on, Property::kValue); }
  bool value_;
  std::vector<OptionButton*> group_;
};

class PictureBox final : public Control {
 public:
  using Control::Control;
  const PicturePtr& Picture() const { return picture_; }
  // A picture set replaces one that waits.
  void SetPicture(PicturePtr picture) {
    later_ = nullptr;
    Set(picture_, std::move(picture), Property::kPicture);
  }
  // A picture made only when MakeWaitingPicture is called: the cover of a row
  // the user may already be leaving. A picture set before then replaces it,
  // so the box ends up as if it had been made at once.
  void SetPictureLater(std::function<PicturePtr()> make) { later_ = std::move(make); }
  bool PictureWaiting() const { return static_cast<bool>(later_); }
  void MakeWaitingPicture() {
    if (auto make = std::exchange(later_, nullptr))
      SetPicture(make());
  }

 private:
  PicturePtr picture_;
  std::function<PicturePtr()> later_;
};

// An image control; the donate image stretches its picture to its own size.
class Image final : public Control {
 public:
  using Control::Control;
  const PicturePtr& Picture() const { return picture_; }
  void SetPicture(PicturePtr picture) { Set(picture_, std::move(picture), Property::kPicture); }
  bool Stretch() const { return Design().stretch; }
  std::function<void()> Click;
  std::function<void()> MouseMove;

 private:
  PicturePtr picture_;
};

class TextBox final : public Control {
 public:
  explicit TextBox(const ControlDesign& design) : Control(design), text_(design.caption) {}
  const std::string& Text() const { return text_; }
  void SetText(std::string text) { Set(text_, std::move(text), Property::kText); }

 private:
  std::string text_;
};

// A timer ticks only once the window has been loaded and shown (Start), and
// a tick never begins while another tick's handler runs (inside a message
// box it opened, say). The view runs a platform timer while Running() and
// calls Fire on each expiry; the rule lives here, once, for both views.
class Timer final : public Control {
 public:
  explicit Timer(const ControlDesign& design)
      : Control(design), interval_ms_(design.interval_ms), enabled_(design.value) {}
  int Interval() const { return interval_ms_; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool on) { Set(enabled_, on, Property::kEnabled); }

  // The window is up: ticks may come from now on. Stop: the window is going.
  void Start() { SetStarted(true); }
  void Stop() { SetStarted(false); }
  // Whether the view's platform timer should run (kEnabled tells changes).
  bool Running() const { return started_ && enabled_ && interval_ms_ > 0; }

  // One expiry of the platform timer: runs Tick through run (the view's
  // event dispatch) unless the timer is not running or a tick is under way.
  void Fire(const std::function<void(const std::function<void()>&)>& run);

  std::function<void()> Tick;

 private:
  void SetStarted(bool on) { Set(started_, on, Property::kEnabled); }
  int interval_ms_;
  bool enabled_;
  bool started_ = false;
  bool in_tick_ = false;
};

}  // namespace tavro
