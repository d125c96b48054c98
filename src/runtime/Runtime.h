#pragma once
// What the platform supplies, as small role interfaces: this process and the
// ones it starts, the drives, message boxes, keys and controllers, pictures,
// and the shell's windows. Each platform implements them (runtime/posix + qt
// on Linux, runtime/win32 + view/win32 on Windows), the tests with a fake; the
// modules take the roles they use. File operations are plain functions
// (runtime/Files.h). All texts are UTF-8.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tavro {

// An error raised by a service or a control: a number and a text. The
// procedures that trap errors catch it (and any other std::exception); the
// view's event dispatch catches what escapes a handler.
class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(int number, const std::string& text) : std::runtime_error(text), number_(number) {}
  int Number() const noexcept { return number_; }

 private:
  int number_;
};

// Error numbers, with the meanings the classic runtime gave them.
namespace err {
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kDeviceUnavailable = 68;
constexpr int kPermissionDenied = 70;
constexpr int kPathFileAccess = 75;
constexpr int kPathNotFound = 76;
constexpr int kInvalidPicture = 481;
}  // namespace err

// A decoded picture. Each platform derives its own (QImage, HBITMAP/HICON);
// the views draw what their platform made.
class Picture {
 public:
  virtual ~Picture() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
};
using PicturePtr = std::shared_ptr<const Picture>;

// The emulator's start: the program, its mode text and the game's path, kept
// apart so that no platform has to take a joined line to pieces again.
struct EmulatorCommand {
  std::string program;    // AppFolder + "\Emulator\" + FileExe
  std::string mode_text;  // WinMode or FullMode, exactly as it stands
  std::string game_path;  // Dir1's path + separator + File1's file name

  // The one command line: the program, a blank, the mode text, a blank and
  // the game path in double quotes. The program is put in double quotes when
  // it holds a blank, so the emulator's own argv[0] stays whole.
  std::string CommandLine() const;
};

// Pictures built into the program.
enum class ResourcePicture { kNone, kBackground, kLogo, kDonate, kHand, kIcon };

// Buttons of the standard game-controller layout, one bit each.
enum class PadButton : std::uint32_t {
  kA = 1u << 0,
  kB = 1u << 1,
  kX = 1u << 2,
  kY = 1u << 3,
  kBack = 1u << 4,
  kGuide = 1u << 5,
  kStart = 1u << 6,
  kLeftStick = 1u << 7,
  kRightStick = 1u << 8,
  kLeftShoulder = 1u << 9,
  kRightShoulder = 1u << 10,
  kDpadUp = 1u << 11,
  kDpadDown = 1u << 12,
  kDpadLeft = 1u << 13,
  kDpadRight = 1u << 14,
  // The left stick pushed past its dead zone (see PadStick.h): directions
  // of their own, so that no CloseCombo of D-pad buttons is met by the stick.
  kStickUp = 1u << 15,
  kStickDown = 1u << 16,
  kStickLeft = 1u << 17,
  kStickRight = 1u << 18,
};
constexpr std::uint32_t PadBits(std::initializer_list<PadButton> buttons) {
  std::uint32_t bits = 0;
  for (auto b : buttons)
    bits |= static_cast<std::uint32_t>(b);
  return bits;
}

// The two shell windows the desktop keys hide and show.
enum class ShellWindow { kDesktop, kTaskbar };
using WindowHandle = std::uintptr_t;

// What became of a game the launcher started.
enum class GameLife { kStarted, kEnded };
// Told of each start and each end, with the number of the launcher's games
// still running after it.
using GameListener = std::function<void(GameLife life, int games_running)>;

// A listener's place among those told of the games: it is told until this
// goes. Moves; cannot be copied.
class GameSubscription {
 public:
  GameSubscription() = default;
  explicit GameSubscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
  ~GameSubscription() { Cancel(); }
  GameSubscription(GameSubscription&& other) noexcept : cancel_(std::move(other.cancel_)) {
    other.cancel_ = nullptr;
  }
  GameSubscription& operator=(GameSubscription&& other) noexcept {
    if (this != &other) {
      Cancel();
      cancel_ = std::move(other.cancel_);
      other.cancel_ = nullptr;
    }
    return *this;
  }
  GameSubscription(const GameSubscription&) = delete;
  GameSubscription& operator=(const GameSubscription&) = delete;

 private:
  void Cancel() {
    if (cancel_)
      std::exchange(cancel_, nullptr)();
  }
  std::function<void()> cancel_;
};

