// A stand-in for xinput9_1_0.dll: the controller tests load it in place of
// the system's library and set the pads it reports. Wine's XInput reads real
// HID devices only (a virtual SDL pad is seen only inside the process that
// made it, and these machines have no /dev/uinput), so this is how a test
// holds buttons on Windows without hardware.

#include <windows.h>
#include <xinput.h>

#include <initializer_list>

namespace {

struct Slot {
  bool connected = false;
  WORD buttons = 0;
  DWORD calls = 0;
  SHORT x = 0, y = 0;  // the left thumbstick
};
Slot slots[XUSER_MAX_COUNT];

// The presses queued for XInputGetKeystroke, oldest first.
XINPUT_KEYSTROKE queue[64];
int queued = 0;

}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI XInputGetState(DWORD index, XINPUT_STATE* state) {
  if (index >= XUSER_MAX_COUNT || state == nullptr)
    return ERROR_BAD_ARGUMENTS;
  Slot& slot = slots[index];
  ++slot.calls;
  if (!slot.connected)
    return ERROR_DEVICE_NOT_CONNECTED;
  *state = XINPUT_STATE{};
  state->dwPacketNumber = slot.calls;
  state->Gamepad.wButtons = slot.buttons;
  state->Gamepad.sThumbLX = slot.x;
  state->Gamepad.sThumbLY = slot.y;
  return ERROR_SUCCESS;
}

// The next press or release of any slot (index XUSER_INDEX_ANY) or of one.
__declspec(dllexport) DWORD WINAPI XInputGetKeystroke(DWORD index, DWORD, XINPUT_KEYSTROKE* key) {
  if (key == nullptr || (index >= XUSER_MAX_COUNT && index != XUSER_INDEX_ANY))
    return ERROR_BAD_ARGUMENTS;
  for (int i = 0; i < queued; ++i) {
    if (index != XUSER_INDEX_ANY && queue[i].UserIndex != index)
      continue;
    *key = queue[i];
    for (int j = i + 1; j < queued; ++j)
      queue[j - 1] = queue[j];
    --queued;
    return ERROR_SUCCESS;
  }
  return ERROR_EMPTY;
}

// A tap of a button (its VK_PAD_ key) between two reads: its press and its
// release queued, the state left as it was.
__declspec(dllexport) void StandInTap(DWORD index, WORD virtual_key) {
  for (const WORD flags : {WORD{XINPUT_KEYSTROKE_KEYDOWN}, WORD{XINPUT_KEYSTROKE_KEYUP}}) {
    if (queued < 64)
      queue[queued++] = XINPUT_KEYSTROKE{virtual_key, 0, flags, static_cast<BYTE>(index), 0};
  }
}

// Plugs a pad into a slot (or takes it out) with these buttons held; the
// call counts start again from zero.
__declspec(dllexport) void StandInSetPad(DWORD index, BOOL connected, WORD buttons) {
  slots[index] = Slot{connected != FALSE, buttons, 0};
}

// Puts the pad's left thumbstick there.
__declspec(dllexport) void StandInSetStick(DWORD index, SHORT x, SHORT y) {
  slots[index].x = x;
  slots[index].y = y;
}

// How often XInputGetState asked for a slot since it was last set.
__declspec(dllexport) DWORD StandInCalls(DWORD index) {
  return slots[index].calls;
}

}  // extern "C"
