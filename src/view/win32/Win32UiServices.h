#pragma once
// The Windows role that needs the GUI: pictures (files decoded with the
// Windows Imaging Component, the built-in ones drawn from the pixels the
// build decoded); and Win32Roles, every Windows role as WinMain makes them.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "runtime/win32/Win32Services.h"
#include "view/win32/Win32Picture.h"

namespace tavro::win32ui {

// COM for the calling (GUI) thread, for the lifetime of the object.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialized_;
};

class Win32UiPictures final : public Pictures {
 public:
  // The window the pictures are shown in, for its DPI: the one message
  // boxes belong to.
  explicit Win32UiPictures(const Win32Dialogs& window);
  ~Win32UiPictures() override;

  // Fitted into the box at the main window's DPI; see DecodeFirstFrame.
  // Throws RuntimeError 53 for a missing file and 481 for one that is no
  // picture WIC can decode.
  PicturePtr LoadPictureToFit(const std::string& path, int box_width, int box_height) override;
  PicturePtr LoadResourcePicture(ResourcePicture which) override;
  // A game's icon: a DIB with premultiplied alpha, drawn like any cover.
  PicturePtr PictureFromRgba(int width, int height, const std::vector<std::uint8_t>& rgba) override;

 private:
  PicturePtr Load(const std::string& path, SIZE box);
  PicturePtr LoadIconResource(int id, int size);
  IWICImagingFactory* Factory();

  const Win32Dialogs& window_;
  ComApartment com_;
  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
  bool factory_tried_ = false;
  PicturePtr LoadResource(int id);
};

// Every Windows role. The shell windows come first and go last: their icon
// refresh, when still due, is made at the very end.
struct Win32Roles {
  // shell_watcher: the program the shell windows start as their watcher
  // (none: no watcher).
  explicit Win32Roles(std::wstring shell_watcher = {})
      : shell_windows(std::move(shell_watcher)), processes(shell_windows), pictures(dialogs) {}
  Win32Roles(const Win32Roles&) = delete;
  Win32Roles& operator=(const Win32Roles&) = delete;

  // What the form is handed.
  Services All() { return {processes, disks, dialogs, keys, pictures, shell_windows}; }
  // Message boxes from now on belong to this window (modal to it).
  void AttachMainWindow(HWND window) {
    dialogs.SetOwnerWindow(reinterpret_cast<WindowHandle>(window));
  }
  void FinishStart() { shell_windows.FinishStart(); }

  Win32ShellWindows shell_windows;
  Win32Processes processes;
  Win32Disks disks;
  Win32Dialogs dialogs;
  Win32Keys keys;
  Win32UiPictures pictures;
};

}  // namespace tavro::win32ui
