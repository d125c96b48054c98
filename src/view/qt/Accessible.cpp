#include "view/qt/Accessible.h"

#include <QAccessibleWidget>
#include <QAbstractItemView>

namespace tavro {

void DriveCombo::showPopup() {
  if (Opening)
    Opening();
  QComboBox::showPopup();
}

namespace {

class OptionAccessible final : public QAccessibleWidget {
 public:
  explicit OptionAccessible(OptionRadio* button)
      : QAccessibleWidget(button, QAccessible::RadioButton) {}

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = Button()->isChecked();
    return state;
  }
  QStringList actionNames() const override {
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
      names.prepend(toggleAction());
    return names;
  }
  void doAction(const QString& name) override {
    // What a click does: the view hands the change to the model, which
    // decides the group.
    if (name == toggleAction()) {
      if (widget()->isEnabled())
        Button()->click();
      return;
    }
    QAccessibleWidget::doAction(name);
  }

 private:
  OptionRadio* Button() const { return static_cast<OptionRadio*>(widget()); }
};

// The drive list: its name says what it is; the drive shown is read as its
// text, the way a reader reads the entry a drop-down list shows. Its one
// child is the list that drops down, as in Qt's own description.
class DriveAccessible final : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit DriveAccessible(DriveCombo* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface)
      return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value)
      return Combo()->currentText();
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Combo()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Combo()->view() ? 0 : -1;
  }
  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }
  void doAction(const QString& name) override {
    if (name == showMenuAction()) {
      Combo()->showPopup();
      return;
    }
    QAccessibleWidget::doAction(name);
  }

  // The text: the drive shown, read only.
  QString text(int start, int end) const override {
    const QString shown = Combo()->currentText();
    if (end < 0 || end > shown.size())
      end = static_cast<int>(shown.size());
    return start < 0 || start > end ? QString() : shown.mid(start, end - start);
  }
  int characterCount() const override { return static_cast<int>(Combo()->currentText().size()); }
  int cursorPosition() const override { return 0; }
  void setCursorPosition(int /*position*/) override {}
  void selection(int /*index*/, int* start, int* end) const override { *start = *end = 0; }
  int selectionCount() const override { return 0; }
  void addSelection(int /*start*/, int /*end*/) override {}
  void removeSelection(int /*index*/) override {}
  void setSelection(int /*index*/, int /*start*/, int /*end*/) override {}
  QRect characterRect(int /*offset*/) const override { return {}; }
  int offsetAtPoint(const QPoint& /*point*/) const override { return -1; }
  void scrollToSubstring(int /*start*/, int /*end*/) override {}
  QString attributes(int offset, int* start, int* end) const override {
    *start = *end = offset;
    return {};
  }

 private:
  DriveCombo* Combo() const { return static_cast<DriveCombo*>(widget()); }
};

QAccessibleInterface* Describe(const QString& /*class_name*/, QObject* object) {
  if (auto* option = dynamic_cast<OptionRadio*>(object))
    return new OptionAccessible(option);
  if (auto* drive = dynamic_cast<DriveCombo*>(object))
    return new DriveAccessible(drive);
  return nullptr;
}

}  // namespace

void InstallAccessibleFactory() {
  // Qt keeps one entry per factory, and asks the last installed first.
  QAccessible::installFactory(&Describe);
}

}  // namespace tavro
