#pragma once
// The Windows services that need the GUI: pictures (files decoded with the
// Windows Imaging Component, the built-in ones drawn from the pixels the
// build decoded), and the owner window of message boxes. Not final: the
// view's tests derive from it to record message boxes instead of showing
// them, and keep every other service real.

#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <memory>

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

class Win32UiServices : public Win32Services {
 public:
  Win32UiServices();
  ~Win32UiServices() override;

  // Throws RuntimeError 53 for a missing file and 481 for one that is no
  // picture WIC can decode.
  PicturePtr LoadPicture(const std::string& path) override;
  // Fitted into the box at the main window's DPI; see DecodeFirstFrame.
  PicturePtr LoadPictureToFit(const std::string& path, int box_width, int box_height) override;
  PicturePtr LoadResourcePicture(ResourcePicture which) override;

  // Message boxes from now on belong to this window (modal to it).
  void AttachMainWindow(HWND window) { SetOwnerWindow(reinterpret_cast<WindowHandle>(window)); }

 private:
  PicturePtr Load(const std::string& path, SIZE box);
  PicturePtr LoadIconResource(int id, int size);
  IWICImagingFactory* Factory();

  ComApartment com_;
  Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
  bool factory_tried_ = false;
  PicturePtr LoadResource(int id);
};

}  // namespace tavro::win32ui
