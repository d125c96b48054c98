#pragma once
// The Linux roles that need the toolkit: the message box and the pictures.
// The others are in runtime/posix; QtRoles makes them all.

#include <QIcon>
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <memory>
#include <string>

#include "runtime/Runtime.h"

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

// Not final: the tests that need no real box record them instead.
class QtDialogs : public Dialogs {
 public:
  // Message boxes are owned by this window from now on (centred over it,
  // modal to it); nullptr makes them free-standing again.
  void SetMessageOwner(QWidget* owner) { owner_ = owner; }
  QWidget* MessageOwner() const { return owner_.data(); }

  void MsgBox(const std::string& prompt, const std::string& title) override;

 private:
  QPointer<QWidget> owner_;
};

class QtPictures final : public Pictures {
 public:
  // The window the pictures are shown in, for its device pixel ratio: the
  // one message boxes belong to.
  explicit QtPictures(const QtDialogs& window) : window_(window) {}

  // Decoded at the size the picture takes in the box at the message owner's
  // device pixel ratio: a JPEG decoder scales by 1/2, 1/4 or 1/8 while it
  // decodes, and Qt scales the rest smoothly.
  PicturePtr LoadPictureToFit(const std::string& path, int box_width, int box_height) override;
  PicturePtr LoadResourcePicture(ResourcePicture which) override;
  PicturePtr PictureFromRgba(int width, int height, const std::vector<std::uint8_t>& rgba) override;

 private:
  PicturePtr Load(const std::string& path, QSize box);
  const QtDialogs& window_;
};

}  // namespace tavro
