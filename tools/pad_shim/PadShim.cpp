// A game controller for the real Linux program where there is none: loaded
// with LD_PRELOAD, it makes an SDL virtual controller inside the program (SDL
// shows one only to the process that made it) and holds its buttons as told.
// The demo uses it to show the window moved through by the pad.
//
//   TAVRO_PAD_FIFO=PATH   a FIFO the shim reads lines from, each
//                         "BUTTONS MILLISECONDS": the buttons held (their
//                         CloseCombo names joined by "+", "-" none) for so long
//
// The program loads SDL only once a controller shows among its input
// devices; the shim shows it an empty folder holding "js0" instead of
// /dev/input.

#include <SDL2/SDL.h>
#include <dirent.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

std::string FakeDevices() {
  static const std::string folder = [] {
    char name[] = "/tmp/tavro-pad-shim-XXXXXX";
    if (mkdtemp(name) == nullptr)
      return std::string("/dev/input");
    std::ofstream(std::string(name) + "/js0") << "";
    return std::string(name);
  }();
  return folder;
}

SDL_GameControllerButton ButtonNamed(const std::string& name) {
  return SDL_GameControllerGetButtonFromString(name.c_str());
}

void Play(const std::string& fifo) {
  // The program's own start of SDL's controllers comes first.
  while (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.name = "Tavro demo pad";
  SDL_Joystick* pad = SDL_JoystickOpen(SDL_JoystickAttachVirtualEx(&desc));
  if (pad == nullptr)
    return;
  std::ifstream lines(fifo);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string buttons;
    int ms = 0;
    words >> buttons >> ms;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b)
      SDL_JoystickSetVirtualButton(pad, b, 0);
    std::istringstream names(buttons);
    for (std::string name; std::getline(names, name, '+');) {
      if (ButtonNamed(name) != SDL_CONTROLLER_BUTTON_INVALID)
        SDL_JoystickSetVirtualButton(pad, ButtonNamed(name), 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

__attribute__((constructor)) void Start() {
  if (const char* fifo = std::getenv("TAVRO_PAD_FIFO"))
    std::thread(Play, std::string(fifo)).detach();
}

}  // namespace

extern "C" DIR* opendir(const char* name) {
  using OpenDir = DIR* (*)(const char*);
  static const auto next = reinterpret_cast<OpenDir>(dlsym(RTLD_NEXT, "opendir"));
  if (std::strcmp(name, "/dev/input") == 0)
    return next(FakeDevices().c_str());
  return next(name);
}
