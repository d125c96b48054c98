#pragma once
// The Linux services that need the toolkit: the message box, the pictures,
// and Esc through the desktop portal on a Wayland desktop. Everything else
// comes from PosixServices.

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/posix/PosixServices.h"

class QSocketNotifier;

namespace tavro {

// A decoded picture. Icon files keep every image they hold in icon(), so the
// window icon can pick the best size for each place it is shown.
class QtPicture final : public Picture {
 public:
  explicit QtPicture(QImage image, QIcon icon = {}, QPoint hotspot = {})
      : image_(std::move(image)), icon_(std::move(icon)), hotspot_(hotspot) {}
  int Width() const override { return image_.width(); }
  int Height() const override { return image_.height(); }

  const QImage& image() const { return image_; }
  // Empty unless the picture came from an icon file.
  const QIcon& icon() const { return icon_; }
  // Where the pointer's tip lies when the picture is used as a mouse pointer.
  QPoint hotspot() const { return hotspot_; }

 private:
  QImage image_;
  QIcon icon_;
  QPoint hotspot_;
};

// The QtPicture behind a picture, or nullptr (none, or made by someone else).
const QtPicture* AsQtPicture(const PicturePtr& picture);

class GlobalShortcutsPortal;
class ProcessEndWatch;

// Not final: the controller's tests give it a library folder of their own.
class QtServices : public PosixServices {
 public:
  // Each game the launcher started is watched to its end: told here with
  // true as one starts, and with whether any still runs as one ends.
  std::function<void(bool)> GameRunning;
  QtServices();
  explicit QtServices(PosixOptions options);
  ~QtServices() override;

  // Message boxes are owned by this window from now on (centred over it,
  // modal to it); nullptr makes them free-standing again.
  void SetMessageOwner(QWidget* owner) { owner_ = owner; }

  void MsgBox(const std::string& prompt, const std::string& title) override;
  PicturePtr LoadPicture(const std::string& path) override;
  // Decoded at the size the picture takes in the box at the message owner's
  // device pixel ratio: a JPEG decoder scales by 1/2, 1/4 or 1/8 while it
  // decodes, and Qt scales the rest smoothly.
  PicturePtr LoadPictureToFit(const std::string& path, int box_width, int box_height) override;
  PicturePtr LoadResourcePicture(ResourcePicture which) override;

  // On a Wayland desktop the X listener hears no key typed into a Wayland
  // window, so Esc is also asked of the desktop portal, under the program's
  // application ID and described as in the window's legend; bound only while
  // an emulator started here runs (a portal shortcut takes the key from
  // every other program). A session without the portal is told once on
  // standard error, without a box.
  void ListenOnPortal(const std::string& app_id, const std::string& description);

 protected:
  void EmulatorStarted(int pid) override;

 private:
  PicturePtr Load(const std::string& path, QSize box);
  struct LaterDeleter {
    void operator()(QSocketNotifier* notifier) const;
  };
  struct Running {
    std::unique_ptr<ProcessEndWatch> watch;
    std::unique_ptr<QSocketNotifier, LaterDeleter> notifier;  // on the watch's descriptor
  };
  void EmulatorEnded();

  QPointer<QWidget> owner_;
  QObject context_;  // what the D-Bus answers and notifiers report to; gone with this object
  enum class Portal { kNone, kAsking, kThere } portal_state_ = Portal::kNone;
  std::string app_id_;
  std::string description_;
  std::unique_ptr<GlobalShortcutsPortal> portal_;  // made at the first start of a game
  std::vector<Running> emulators_;                 // started here and still running
};

}  // namespace tavro
