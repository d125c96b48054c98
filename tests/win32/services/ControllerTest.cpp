// The controller service: the system's XInput under Wine (no pad is
// connected there), and the same code reading a stand-in XInput library
// whose pads the test sets.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "runtime/Runtime.h"
#include "runtime/win32/XInputPads.h"

// After windows.h, which TestSupport.h brings.
#include <xinput.h>

namespace tavro::test {

namespace {

using win32::XInputPads;
using Held = std::vector<std::uint32_t>;

constexpr std::uint64_t kNeverAgain = ~std::uint64_t{0} / 2;

// The stand-in library, loaded by the test too: the same module as the one
// the service loads, so what the test sets is what the service reads.
class StandIn final {
 public:
  // The stand-in beside the tests, or a copy of it at path.
  explicit StandIn(std::wstring path = Wide(TestServices().AppFolder() +
                                            "\\tavro_xinput_standin.dll"))
      : path_(std::move(path)), module_(LoadLibraryW(path_.c_str())) {
    if (module_ == nullptr)
      return;
    set_pad_ =
        reinterpret_cast<SetPad>(reinterpret_cast<void*>(GetProcAddress(module_, "StandInSetPad")));
    calls_ = reinterpret_cast<CallCount>(
        reinterpret_cast<void*>(GetProcAddress(module_, "StandInCalls")));
    tap_ = reinterpret_cast<TapKey>(reinterpret_cast<void*>(GetProcAddress(module_, "StandInTap")));
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT && Loaded(); ++slot)
      Set(slot, false, 0);
  }
  ~StandIn() {
    if (module_ != nullptr)
      FreeLibrary(module_);
  }
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  bool Loaded() const { return set_pad_ != nullptr && calls_ != nullptr; }
  const std::wstring& Path() const { return path_; }
  void Set(DWORD slot, bool connected, WORD buttons) const {
    set_pad_(slot, connected ? TRUE : FALSE, buttons);
  }
  DWORD Calls(DWORD slot) const { return calls_(slot); }
  void Tap(DWORD slot, WORD virtual_key) const { tap_(slot, virtual_key); }

 private:
  using SetPad = void (*)(DWORD, BOOL, WORD);
  using CallCount = DWORD (*)(DWORD);
  using TapKey = void (*)(DWORD, WORD);
  std::wstring path_;
  HMODULE module_;
  SetPad set_pad_ = nullptr;
  CallCount calls_ = nullptr;
  TapKey tap_ = nullptr;
};

}  // namespace

TEST(Controllers, WithoutAPadOrALibraryNoneIsHeldAndNothingFails) {
  // The program's own service: asked as often as the timer asks, it answers
  // none, and loads the system's XInput only if the device list shows a
  // game controller (under Wine on Xvfb none is plugged in).
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring xinput = std::wstring(system) + L"\\xinput9_1_0.dll";
  {
    TestServices services;
    ASSERT_EQ(GetModuleHandleW(xinput.c_str()), nullptr);
    for (int tick = 0; tick < 50; ++tick)
      ASSERT_EQ(services.ControllerButtons(), Held{}) << "tick " << tick;
    EXPECT_EQ(GetModuleHandleW(xinput.c_str()) != nullptr, XInputPads::PadPlugged());
  }

  // Wine's XInput itself, loaded without the look: no pad connected.
  {
    XInputPads pads(xinput, XInputPads::kEmptySlotRestMs, nullptr);
    for (int tick = 0; tick < 50; ++tick)
      ASSERT_EQ(pads.Buttons(), Held{}) << "tick " << tick;
    EXPECT_NE(GetModuleHandleW(xinput.c_str()), nullptr);
  }

  // A library that is not there, and one without XInputGetState.
  const std::wstring unusable[] = {
      L"C:\\no such folder\\xinput9_1_0.dll",
      std::wstring(system) + L"\\kernel32.dll",
  };
  for (const auto& library : unusable) {
    XInputPads pads(library, XInputPads::kEmptySlotRestMs, nullptr);
    EXPECT_EQ(pads.Buttons(), Held{}) << Utf8(library);
    EXPECT_EQ(pads.Buttons(), Held{}) << Utf8(library);
  }
}

