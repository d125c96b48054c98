#pragma once
// The game controller moves through the launcher's window as the keyboard
// does. This is the rule for when a button acts; what an action does to the
// focused control is the view contract's (window/ViewContract.h).

#include <cstdint>
#include <utility>
#include <vector>

namespace tavro {

enum class PadAction {
  kNone,
  kUp,        // D-pad or stick up: the previous entry of the focused list
  kDown,      // the next entry
  kPrevious,  // D-pad or stick left, left shoulder: the previous control in tab order
  kNext,      // right, right shoulder: the next control
  kAccept,    // A: Enter or Space on the focused control
  kPlay,      // Start: Play Game from anywhere
  kUpFolder,  // B: the folder list one level up; closes an opened list or box
  kOther,     // any other button: acts only as the first press (see Tick)
};

// Fed the buttons read at each tick of the window's timer, it gives at most
// one action per tick:
// - a button acts on a press that begins while the launcher is the active
//   window and no other button is held (on any controller);
// - buttons held when the launcher becomes active act only once let go and
//   pressed again (Start still held after the close combination ended a
//   game must not start the next one);
// - a button of the close combination acts when it is let go, not when it
//   is pressed, and only when no other button joined it and the whole
//   combination was never held meanwhile: pressed first, Start cannot tell
//   yet whether Back will follow;
// - a direction held alone repeats after half a second, then at every tick;
// - while a game the launcher started runs, nothing acts (the close
//   combination is watched apart); what is held as it ends waits for its
//   release, as when the launcher comes to the front.
// A press reaches Tick as the button held at that tick: the platforms report
// a button pressed since the last read as held for that read, so a tap
// between two ticks acts once, at the next tick.
class PadNavigation {
 public:
  static constexpr int kRepeatAfterMs = 500;

  // controllers: PadButton bits per controller; active: the launcher's
  // window or one of its own message boxes is the active window; combo: the
  // close combination's buttons (0: none); tick_ms: the time since the last
  // tick.
  PadAction Tick(const std::vector<std::uint32_t>& controllers, bool active, std::uint32_t combo,
                 int tick_ms);

  // Whether a game the launcher started runs; told as that changes.
  void SetGameRunning(bool running) { game_running_ = running; }
  bool GameRunning() const { return game_running_; }

  // True once, for the first press that acts: it only brings the focus to
  // the game list, whatever had it at start.
  bool Wake() { return !std::exchange(woken_, true); }

  // The return to the launcher after a game the pad started. Acting: an
  // action of the pad is being carried out, so a game started now was
  // started with the pad. Told of each start and end, with how many games
  // run after it; once the last has ended and the pad had started one,
  // ComeBackDue is true once: the launcher should come back to the front for
  // the pad to work at once. A game started with the mouse or the keyboard
  // leaves the window where the player put it.
  void SetActing(bool acting) { acting_ = acting; }
  void GameStarted() { played_by_pad_ = played_by_pad_ || acting_; }
  void GameEnded(int games_running) {
    if (games_running == 0 && std::exchange(played_by_pad_, false))
      come_back_ = true;
  }
  bool ComeBackDue() { return std::exchange(come_back_, false); }

 private:
  std::uint32_t held_ = 0;       // at the last tick, stick folded into the D-pad
  std::uint32_t pending_ = 0;    // a combination's button, waiting for its release
  std::uint32_t repeating_ = 0;  // the direction held alone
  int repeat_ms_ = 0;            // up to kRepeatAfterMs
  bool was_active_ = false;      // at the last tick
  bool game_running_ = false;
  bool woken_ = false;
  bool acting_ = false;
  bool played_by_pad_ = false;  // a game runs that the pad started
  bool come_back_ = false;
};

}  // namespace tavro
