#include "runtime/posix/Controllers.h"

#include <SDL2/SDL.h>
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string_view>
#include <type_traits>
#include <utility>

#include "runtime/PadStick.h"
#include "runtime/Runtime.h"

namespace tavro {

namespace {

// The library's name as every SDL 2 release installs it.
constexpr const char* kLibrary = "libSDL2-2.0.so.0";

// As long as the Windows program rests an empty slot.
constexpr std::chrono::seconds kLookEvery{2};

// An event device with a joystick's or a gamepad's buttons (BTN_JOYSTICK up
// to BTN_THUMBR: triggers, thumbs, A/B/X/Y, Start, Select...). Keyboards and
// mice have none; a node this user cannot read is no controller SDL could
// read either.
bool IsPadEventDevice(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    return false;
  constexpr int kLongBits = sizeof(unsigned long) * CHAR_BIT;
  unsigned long keys[(KEY_MAX + kLongBits) / kLongBits] = {};
  const bool read = ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) >= 0;
  close(fd);
  if (!read)
    return false;
  for (int code = BTN_JOYSTICK; code < BTN_DIGI; ++code) {
    if (keys[code / kLongBits] & (1UL << (code % kLongBits)))
      return true;
  }
  return false;
}

// Whether a game controller shows in the device folder.
bool ControllerPlugged(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr)
    return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    // A joystick node is made for every controller where the joystick
    // driver is loaded; without it, the event nodes tell.
    if (name.starts_with("js") ||
        (name.starts_with("event") && IsPadEventDevice(folder + "/" + std::string(name)))) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

constexpr std::array<std::pair<SDL_GameControllerButton, PadButton>, 15> kButtons = {{
    {SDL_CONTROLLER_BUTTON_A, PadButton::kA},
    {SDL_CONTROLLER_BUTTON_B, PadButton::kB},
    {SDL_CONTROLLER_BUTTON_X, PadButton::kX},
    {SDL_CONTROLLER_BUTTON_Y, PadButton::kY},
    {SDL_CONTROLLER_BUTTON_BACK, PadButton::kBack},
    {SDL_CONTROLLER_BUTTON_GUIDE, PadButton::kGuide},
    {SDL_CONTROLLER_BUTTON_START, PadButton::kStart},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, PadButton::kLeftStick},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, PadButton::kRightStick},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, PadButton::kLeftShoulder},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, PadButton::kRightShoulder},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, PadButton::kDpadUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, PadButton::kDpadDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, PadButton::kDpadLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, PadButton::kDpadRight},
}};

struct LibraryCloser {
  void operator()(void* handle) const { dlclose(handle); }
};
using Library = std::unique_ptr<void, LibraryCloser>;

// The SDL calls made here, looked up in the library loaded at run time.
struct Api {
  decltype(&SDL_SetHintWithPriority) SetHintWithPriority = nullptr;
  decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&SDL_WasInit) WasInit = nullptr;
  decltype(&SDL_Quit) Quit = nullptr;
  decltype(&SDL_JoystickEventState) JoystickEventState = nullptr;
  decltype(&SDL_GameControllerEventState) GameControllerEventState = nullptr;
  decltype(&SDL_FlushEvents) FlushEvents = nullptr;
  decltype(&SDL_PeepEvents) PeepEvents = nullptr;
  decltype(&SDL_GameControllerUpdate) GameControllerUpdate = nullptr;
  decltype(&SDL_NumJoysticks) NumJoysticks = nullptr;
  decltype(&SDL_IsGameController) IsGameController = nullptr;
  decltype(&SDL_JoystickGetDeviceInstanceID) JoystickGetDeviceInstanceID = nullptr;
  decltype(&SDL_GameControllerOpen) GameControllerOpen = nullptr;
  decltype(&SDL_GameControllerClose) GameControllerClose = nullptr;
  decltype(&SDL_GameControllerGetAttached) GameControllerGetAttached = nullptr;
  decltype(&SDL_GameControllerGetButton) GameControllerGetButton = nullptr;
  decltype(&SDL_GameControllerGetAxis) GameControllerGetAxis = nullptr;

  bool Load(void* library) {
    bool all = true;
    const auto find = [&](auto& function, const char* name) {
      function =
          reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
      all = all && function != nullptr;
    };
    find(SetHintWithPriority, "SDL_SetHintWithPriority");
    find(InitSubSystem, "SDL_InitSubSystem");
    find(QuitSubSystem, "SDL_QuitSubSystem");
    find(WasInit, "SDL_WasInit");
    find(Quit, "SDL_Quit");
    find(JoystickEventState, "SDL_JoystickEventState");
    find(GameControllerEventState, "SDL_GameControllerEventState");
    find(FlushEvents, "SDL_FlushEvents");
    find(PeepEvents, "SDL_PeepEvents");
    find(GameControllerUpdate, "SDL_GameControllerUpdate");
    find(NumJoysticks, "SDL_NumJoysticks");
    find(IsGameController, "SDL_IsGameController");
    find(JoystickGetDeviceInstanceID, "SDL_JoystickGetDeviceInstanceID");
    find(GameControllerOpen, "SDL_GameControllerOpen");
    find(GameControllerClose, "SDL_GameControllerClose");
    find(GameControllerGetAttached, "SDL_GameControllerGetAttached");
    find(GameControllerGetButton, "SDL_GameControllerGetButton");
    find(GameControllerGetAxis, "SDL_GameControllerGetAxis");
    return all;
  }
};

}  // namespace