TEST(Controllers, EachXInputButtonIsItsPadButton) {
  const StandIn stand_in;
  ASSERT_TRUE(stand_in.Loaded());
  const auto bits = [](std::initializer_list<PadButton> b) { return PadBits(b); };
  const struct {
    WORD xinput;
    std::uint32_t held;
  } cases[] = {
      {0, 0},
      {XINPUT_GAMEPAD_A, bits({PadButton::kA})},
      {XINPUT_GAMEPAD_B, bits({PadButton::kB})},
      {XINPUT_GAMEPAD_X, bits({PadButton::kX})},
      {XINPUT_GAMEPAD_Y, bits({PadButton::kY})},
      {XINPUT_GAMEPAD_BACK, bits({PadButton::kBack})},
      {XINPUT_GAMEPAD_START, bits({PadButton::kStart})},
      {XINPUT_GAMEPAD_LEFT_THUMB, bits({PadButton::kLeftStick})},
      {XINPUT_GAMEPAD_RIGHT_THUMB, bits({PadButton::kRightStick})},
      {XINPUT_GAMEPAD_LEFT_SHOULDER, bits({PadButton::kLeftShoulder})},
      {XINPUT_GAMEPAD_RIGHT_SHOULDER, bits({PadButton::kRightShoulder})},
      {XINPUT_GAMEPAD_DPAD_UP, bits({PadButton::kDpadUp})},
      {XINPUT_GAMEPAD_DPAD_DOWN, bits({PadButton::kDpadDown})},
      {XINPUT_GAMEPAD_DPAD_LEFT, bits({PadButton::kDpadLeft})},
      {XINPUT_GAMEPAD_DPAD_RIGHT, bits({PadButton::kDpadRight})},
      {XINPUT_GAMEPAD_BACK | XINPUT_GAMEPAD_START, bits({PadButton::kBack, PadButton::kStart})},
      // The bits XInput leaves unassigned (0x0400 is Guide in the
      // undocumented extended state) are no button.
      {0x0400 | 0x0800, 0},
      {0xFFFF, bits({PadButton::kA, PadButton::kB, PadButton::kX, PadButton::kY, PadButton::kBack,
                     PadButton::kStart, PadButton::kLeftStick, PadButton::kRightStick,
                     PadButton::kLeftShoulder, PadButton::kRightShoulder, PadButton::kDpadUp,
                     PadButton::kDpadDown, PadButton::kDpadLeft, PadButton::kDpadRight})},
  };
  XInputPads pads(stand_in.Path(), XInputPads::kEmptySlotRestMs, nullptr);
  for (const auto& c : cases) {
    stand_in.Set(2, true, c.xinput);
    EXPECT_EQ(pads.Buttons(), Held{c.held}) << std::hex << "XInput buttons 0x" << c.xinput;
  }
}

TEST(Controllers, ATapBetweenTwoReadsIsHeldForTheNextReadOnly) {
  const StandIn stand_in;
  ASSERT_TRUE(stand_in.Loaded());
  XInputPads pads(stand_in.Path(), XInputPads::kEmptySlotRestMs, nullptr);
  stand_in.Set(1, true, XINPUT_GAMEPAD_B);  // B held all along
  const auto bits = [](std::initializer_list<PadButton> b) { return PadBits(b); };
  const struct {
    DWORD slot;
    WORD key;
    Held first, second;  // the read after the tap, and the one after that
  } table[] = {
      {1, VK_PAD_A, Held{bits({PadButton::kA, PadButton::kB})}, Held{bits({PadButton::kB})}},
      {1, VK_PAD_DPAD_DOWN, Held{bits({PadButton::kDpadDown, PadButton::kB})},
       Held{bits({PadButton::kB})}},
      {1, VK_PAD_START, Held{bits({PadButton::kStart, PadButton::kB})},
       Held{bits({PadButton::kB})}},
      // The stick's keys and the triggers are no button here.
      {1, VK_PAD_LTHUMB_UP, Held{bits({PadButton::kB})}, Held{bits({PadButton::kB})}},
      {1, VK_PAD_LTRIGGER, Held{bits({PadButton::kB})}, Held{bits({PadButton::kB})}},
  };
  for (const auto& row : table) {
    stand_in.Tap(row.slot, row.key);
    EXPECT_EQ(pads.Buttons(), row.first) << std::hex << row.key;
    EXPECT_EQ(pads.Buttons(), row.second) << std::hex << row.key;
  }
}

TEST(Controllers, EverySlotIsReadAndAnEmptySlotRestsBeforeItIsAskedAgain) {
  const StandIn stand_in;
  ASSERT_TRUE(stand_in.Loaded());

  // Pads in the first and the last slot: one entry each, in slot order.
  stand_in.Set(0, true, XINPUT_GAMEPAD_A);
  stand_in.Set(3, true, XINPUT_GAMEPAD_B);
  XInputPads resting(stand_in.Path(), kNeverAgain, nullptr);
  EXPECT_EQ(resting.Buttons(), (Held{PadBits({PadButton::kA}), PadBits({PadButton::kB})}));

  // The empty slots were asked once; within their rest they are not asked
  // again, and a pad plugged into one waits for the rest to end. Connected
  // slots are asked at every call.
  stand_in.Set(1, true, XINPUT_GAMEPAD_X);
  for (int tick = 0; tick < 10; ++tick)
    EXPECT_EQ(resting.Buttons().size(), 2u) << "tick " << tick;
  EXPECT_EQ(stand_in.Calls(1), 0u);
  EXPECT_EQ(stand_in.Calls(2), 1u);
  EXPECT_EQ(stand_in.Calls(0), 11u);

  // A pad taken out is gone at once, and its slot rests too.
  stand_in.Set(0, false, 0);
  EXPECT_EQ(resting.Buttons(), Held{PadBits({PadButton::kB})});
  EXPECT_EQ(resting.Buttons(), Held{PadBits({PadButton::kB})});
  EXPECT_EQ(stand_in.Calls(0), 1u);

  // Once the rest is over, the slot is asked again and its pad seen.
  XInputPads no_rest(stand_in.Path(), 0, nullptr);
  EXPECT_EQ(no_rest.Buttons(), (Held{PadBits({PadButton::kX}), PadBits({PadButton::kB})}));
  stand_in.Set(2, true, XINPUT_GAMEPAD_Y);
  EXPECT_EQ(no_rest.Buttons(),
            (Held{PadBits({PadButton::kX}), PadBits({PadButton::kY}), PadBits({PadButton::kB})}));
}

