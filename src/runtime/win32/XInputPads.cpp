#include "runtime/win32/XInputPads.h"

// clang-format off
#include <windows.h>
#include <xinput.h>
// clang-format on

#include <array>
#include <memory>
#include <type_traits>
#include <utility>

#include "runtime/PadStick.h"
#include "runtime/Runtime.h"
#include "runtime/win32/SystemLibraries.h"
#include "runtime/win32/UniqueHandle.h"

namespace tavro::win32 {

namespace {

// XInput's public interface has no Guide button: only the undocumented
// XInputGetStateEx of later XInput versions reports it, so a combination
// with Guide is never held on Windows.
constexpr std::array<std::pair<WORD, PadButton>, 14> kButtons = {{
    {XINPUT_GAMEPAD_A, PadButton::kA},
    {XINPUT_GAMEPAD_B, PadButton::kB},
    {XINPUT_GAMEPAD_X, PadButton::kX},
    {XINPUT_GAMEPAD_Y, PadButton::kY},
    {XINPUT_GAMEPAD_BACK, PadButton::kBack},
    {XINPUT_GAMEPAD_START, PadButton::kStart},
    {XINPUT_GAMEPAD_LEFT_THUMB, PadButton::kLeftStick},
    {XINPUT_GAMEPAD_RIGHT_THUMB, PadButton::kRightStick},
    {XINPUT_GAMEPAD_LEFT_SHOULDER, PadButton::kLeftShoulder},
    {XINPUT_GAMEPAD_RIGHT_SHOULDER, PadButton::kRightShoulder},
    {XINPUT_GAMEPAD_DPAD_UP, PadButton::kDpadUp},
    {XINPUT_GAMEPAD_DPAD_DOWN, PadButton::kDpadDown},
    {XINPUT_GAMEPAD_DPAD_LEFT, PadButton::kDpadLeft},
    {XINPUT_GAMEPAD_DPAD_RIGHT, PadButton::kDpadRight},
}};

// The keys XInputGetKeystroke reports for the buttons; the stick's are left
// to the state read, which holds them long enough to be seen.
constexpr std::array<std::pair<WORD, PadButton>, 14> kKeys = {{
    {VK_PAD_A, PadButton::kA},
    {VK_PAD_B, PadButton::kB},
    {VK_PAD_X, PadButton::kX},
    {VK_PAD_Y, PadButton::kY},
    {VK_PAD_BACK, PadButton::kBack},
    {VK_PAD_START, PadButton::kStart},
    {VK_PAD_LTHUMB_PRESS, PadButton::kLeftStick},
    {VK_PAD_RTHUMB_PRESS, PadButton::kRightStick},
    {VK_PAD_LSHOULDER, PadButton::kLeftShoulder},
    {VK_PAD_RSHOULDER, PadButton::kRightShoulder},
    {VK_PAD_DPAD_UP, PadButton::kDpadUp},
    {VK_PAD_DPAD_DOWN, PadButton::kDpadDown},
    {VK_PAD_DPAD_LEFT, PadButton::kDpadLeft},
    {VK_PAD_DPAD_RIGHT, PadButton::kDpadRight},
}};

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The HID device interfaces the system has known: a device plugged in or
// taken out changes a key or value under it (Wine's bus driver and Windows'
// Plug and Play alike).
constexpr const wchar_t* kHidInterfaces =
    L"SYSTEM\\CurrentControlSet\\Control\\DeviceClasses\\"
    L"{4d1e55b2-f16f-11cf-88cb-001111000030}";

class HidWatch final {
 public:
  HidWatch(std::function<bool()> full_look, const std::wstring& user_key)
      : full_look_(std::move(full_look)) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(user_key.empty() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER,
                      user_key.empty() ? kHidInterfaces : user_key.c_str(), 0, KEY_NOTIFY,
                      &key) == ERROR_SUCCESS)
      key_.reset(key);
    changed_ = UniqueKernelHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  }

  bool Look() {
    if (!key_ || !changed_)
      return full_look_();
    if (looks_left_ == 0) {
      if (WaitForSingleObject(changed_.get(), 0) != WAIT_OBJECT_0)
        return false;
      // The device list the system hands out may lag the registry by a
      // look: the one after this is asked too.
      looks_left_ = 2;
    }
    if (looks_left_ == 2 &&
        RegNotifyChangeKeyValue(key_.get(), TRUE,
                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET, changed_.get(),
                                TRUE) != ERROR_SUCCESS) {
      key_.reset();  // no watch: a full look every time from now on
    }
    --looks_left_;
    return full_look_();
  }

 private:
  std::function<bool()> full_look_;
  UniqueKey key_;
  UniqueKernelHandle changed_;
  // Full looks still to make; the first two are made without a change.
  int looks_left_ = 2;
};

}  // namespace

std::function<bool()> XInputPads::PadWatch(std::function<bool()> full_look,
                                           const std::wstring& user_key) {
  auto watch = std::make_shared<HidWatch>(std::move(full_look), user_key);
  return [watch] { return watch->Look(); };
}

void XInputPads::ModuleCloser::operator()(void* module) const {
  FreeLibrary(static_cast<HMODULE>(module));
}

