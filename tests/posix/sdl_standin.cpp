// A stand-in for the SDL 2 functions the program loads: one game controller
// whose buttons a thread of the test presses and lets go at any moment,
// queuing each press as SDL's event queue does. SDL's own virtual joystick
// takes its state only at each update, so a press and release between two
// collapse into nothing; real taps need this (or uinput, which these
// machines do not offer).
#include <SDL2/SDL.h>

#include <atomic>
#include <mutex>
#include <vector>

namespace {
constexpr SDL_JoystickID kId = 7;
std::mutex lock;
std::vector<SDL_Event> queue;
std::atomic<std::uint32_t> held{0};  // bit per SDL button
SDL_GameController* const kPad = reinterpret_cast<SDL_GameController*>(0x1000);
}  // namespace

extern "C" {

// The button goes down now (queued as a press) or up.
__attribute__((visibility("default"))) void StandInSet(int button, bool down) {
  if (down) {
    SDL_Event event{};
    event.type = SDL_CONTROLLERBUTTONDOWN;
    event.cbutton.which = kId;
    event.cbutton.button = static_cast<Uint8>(button);
    const std::lock_guard hold(lock);
    queue.push_back(event);
    held |= 1u << button;
  } else {
    held &= ~(1u << button);
  }
}

SDL_bool SDL_SetHintWithPriority(const char*, const char*, SDL_HintPriority) {
  return SDL_TRUE;
}
int SDL_InitSubSystem(Uint32) {
  return 0;
}
void SDL_QuitSubSystem(Uint32) {}
Uint32 SDL_WasInit(Uint32) {
  return 0;
}
void SDL_Quit(void) {}
int SDL_JoystickEventState(int state) {
  return state;
}
int SDL_GameControllerEventState(int state) {
  return state;
}
void SDL_FlushEvents(Uint32, Uint32) {
  const std::lock_guard hold(lock);
  queue.clear();
}
int SDL_PeepEvents(SDL_Event* events, int count, SDL_eventaction, Uint32 min, Uint32 max) {
  const std::lock_guard hold(lock);
  int got = 0;
  for (auto it = queue.begin(); it != queue.end() && got < count;) {
    if (it->type >= min && it->type <= max) {
      events[got++] = *it;
      it = queue.erase(it);
    } else {
      ++it;
    }
  }
  return got;
}
void SDL_GameControllerUpdate(void) {}
int SDL_NumJoysticks(void) {
  return 1;
}
SDL_bool SDL_IsGameController(int) {
  return SDL_TRUE;
}
SDL_JoystickID SDL_JoystickGetDeviceInstanceID(int) {
  return kId;
}
SDL_GameController* SDL_GameControllerOpen(int) {
  return kPad;
}
void SDL_GameControllerClose(SDL_GameController*) {}
SDL_bool SDL_GameControllerGetAttached(SDL_GameController*) {
  return SDL_TRUE;
}
Uint8 SDL_GameControllerGetButton(SDL_GameController*, SDL_GameControllerButton button) {
  return (held.load() >> button) & 1u;
}
Sint16 SDL_GameControllerGetAxis(SDL_GameController*, SDL_GameControllerAxis) {
  return 0;
}

}  // extern "C"
