#include "FakeServices.h"

#include <atomic>
#include <fstream>
#include <random>

namespace tavro::test {

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& name_part) {
  static std::atomic<int> counter{0};
  static const auto run = std::random_device{}();
  const auto base = fs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    auto candidate =
        base / FsPath(name_part + "-" + std::to_string(run) + "-" + std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
    if (attempt > 1000)
      throw std::runtime_error("no temporary folder");
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  // Make read-only files removable again before removing the tree.
  for (auto it = fs::recursive_directory_iterator(path_, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    fs::permissions(it->path(), fs::perms::owner_all,
                    fs::perm_options::add | fs::perm_options::nofollow, ec);
  }
  fs::remove_all(path_, ec);
}

bool FakeServices::PreviousInstance() {
  calls.push_back("PreviousInstance");
  return another_instance_runs;
}

void FakeServices::End() {
  calls.push_back("End");
  throw EndCalled{};
}

void FakeServices::MsgBox(const std::string& prompt, const std::string& title) {
  calls.push_back("MsgBox:" + prompt);
  messages.push_back({prompt, title});
  if (on_message)
    on_message(messages.back());
}

void FakeServices::StartEmulator(const EmulatorCommand& command) {
  if (fail_starts)
    throw RuntimeError(err::kFileNotFound, "File not found");
  if (!start_refused.empty())
    throw RuntimeError(err::kBadFileName, start_refused);
  emulators.push_back(command);
  started.push_back("emu|" + command.CommandLine());
  watchers.Tell(GameLife::kStarted, ++games_running);
}

// Recorded as "flatpak|<id>|<mode text>|<game path>".
void FakeServices::StartApp(const std::string& app_id, const EmulatorCommand& command) {
  if (fail_starts)
    throw RuntimeError(err::kFileNotFound, "File not found");
  started.push_back("flatpak|" + app_id + "|" + command.mode_text + "|" + command.game_path);
}

PicturePtr FakeServices::LoadPicture(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  char magic[2] = {};
  if (!in.read(magic, 2) || magic[0] != '\xFF' || magic[1] != '\xD8') {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  return std::make_shared<FakePicture>(path, 1, 1);
}

PicturePtr FakeServices::PictureFromRgba(int width, int height,
                                         const std::vector<std::uint8_t>& rgba) {
  std::string source = "rgba:" + std::to_string(width) + "x" + std::to_string(height) + ":";
  for (std::size_t i = 0; i < rgba.size(); ++i) {
    static constexpr char kHex[] = "0123456789abcdef";
    if (i > 0 && i % 4 == 0)
      source += ',';
    source += kHex[rgba[i] >> 4];
    source += kHex[rgba[i] & 0xF];
  }
  return std::make_shared<FakePicture>(source, width, height);
}

PicturePtr FakeServices::LoadResourcePicture(ResourcePicture which) {
  switch (which) {
    case ResourcePicture::kBackground:
      return std::make_shared<FakePicture>("background", 1091, 460);
    case ResourcePicture::kLogo:
      return std::make_shared<FakePicture>("logo", 201, 113);
    case ResourcePicture::kDonate:
      return std::make_shared<FakePicture>("donate", 266, 142);
    case ResourcePicture::kHand:
      return std::make_shared<FakePicture>("hand", 32, 32);
    case ResourcePicture::kIcon:
      return std::make_shared<FakePicture>("icon", 256, 256);
    case ResourcePicture::kNone:
      break;
  }
  return nullptr;
}

KeyState FakeServices::Key(HotKey key) {
  const auto it = key_states.find(key);
  const int bits = it == key_states.end() ? 0 : it->second;
  return {(bits & kKeyDown) != 0, (bits & kKeyPressed) != 0};
}

std::vector<WindowHandle> FakeServices::FindShellWindows(ShellWindow which) {
  std::vector<WindowHandle> found;
  for (const auto& w : shell_windows) {
    if (w.kind == which)
      found.push_back(w.handle);
  }
  return found;
}

FakeServices::ShellWin* FakeServices::Window(WindowHandle handle) {
  for (auto& w : shell_windows) {
    if (w.handle == handle)
      return &w;
  }
  return nullptr;
}

void FakeServices::ShowShellWindow(WindowHandle window, bool visible) {
  // Recorded as the show command the platform is given: 5 shows, 0 hides.
  calls.push_back("Show:" + std::to_string(window) + ":" + (visible ? "5" : "0"));
  if (auto* w = Window(window))
    w->visible = visible;
}

void FakeServices::EnableShellWindow(WindowHandle window, bool enable) {
  calls.push_back("Enable:" + std::to_string(window) + ":" + (enable ? "1" : "0"));
  if (auto* w = Window(window))
    w->enabled = enable;
}

void FakeServices::KillByImageName(const std::string& image_name) {
  if (fail_starts)
    throw RuntimeError(err::kFileNotFound, "File not found: taskkill.exe");
  started.push_back("kill|" + image_name);
}

void FakeServices::OpenInViewer(const std::string& path) {
  if (fail_starts)
    throw RuntimeError(err::kFileNotFound, "File not found");
  started.push_back("view|" + path);
}

}  // namespace tavro::test