XInputPads::XInputPads(std::wstring library, std::uint64_t empty_slot_rest_ms,
                       std::function<bool()> pad_plugged)
    : library_(std::move(library)),
      empty_slot_rest_ms_(empty_slot_rest_ms),
      pad_plugged_(std::move(pad_plugged)) {}

bool XInputPads::PadPlugged() {
  // The count first, then the list; a device plugged in between makes the
  // list too short for the buffer, and the next look sees it.
  UINT count = 0;
  if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0 || count == 0)
    return false;
  std::vector<RAWINPUTDEVICELIST> devices(count);
  const UINT listed = GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST));
  if (listed == static_cast<UINT>(-1))
    return false;
  for (UINT i = 0; i < listed && i < devices.size(); ++i) {
    if (devices[i].dwType != RIM_TYPEHID)
      continue;
    RID_DEVICE_INFO info{};
    info.cbSize = sizeof(info);
    UINT size = sizeof(info);
    if (GetRawInputDeviceInfoW(devices[i].hDevice, RIDI_DEVICEINFO, &info, &size) ==
            static_cast<UINT>(-1) ||
        info.dwType != RIM_TYPEHID)
      continue;
    // Generic desktop page: 4 is a joystick, 5 a gamepad.
    if (info.hid.usUsagePage == 1 && (info.hid.usUsage == 4 || info.hid.usUsage == 5))
      return true;
  }
  return false;
}

XInputPads::~XInputPads() = default;

std::uint32_t XInputPads::ToPadButtons(std::uint16_t xinput_buttons, std::int16_t thumb_x,
                                       std::int16_t thumb_y) {
  std::uint32_t bits = StickBits(thumb_x, thumb_y);
  for (const auto& [xinput_button, button] : kButtons) {
    if (xinput_buttons & xinput_button)
      bits |= PadBits({button});
  }
  return bits;
}

std::vector<std::uint32_t> XInputPads::Buttons() {
  if (!tried_ && pad_plugged_) {
    const ULONGLONG now = GetTickCount64();
    if (now < next_look_)
      return {};
    if (!pad_plugged_()) {
      next_look_ = now + empty_slot_rest_ms_;
      return {};
    }
  }
  // One attempt: a library that is missing stays missing.
  if (!tried_) {
    tried_ = true;
    // A library that cannot be loaded shows no box of the system's.
    const UINT old_mode = GetErrorMode();
    SetErrorMode(old_mode | SEM_FAILCRITICALERRORS);
    // xinput1_4 (Windows 8 on) queues each press; Windows 7 has only
    // xinput9_1_0 of those on every machine, read as a state.
    Module module(!library_.empty()
                      ? LoadLibraryExW(library_.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)
                      : LoadSystemLibrary(L"xinput1_4.dll"));
    if (!module && library_.empty())
      module.reset(LoadSystemLibrary(L"xinput9_1_0.dll"));
    SetErrorMode(old_mode);
    if (module) {
      get_state_ = reinterpret_cast<GetStateFunction>(reinterpret_cast<void*>(
          GetProcAddress(static_cast<HMODULE>(module.get()), "XInputGetState")));
      get_keystroke_ = reinterpret_cast<GetKeystrokeFunction>(reinterpret_cast<void*>(
          GetProcAddress(static_cast<HMODULE>(module.get()), "XInputGetKeystroke")));
      // A library in use stays loaded for the life of the process: XInput
      // keeps threads of its own (Wine's reads the HID devices on one), and
      // unloading it under them ends the process with a page fault.
      if (get_state_ != nullptr)
        static_cast<void>(module.release());
    }
  }
  if (get_state_ == nullptr)
    return {};

  const std::array<std::uint32_t, kSlots> tapped = Presses();
  std::vector<std::uint32_t> held;
  const ULONGLONG now = GetTickCount64();
  for (DWORD slot = 0; slot < kSlots; ++slot) {
    if (now < next_try_[slot] && tapped[slot] == 0)
      continue;
    XINPUT_STATE state{};
    if (get_state_(slot, &state) == ERROR_SUCCESS) {
      // A press since the last read counts as held for this one, so a tap
      // between two reads is seen once.
      held.push_back(tapped[slot] | ToPadButtons(state.Gamepad.wButtons, state.Gamepad.sThumbLX,
                                                 state.Gamepad.sThumbLY));
    } else {
      // Not connected, or any other failure: nothing held there, asked
      // again later.
      next_try_[slot] = now + empty_slot_rest_ms_;
    }
  }
  return held;
}

std::array<std::uint32_t, XInputPads::kSlots> XInputPads::Presses() {
  std::array<std::uint32_t, kSlots> pressed{};
  if (get_keystroke_ == nullptr)
    return pressed;
  // The queue of every slot, emptied at each read; bounded, should a driver
  // never say it is empty.
  XINPUT_KEYSTROKE key{};
  for (int i = 0; i < 256 && get_keystroke_(XUSER_INDEX_ANY, 0, &key) == ERROR_SUCCESS; ++i) {
    if (!(key.Flags & XINPUT_KEYSTROKE_KEYDOWN) || (key.Flags & XINPUT_KEYSTROKE_REPEAT) ||
        key.UserIndex >= kSlots)
      continue;
    for (const auto& [vk, button] : kKeys) {
      if (key.VirtualKey == vk)
        pressed[key.UserIndex] |= PadBits({button});
    }
  }
  return pressed;
}

}  // namespace tavro::win32