TEST(Controllers, TheLibraryIsLoadedOnlyOnceALookFindsAPadAndLooksRest) {
  // A copy of its own: a library the service used stays loaded (see
  // XInputPads), and other tests use the stand-in beside the tests.
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring library = std::wstring(temp) + L"tavro_xinput_looks-" +
                               std::to_wstring(GetCurrentProcessId()) + L".dll";
  ASSERT_TRUE(CopyFileW(Wide(TestServices().AppFolder() + "\\tavro_xinput_standin.dll").c_str(),
                        library.c_str(), FALSE));
  ASSERT_EQ(GetModuleHandleW(library.c_str()), nullptr);
  bool plugged = false;
  int looks = 0;
  const auto look = [&] {
    ++looks;
    return plugged;
  };

  // Looked at once per rest: asked ten times within it, one look.
  {
    XInputPads resting(library, kNeverAgain, look);
    for (int tick = 0; tick < 10; ++tick)
      EXPECT_EQ(resting.Buttons(), Held{}) << "tick " << tick;
    EXPECT_EQ(looks, 1);
    plugged = true;
    EXPECT_EQ(resting.Buttons(), Held{});
    EXPECT_EQ(looks, 1);
    EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);
  }

  // Without rest, every question looks until one finds a pad; the library
  // is loaded then, read at once, and no longer looked for.
  plugged = false;
  looks = 0;
  XInputPads pads(library, 0, look);
  for (int tick = 0; tick < 5; ++tick)
    EXPECT_EQ(pads.Buttons(), Held{}) << "tick " << tick;
  EXPECT_EQ(looks, 5);
  EXPECT_EQ(GetModuleHandleW(library.c_str()), nullptr);

  // A pad: loaded within that one look, and no longer looked for.
  plugged = true;
  EXPECT_EQ(pads.Buttons(), Held{});  // nothing connected in its slots yet
  EXPECT_EQ(looks, 6);
  EXPECT_NE(GetModuleHandleW(library.c_str()), nullptr);
  plugged = false;
  const StandIn stand_in(library);  // the same module: what it sets, the service reads
  ASSERT_TRUE(stand_in.Loaded());
  stand_in.Set(1, true, XINPUT_GAMEPAD_A);
  EXPECT_EQ(pads.Buttons(), Held{PadBits({PadButton::kA})});
  EXPECT_EQ(looks, 6);
}

TEST(Controllers, TheDeviceListIsReadAfreshOnlyWhenTheHidDevicesChange) {
  // A key of the test's own stands for the system's list of HID devices.
  const std::wstring watched = L"Software\\Tavro FrontEnd tests\\HID devices";
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, watched.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  int full_looks = 0;
  bool plugged = false;
  const auto look = XInputPads::PadWatch(
      [&] {
        ++full_looks;
        return plugged;
      },
      watched);
  const auto look_times = [&](int times) {
    bool seen = false;
    for (int i = 0; i < times; ++i)
      seen = look();
    return seen;
  };

  // The first two looks read the list; unchanged, it is not read again.
  EXPECT_FALSE(look_times(7));
  EXPECT_EQ(full_looks, 2);

  // A device's key made below, a value set in it, one deleted: each change
  // is read at the next two looks, and then no more.
  HKEY device = nullptr;
  ASSERT_EQ(RegCreateKeyExW(key, L"Device\\Control", 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &device, nullptr),
            ERROR_SUCCESS);
  plugged = true;
  EXPECT_TRUE(look());
  EXPECT_EQ(full_looks, 3);
  look_times(5);
  EXPECT_EQ(full_looks, 4);
  plugged = false;
  const DWORD linked = 1;
  ASSERT_EQ(RegSetValueExW(device, L"Linked", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&linked),
                           sizeof(linked)),
            ERROR_SUCCESS);
  RegCloseKey(device);
  look_times(5);
  EXPECT_EQ(full_looks, 6);
  ASSERT_EQ(RegDeleteTreeW(key, L"Device"), ERROR_SUCCESS);
  look_times(5);
  EXPECT_EQ(full_looks, 8);
  RegCloseKey(key);
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tavro FrontEnd tests");

  // No list to watch: every look reads the device list.
  full_looks = 0;
  const auto unwatched = XInputPads::PadWatch(
      [&] {
        ++full_looks;
        return false;
      },
      watched + L"\\none");
  for (int i = 0; i < 4; ++i)
    unwatched();
  EXPECT_EQ(full_looks, 4);
}

}  // namespace tavro::test
