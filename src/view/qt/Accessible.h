#pragma once
// What screen readers are told of the two controls Qt's own accessibility
// describes otherwise: an option button whose group the model keeps
// exclusive (Qt calls a radio button without its own exclusivity a check
// box), and the drive list (on Linux Qt names a drop-down list by the entry
// it shows, so the list itself has no name).

#include <QComboBox>
#include <QRadioButton>
#include <functional>

namespace tavro {

// An option button: reported as a radio button, its action selects it as a
// click does.
class OptionRadio final : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;
};

// The drive list: named by its accessible name; the drive shown is its
// value and its text. Opening runs just before the list drops down, so it
// can be read again first.
class DriveCombo final : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<void()> Opening;
  void showPopup() override;
};

// Makes Qt describe the two classes above as said there; once per program,
// before the first widget is described.
void InstallAccessibleFactory();

}  // namespace tavro
