#pragma once
// The game controllers, read through SDL2's game-controller API. SDL is
// loaded and started only once a game controller shows among the input
// devices, never before: it brings some twenty-five libraries and 3 MiB
// (sound servers, Wayland, ...) for a feature most starts never use. While
// none shows, the devices are looked at every 2 s, as the Windows program
// asks an empty slot again, so a pad plugged in later is seen within 2 s.
// No SDL library, SDL failing to start or no permission to read a device:
// no controllers.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavro {

class Controllers final {
 public:
  // device_folder: the input devices' folder SDL waits on (/dev/input; a
  // controller is a joystick node "js*", or an "event*" node that has
  // joystick or gamepad buttons); empty: SDL is loaded on the first read,
  // whatever is plugged in. library: the SDL library to load (empty: SDL
  // 2's own name, found as the system finds libraries).
  explicit Controllers(std::string device_folder, std::string library = {});
  ~Controllers();
  Controllers(const Controllers&) = delete;
  Controllers& operator=(const Controllers&) = delete;

  // The PadButton bits held on each connected game controller, and those
  // pressed since the last call even when let go again. Controllers plugged
  // in or out since the last call are taken into account.
  std::vector<std::uint32_t> Buttons();

 private:
  class Sdl;
  // True once SDL is worth loading: a controller shows among the devices.
  bool Wanted();

  std::string device_folder_;
  std::string library_;
  std::chrono::steady_clock::time_point next_look_{};
  bool looked_ = false;
  std::unique_ptr<Sdl> sdl_;
  bool tried_ = false;
};

}  // namespace tavro
