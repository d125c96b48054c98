#pragma once
// The game controllers, read through XInput. The library is looked up when
// the buttons are first asked for, never at start-up: linked to the program
// it would be loaded at every start for a feature most starts never use, and
// a system without it could not start the program at all. No library, no
// controller or any failure: no controllers, and nothing is shown.
//
// Nor is it loaded while no game controller is plugged in: under Wine it
// brings setupapi, hid and two threads of its own (a megabyte each), and its
// slots would be polled for nothing. A look at the raw input devices, no
// more often than an empty slot is asked, tells when one comes.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavro::win32 {

class XInputPads final {
 public:
  // XInput's user slots: a controller is in one of these or not seen.
  static constexpr int kSlots = 4;
  // How long a slot found empty rests before it is asked again. XInput asks
  // not to poll an empty slot at every frame (that call is slow); a pad
  // plugged in is then seen within this time, well inside a HoldMs.
  static constexpr std::uint64_t kEmptySlotRestMs = 2000;

  // Whether a game controller is plugged in: true when the list of raw
  // input devices holds a HID joystick or gamepad (usage page 1, usage 4 or
  // 5; an Xbox pad shows so through its HID interface). Reads the device
  // list only: no library is loaded for it.
  static bool PadPlugged();

  // full_look (PadPlugged), asked only when the system's HID devices have
  // changed since the last look, and at the first two: under Wine reading
  // the device list afresh costs 30 to 45 round trips to its server, where a
  // look at an unchanged list costs one. Without the registry's list to
  // watch, full_look at every look. user_key: a key under HKEY_CURRENT_USER
  // watched instead (for tests).
  static std::function<bool()> PadWatch(std::function<bool()> full_look = PadPlugged,
                                        const std::wstring& user_key = {});

  // library: the full path of the DLL to load; empty means the system's
  // xinput1_4.dll, else (Windows 7) its xinput9_1_0.dll, by their paths in
  // the system folder, so a file of the same name beside the program or in
  // the working folder is never loaded. Where the library has
  // XInputGetKeystroke, a button pressed and let go between two reads
  // counts as held for the next read.
  // pad_plugged: asked at most once per empty_slot_rest_ms until it says
  // yes, and the library is loaded then; empty loads it at the first
  // question.
  explicit XInputPads(std::wstring library = {},
                      std::uint64_t empty_slot_rest_ms = kEmptySlotRestMs,
                      std::function<bool()> pad_plugged = PadWatch());
  ~XInputPads();
  XInputPads(const XInputPads&) = delete;
  XInputPads& operator=(const XInputPads&) = delete;

  // The PadButton bits held on each connected controller, in slot order.
  std::vector<std::uint32_t> Buttons();

  // XInput's wButtons as PadButton bits, and the left thumbstick's
  // position (sThumbLX, sThumbLY) as stick directions.
  static std::uint32_t ToPadButtons(std::uint16_t xinput_buttons, std::int16_t thumb_x = 0,
                                    std::int16_t thumb_y = 0);

 private:
  struct ModuleCloser {
    void operator()(void* module) const;
  };
  using Module = std::unique_ptr<void, ModuleCloser>;
  using GetStateFunction = unsigned long(__stdcall*)(unsigned long, void*);
  using GetKeystrokeFunction = unsigned long(__stdcall*)(unsigned long, unsigned long, void*);
  // The buttons pressed on each slot since the last read, from the
  // library's queue of presses; none without one (Windows 7).
  std::array<std::uint32_t, kSlots> Presses();

  std::wstring library_;
  std::uint64_t empty_slot_rest_ms_;
  std::function<bool()> pad_plugged_;
  std::uint64_t next_look_ = 0;  // when pad_plugged_ may next be asked
  bool tried_ = false;
  GetStateFunction get_state_ = nullptr;
  GetKeystrokeFunction get_keystroke_ = nullptr;
  // When each slot may next be asked (0: at once).
  std::uint64_t next_try_[kSlots] = {};
};

}  // namespace tavro::win32
