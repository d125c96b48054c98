#pragma once
// The game controllers, read through SDL2's game-controller API. SDL is
// loaded and started on the first read, never before: linked into the
// program it would load some fifty libraries (sound servers, Wayland, ...) at
// every start for a feature most starts never use. No SDL library, SDL
// failing to start or no permission to read a device: no controllers.

#include <cstdint>
#include <memory>
#include <vector>

namespace tavro {

class Controllers final {
 public:
  Controllers();
  ~Controllers();
  Controllers(const Controllers&) = delete;
  Controllers& operator=(const Controllers&) = delete;

  // The PadButton bits held on each connected game controller. Controllers
  // plugged in or out since the last call are taken into account.
  std::vector<std::uint32_t> Buttons();

 private:
  class Sdl;
  std::unique_ptr<Sdl> sdl_;
  bool tried_ = false;
};

}  // namespace tavro
