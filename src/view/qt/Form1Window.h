#pragma once
// The Qt view of Form1: one native widget per control instance, built from
// the controls' current state, following every property change at once, and
// forwarding the user's events to the form through the view contract.

#include <QIcon>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "window/controls/Control.h"
#include "window/Form1.h"
#include "window/ViewContract.h"

class QTimer;

namespace tavro {

class Form1Window final : public QWidget, public view::PadView {
 public:
  explicit Form1Window(Form1& form);
  ~Form1Window() override;
  Form1Window(const Form1Window&) = delete;
  Form1Window& operator=(const Form1Window&) = delete;

  // The widget (a QTimer for Timer1) built for a control; its objectName is
  // the control's Id.
  QObject* ObjectOf(const Control& control) const;

  // The game controller's part of the view (see view::PadView).
  bool LauncherActive() override;
  bool MessageBoxOpen() override;
  void CloseMessageBox() override;
  Control* FocusedControl() override;
  void Focus(Control& control) override;
  void ShowFocus() override;
  int FolderHighlight() override;
  void SetFolderHighlight(int row) override;
  bool DriveListOpen() override;
  void OpenDriveList(bool open) override;
  int DriveHighlight() override;
  void SetDriveHighlight(int row) override;
  void Later(std::function<void()> work) override;
  void ComeBack() override;  // Form1WindowFront.cpp
  // While Form_Load runs: the controller read on a timer of its own, to
  // close the message boxes it shows (see view::StartUpPad).
  void WatchPadWhileLoading(bool on);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QObject* Build(Control& control, QWidget* parent);
  QWidget* BuildWidget(Control& control, QWidget* parent);
  QWidget* BuildList(Control& control, QWidget* parent);
  QTimer* BuildTimer(Timer& timer);
  void Follow(Control& control, Property property);
  void FollowList(Control& control, QWidget* widget, Property property);
  void FollowAll(Control& control);
  void ApplyColors(const Control& control, QWidget* widget);
  void ApplyPointer(const Control& control, QWidget* widget);
  void SetTabOrder();
  // The cover left waiting by the file list, decoded once the input already
  // read has been handled.
  void ShowCoverAfterInput();
  bool cover_call_queued_ = false;
  // A widget's name for screen readers. The first name given starts Qt's
  // accessibility bridge (a D-Bus connection), which the window does not
  // need to show: names are given once it shows.
  void SetAccessibleName(QWidget* widget, const QString& name);
  void GiveAccessibleNames();
  std::vector<std::pair<QPointer<QWidget>, QString>> pending_names_;
  bool names_given_ = false;
  // The first control in tab order: it has the focus when the window opens,
  // as in the Windows view.
  QWidget* first_focus_ = nullptr;
  // The list pictures, made once.
  QIcon folder_open_;
  QTimer* start_up_pad_ = nullptr;
  QIcon folder_closed_;
  QIcon drive_icon_;
  bool shown_once_ = false;

  Form1& form_;
  bool unloaded_ = false;
  std::unordered_map<const Control*, QObject*> objects_;
  std::unordered_map<const QObject*, Control*> controls_;
};

}  // namespace tavro
