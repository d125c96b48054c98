// The Linux program: the services, the form, its view; then the form's load
// event, and the window.

#include <QApplication>

#include "window/ViewContract.h"
#include "runtime/qt/Form1Window.h"
#include "runtime/qt/QtServices.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavro FrontEnd"));
  QGuiApplication::setDesktopFileName(QStringLiteral("tavro-frontend"));

  tavro::QtServices services;
  tavro::Form1 form(services);
  tavro::Form1Window window(form, services);
  services.SetMessageOwner(&window);

  // The load event may show message boxes or end the process; the window is
  // shown only after it returns. An error it lets pass is shown like any
  // other event's, and the program goes on.
  tavro::view::LoadAndShow(form, [&window] { window.show(); });
  return QApplication::exec();
}