// This process, and the programs it starts or ends.
class Processes {
 public:
  virtual ~Processes() = default;
  // The folder of the running program, without a trailing separator.
  virtual std::string AppFolder() const = 0;
  // True when another instance of the program runs for this user. The first
  // call takes the instance lock, which is held until the process ends.
  virtual bool PreviousInstance() = 0;
  // Ends the process at once: no later statement, event or unload runs.
  [[noreturn]] virtual void End() = 0;
  // Starts the emulator with a normal window and returns at once; throws
  // RuntimeError when it cannot be started. Windows: CreateProcessW with the
  // program apart and CommandLine(); Linux: the argument vector program,
  // the mode text split into words as a shell would (nothing expanded), the
  // game path as one argument; never through a shell.
  // The started emulator is kept (by a process descriptor or handle) until
  // it ends: see GameRunning.
  virtual void StartEmulator(const EmulatorCommand& command) = 0;
  // Whether a game this process started still runs. Each call notices the
  // games that ended since the last one and tells the listeners of each
  // (the form's tick asks every 100 ms), so an end is told once and at most
  // a tick late.
  virtual bool GameRunning() = 0;
  // Listens to the games' starts and ends until the subscription goes.
  [[nodiscard]] virtual GameSubscription WatchGames(GameListener listener) = 0;
  // Ends every process of this user whose image name is image_name.
  virtual void KillByImageName(const std::string& image_name) = 0;
  // Ends at once every game this process started that still runs, through
  // the handle or descriptor kept for it: whatever name the system gave it
  // and whichever programs of the system can see it.
  virtual void EndStartedGames() = 0;

  // The emulator installed as an application of the platform's own (a
  // Flatpak on Linux, chosen where main builds the processes), named by an
  // application id. A platform without such applications keeps these
  // defaults, and the setting means nothing there.
  virtual bool RunsInstalledApps() const { return false; }
  // Whether app_id is installed for the system or for this user; false for
  // a text that is no application id.
  virtual bool AppInstalled(const std::string& /*app_id*/) { return false; }
  // Starts the application with the mode text's words and the game path (as
  // StartEmulator gives them after the program) and returns at once; throws
  // RuntimeError when it cannot be started.
  virtual void StartApp(const std::string& app_id, const EmulatorCommand& /*command*/) {
    throw RuntimeError(err::kFileNotFound, "File not found: " + app_id);
  }
  // Ends the running application, by the platform's own means (a signal to
  // the program it was started through may not reach it).
  virtual void EndApp(const std::string& /*app_id*/) {}
  // Hands a file to the system's viewer without waiting.
  virtual void OpenInViewer(const std::string& path) = 0;
};

// The drives the drive list offers, and the one it falls back to. Reading
// the list touches no drive: no medium is asked for, no mount is visited.
class Disks {
 public:
  virtual ~Disks() = default;
  virtual std::vector<std::string> Drives() = 0;
  virtual std::string FallbackDrive() const = 0;
};

// Modal message boxes with an OK button alone.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void MsgBox(const std::string& prompt, const std::string& title) = 0;
};

// The keys that act whatever has the focus: Esc, and the 9 and 8 keys of
// the main keyboard. Each platform finds them by its own codes.
enum class HotKey { kEscape, kNine, kEight };

// A global key: down now, and pressed (down at any moment) since the last
// query, so a tap between two queries is not lost.
struct KeyState {
  bool down = false;
  bool pressed = false;
};

// The keyboard and the game controllers, whatever window has the focus.
class Keys {
 public:
  virtual ~Keys() = default;
  virtual KeyState Key(HotKey key) = 0;
  // The buttons held on each connected game controller (PadButton bits),
  // one entry per controller. No controller, no controller support or no
  // permission to read one: none, and nothing is shown.
  virtual std::vector<std::uint32_t> ControllerButtons() { return {}; }
};

// Pictures: from a file (throws RuntimeError when it cannot be read) and
// built into the program.
class Pictures {
 public:
  virtual ~Pictures() = default;
  // A picture from a file that is shown fitted into a box of box_width x
  // box_height pixels at 96 DPI: decoded at the size it takes in the box at
  // the screen's DPI, or the nearest size above that the decoder gives
  // directly, and never larger than the file's own; the full image is not
  // kept. An empty box (0 x 0) asks for the file's own size. Refused from
  // the header: what is no picture, or declares a size no cover has.
  virtual PicturePtr LoadPictureToFit(const std::string& path, int box_width, int box_height) = 0;
  virtual PicturePtr LoadResourcePicture(ResourcePicture which) = 0;
  // A picture from plain pixels: rows from the top, four bytes a pixel (red,
  // green, blue, alpha; the colours not multiplied by the alpha), as a
  // game's own icon is decoded. Where it is see-through, the box's
  // background shows. A platform without it refuses it as no picture.
  virtual PicturePtr PictureFromRgba(int /*width*/, int /*height*/,
                                     const std::vector<std::uint8_t>& /*rgba*/) {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
};

// The desktop and the taskbar: every window that stands for one (none when
// the platform has none), shown or hidden, enabled or not.
class ShellWindows {
 public:
  virtual ~ShellWindows() = default;
  virtual std::vector<WindowHandle> FindShellWindows(ShellWindow which) = 0;
  virtual void ShowShellWindow(WindowHandle window, bool visible) = 0;
  virtual void EnableShellWindow(WindowHandle window, bool enable) = 0;
  // Tells the shell that file associations changed (nothing to do on Linux).
  virtual void RefreshShellIcons() = 0;
};

// Every role at once, as the platform's entry point made them: what the
// form is handed. The objects belong to whoever made them and outlive it.
struct Services {
  Processes& processes;
  Disks& disks;
  Dialogs& dialogs;
  Keys& keys;
  Pictures& pictures;
  ShellWindows& shell_windows;
};

}  // namespace tavro
