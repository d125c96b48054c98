// The global key state of Esc, 9 and 8 on a real X server, keys sent
// through XTest as a keyboard would.
#include <gtest/gtest.h>

#include <X11/keysym.h>

#include "TestDisplay.h"
#include "ProbeServices.h"

namespace tavro {
namespace {

constexpr HotKey kEscape = HotKey::kEscape;
constexpr HotKey kNine = HotKey::kNine;
constexpr HotKey kEight = HotKey::kEight;
constexpr int kDown = 0x8000;
constexpr int kPressed = 1;

class KeyStateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(x_.get(), nullptr) << "needs an X display: run under xvfb-run -a";
    // The first query starts the watch; nothing is down or pressed yet.
    for (const HotKey vk : {kEscape, kNine, kEight})
      ASSERT_EQ(KeyBits(vk), 0);
  }
  void TearDown() override {
    if (x_.get() == nullptr)
      return;
    for (const KeySym sym : {XK_Escape, XK_9, XK_8})
      x_.Key(sym, false);
  }
  // The state as the bits a test table reads best.
  int KeyBits(HotKey vk) {
    const KeyState state = services_.Key(vk);
    return (state.down ? kDown : 0) | (state.pressed ? kPressed : 0);
  }
  test::TestDisplay x_;
  test::ProbeServices services_;
};

TEST_F(KeyStateTest, TapBetweenTwoQueriesIsReportedOnce) {
  x_.Key(XK_Escape, true);
  x_.Key(XK_Escape, false);
  EXPECT_EQ(KeyBits(kEscape), kPressed);
  EXPECT_EQ(KeyBits(kEscape), 0);
  // Only the key that went down.
  EXPECT_EQ(KeyBits(kNine), 0);
  EXPECT_EQ(KeyBits(kEight), 0);
}

TEST_F(KeyStateTest, HeldKeyIsDownOnEveryQueryAndPressedOnTheFirst) {
  x_.Key(XK_9, true);
  EXPECT_EQ(KeyBits(kNine), kDown | kPressed);
  EXPECT_EQ(KeyBits(kNine), kDown);
  EXPECT_EQ(KeyBits(kNine), kDown);
  x_.Key(XK_9, false);
  EXPECT_EQ(KeyBits(kNine), 0);
  // Let go and pressed again between two queries: a press of its own.
  x_.Key(XK_9, true);
  EXPECT_EQ(KeyBits(kNine), kDown | kPressed);
  x_.Key(XK_9, false);
  x_.Key(XK_9, true);
  EXPECT_EQ(KeyBits(kNine), kDown | kPressed);
}

TEST_F(KeyStateTest, EachKeyKeepsItsOwnRecord) {
  x_.Key(XK_8, true);
  x_.Key(XK_9, true);
  x_.Key(XK_9, false);
  // A query of one key does not take the press of another.
  EXPECT_EQ(KeyBits(kEight), kDown | kPressed);
  EXPECT_EQ(KeyBits(kNine), kPressed);
  EXPECT_EQ(KeyBits(kEscape), 0);
  x_.Key(XK_8, false);
  x_.Key(XK_8, true);
  x_.Key(XK_8, false);
  EXPECT_EQ(KeyBits(kEight), kPressed);
}

TEST_F(KeyStateTest, TheKeypadsNineAndEightAreOtherKeys) {
  for (const KeySym sym : {XK_KP_9, XK_KP_8, XK_KP_Prior, XK_KP_Up}) {
    if (XKeysymToKeycode(x_.get(), sym) == 0)
      continue;
    x_.Key(sym, true);
    EXPECT_EQ(KeyBits(kNine), 0) << sym;
    EXPECT_EQ(KeyBits(kEight), 0) << sym;
    x_.Key(sym, false);
  }
  ASSERT_NE(XKeysymToKeycode(x_.get(), XK_KP_9), 0) << "the server's keyboard has no keypad";
  EXPECT_EQ(KeyBits(kNine), 0);
  EXPECT_EQ(KeyBits(kEight), 0);
}

TEST_F(KeyStateTest, KeysStillReachTheFocusedWindow) {
  // Watching takes no grab: the program in front gets its keys as before.
  const Window focused = x_.Make({}, true);
  XSelectInput(x_.get(), focused, KeyPressMask);
  XSetInputFocus(x_.get(), focused, RevertToParent, CurrentTime);
  XSync(x_.get(), False);
  x_.Key(XK_Escape, true);
  x_.Key(XK_Escape, false);
  EXPECT_EQ(KeyBits(kEscape), kPressed);
  XEvent event;
  EXPECT_TRUE(XCheckTypedWindowEvent(x_.get(), focused, KeyPress, &event));
}

TEST_F(KeyStateTest, APressTheDesktopPortalHeardToo) {
  // Heard by both before a tick, or by the portal just after it: one press.
  for (const bool portal_first : {true, false}) {
    x_.Key(XK_Escape, true);
    x_.Key(XK_Escape, false);
    if (portal_first)
      services_.NotePress(kEscape);
    EXPECT_EQ(KeyBits(kEscape), kPressed);
    services_.NotePress(kEscape);
    EXPECT_EQ(KeyBits(kEscape), 0);
  }
}

}  // namespace
}  // namespace tavro
