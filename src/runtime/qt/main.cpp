// The Linux program: the services, the form, its view; then the form's load
// event, and the window.

#include <QApplication>
#include <QSocketNotifier>
#include <memory>
#include <string_view>

#include "runtime/posix/ShellWatcher.h"
#include "runtime/posix/TerminationSignals.h"
#include "runtime/qt/Form1Window.h"
#include "runtime/qt/QtServices.h"
#include "window/ViewContract.h"

int main(int argc, char* argv[]) {
  // The same program, started by itself at the first hidden desktop or dock
  // window, watches for its end: one file to copy, and no toolkit loaded.
  if (argc >= 2 && std::string_view(argv[1]) == tavro::kShellWatcherArgument)
    return tavro::RunShellWatcher(argc >= 3 ? argv[2] : "");

  // Before anything is hidden: a termination request ends the program
  // through the normal unload, never half-way.
  tavro::TerminationSignals termination;

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tavro FrontEnd"));
  QGuiApplication::setDesktopFileName(QStringLiteral("tavro-frontend"));

  tavro::PosixOptions options;
  options.shell_watcher = {"/proc/self/exe", tavro::kShellWatcherArgument};
  tavro::QtServices services(options);
  tavro::Form1 form(services);
  tavro::Form1Window window(form, services);
  services.SetMessageOwner(&window);

  // Without the pipe (no descriptor left) no handler was installed and the
  // signals end the program as they always did: nothing to watch.
  std::unique_ptr<QSocketNotifier> notifier;
  if (termination.fd() >= 0) {
    notifier = std::make_unique<QSocketNotifier>(termination.fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&termination, &window] {
      const int signal_number = termination.Take();
      if (signal_number == 0)
        return;
      // The unload runs here even inside a message box's loop or before the
      // window shows; then the program ends at once, as the signal asked.
      window.close();
      tavro::TerminationSignals::EndBy(signal_number);
    });
  }

  // The load event may show message boxes or end the process; the window is
  // shown only after it returns. An error it lets pass is shown like any
  // other event's, and the program goes on.
  tavro::view::LoadAndShow(form, [&window] { window.show(); });
  return QApplication::exec();
}