class Controllers::Sdl final {
 public:
  // SDL loaded and its game-controller part started; nullptr when either
  // cannot be done.
  static std::unique_ptr<Sdl> Start(const std::string& name) {
    Library library(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!library)
      return nullptr;
    Api api;
    if (!api.Load(library.get()))
      return nullptr;
    // SDL would otherwise take SIGINT and SIGTERM (the program's own
    // handlers end it through the normal unload) and keep the screen saver
    // off. The launcher is not focused while a game runs, and that is when
    // the controller matters.
    api.SetHintWithPriority(SDL_HINT_NO_SIGNAL_HANDLERS, "1", SDL_HINT_OVERRIDE);
    api.SetHintWithPriority(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1", SDL_HINT_OVERRIDE);
    api.SetHintWithPriority(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1", SDL_HINT_OVERRIDE);
    if (api.InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0)
      return nullptr;
    return std::unique_ptr<Sdl>(new Sdl(std::move(library), api));
  }

  ~Sdl() {
    pads_.clear();
    api_.QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    // Whoever else in the process started a part of SDL keeps it.
    if (api_.WasInit(SDL_INIT_EVERYTHING) == 0)
      api_.Quit();
  }
  Sdl(const Sdl&) = delete;
  Sdl& operator=(const Sdl&) = delete;

  std::vector<std::uint32_t> Buttons() {
    // Reads the devices and notices those plugged in or out.
    api_.GameControllerUpdate();
    const auto pressed = PressedSinceLastRead();
    std::erase_if(pads_, [this](const Pad& pad) {
      return api_.GameControllerGetAttached(pad.controller.get()) != SDL_TRUE;
    });
    const int count = api_.NumJoysticks();
    for (int index = 0; index < count; ++index) {
      const SDL_JoystickID id = api_.JoystickGetDeviceInstanceID(index);
      if (id < 0 || api_.IsGameController(index) != SDL_TRUE ||
          std::any_of(pads_.begin(), pads_.end(), [id](const Pad& pad) { return pad.id == id; })) {
        continue;
      }
      // One that cannot be opened (taken away again, no permission) is
      // asked for again on the next call.
      Controller controller(api_.GameControllerOpen(index), Closer{api_.GameControllerClose});
      if (controller)
        pads_.push_back({id, std::move(controller)});
    }

    std::vector<std::uint32_t> held;
    held.reserve(pads_.size());
    for (Pad& pad : pads_) {
      std::uint32_t bits = 0;
      for (const auto& [sdl_button, button] : kButtons) {
        if (api_.GameControllerGetButton(pad.controller.get(), sdl_button) != 0)
          bits |= PadBits({button});
      }
      // A button pressed and let go again since the last read counts as
      // held for this read: a tap between two ticks is not lost.
      for (const auto& [id, bit] : pressed) {
        if (id == pad.id)
          bits |= bit;
      }
      // SDL's y grows downwards.
      pad.stick = StickBits(
          api_.GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTX),
          -api_.GameControllerGetAxis(pad.controller.get(), SDL_CONTROLLER_AXIS_LEFTY), pad.stick);
      held.push_back(bits | pad.stick);
    }
    return held;
  }

 private:
  struct Closer {
    decltype(&SDL_GameControllerClose) close;
    void operator()(SDL_GameController* controller) const { close(controller); }
  };
  using Controller = std::unique_ptr<SDL_GameController, Closer>;
  struct Pad {
    SDL_JoystickID id;
    Controller controller;
    std::uint32_t stick = 0;  // the direction the last read gave
  };

  // The button presses SDL queued since the last read, by controller; the
  // rest of the queue (releases, axes, devices) is dropped: the state read
  // after tells those. At most a queue's worth is taken per read.
  std::vector<std::pair<SDL_JoystickID, std::uint32_t>> PressedSinceLastRead() {
    std::vector<std::pair<SDL_JoystickID, std::uint32_t>> pressed;
    SDL_Event events[64];
    for (int round = 0; round < 16; ++round) {
      const int got = api_.PeepEvents(events, 64, SDL_GETEVENT, SDL_CONTROLLERBUTTONDOWN,
                                      SDL_CONTROLLERBUTTONDOWN);
      for (int i = 0; i < got; ++i) {
        for (const auto& [sdl_button, button] : kButtons) {
          if (events[i].cbutton.button == sdl_button)
            pressed.emplace_back(events[i].cbutton.which, PadBits({button}));
        }
      }
      if (got < 64)
        break;
    }
    api_.FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return pressed;
  }

  Sdl(Library library, const Api& api) : library_(std::move(library)), api_(api) {
    // The state is read by asking; the queue keeps the presses made between
    // two reads. SDL makes a controller's events from its joystick's, so
    // both are on; what is not a press is dropped at each read.
    api_.JoystickEventState(SDL_ENABLE);
    api_.GameControllerEventState(SDL_ENABLE);
  }

  Library library_;  // unloaded last
  Api api_;
  std::vector<Pad> pads_;
};

Controllers::Controllers(std::string device_folder, std::string library)
    : device_folder_(std::move(device_folder)),
      library_(library.empty() ? std::string(kLibrary) : std::move(library)) {}
Controllers::~Controllers() = default;

bool Controllers::Wanted() {
  if (device_folder_.empty())
    return true;
  const auto now = std::chrono::steady_clock::now();
  if (looked_ && now < next_look_)
    return false;
  looked_ = true;
  next_look_ = now + kLookEvery;
  return ControllerPlugged(device_folder_);
}

std::vector<std::uint32_t> Controllers::Buttons() {
  // One attempt: a library that is missing or a start that failed stays so.
  // Once loaded, SDL follows the controllers plugged in and out itself.
  if (!tried_) {
    if (!Wanted())
      return {};
    tried_ = true;
    sdl_ = Sdl::Start(library_);
  }
  return sdl_ ? sdl_->Buttons() : std::vector<std::uint32_t>{};
}

}  // namespace tavro
