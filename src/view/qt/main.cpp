// The Linux program: the services, the form, its view; then the form's load
// event, and the window.

#include <QApplication>
#include <QFontDatabase>
#include <QMessageBox>
#include <QSocketNotifier>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "runtime/posix/DesktopSession.h"
#include "runtime/posix/ShellWatcher.h"
#include "runtime/posix/StandardStreams.h"
#include "runtime/posix/TerminationSignals.h"
#include "view/qt/Form1Window.h"
#include "view/qt/PortalEsc.h"
#include "view/qt/QtRoles.h"
#include "window/ViewContract.h"

namespace {

constexpr char kTitle[] = "Tavro FrontEnd";
constexpr char kAppId[] = TAVRO_APP_ID;

// A start that fails before the window exists is told the way the Windows
// program tells it: a box titled with the program's name where one can be
// shown, and always on standard error (a start from a terminal or a script).
void ReportStartFailure(const char* text, bool can_show_box) {
  std::fprintf(stderr, "%s: %s\n", kTitle, text);
  std::fflush(stderr);
  if (!can_show_box)
    return;
  QMessageBox box(QMessageBox::Critical, QString::fromUtf8(kTitle), QString::fromUtf8(text),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

// Qt ends a program it cannot give a window system (no display, no platform
// plugin) with a fatal message and an abort. While the application starts,
// that fatal message is reported as any other failed start and the program
// ends with an exit code instead of a crash.
QtMessageHandler g_previous_handler = nullptr;

void ReportFatalStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    if (g_previous_handler != nullptr)
      g_previous_handler(type, context, message);
    else
      std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    return;
  }
  const QByteArray text = "The window cannot be opened. " + message.toLocal8Bit();
  ReportStartFailure(text.constData(), false);
  std::_Exit(EXIT_FAILURE);
}

// The program proper: its services, the form, the window and its events.
int Run(tavro::TerminationSignals& termination, const tavro::DesktopSession& session) {
  // The fonts are listed (fontconfig's configuration and every font's entry
  // read) on a thread of their own while the window is built; the window
  // first needs them as it shows. Qt's font database may be asked from any
  // thread.
  const std::jthread list_fonts([] { QFontDatabase::families(); });

  tavro::PosixOptions options;
  options.shell_watcher = {"/proc/self/exe", tavro::kShellWatcherArgument};
  tavro::QtRoles roles(options);
  tavro::Form1 form(roles.All());
  tavro::Form1Window window(form);
  roles.dialogs.SetMessageOwner(&window);
  tavro::PortalEsc portal_esc(roles.processes, roles.keys, roles.dialogs);

  // Without the pipe (no descriptor left) no handler was installed and the
  // signals end the program as they always did: nothing to watch.
  std::unique_ptr<QSocketNotifier> notifier;
  if (termination.fd() >= 0) {
    notifier = std::make_unique<QSocketNotifier>(termination.fd(), QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, [&termination, &window] {
      const int signal_number = termination.Take();
      if (signal_number == 0)
        return;
      // The unload runs here even inside a message box's loop; then the
      // program ends at once, as the signal asked.
      window.close();
      tavro::TerminationSignals::EndBy(signal_number);
    });
  }

  // The load event may show message boxes or end the process; the window is
  // shown only after it returns. An error it lets pass is shown like any
  // other event's, and the program goes on.
  window.WatchPadWhileLoading(true);
  tavro::view::LoadAndShow(form, [&window] {
    window.WatchPadWhileLoading(false);
    window.show();
  });
  if (tavro::WantsPortalKeys(session))
    portal_esc.Listen(kAppId, form.Label5.Caption());
  // From here the timer ticks and the keys may hide the desktop or the
  // taskbar: a signal goes through the window's close, which shows them.
  termination.WatchedByLoop();
  return QApplication::exec();
}

}  // namespace

int main(int argc, char* argv[]) {
  // Before Qt, X or any pipe takes a descriptor: started with a standard
  // stream closed, the first descriptor made would take its number.
  tavro::OpenStandardStreams();
  // Standard error may be a pipe whose reader has gone (piped into a program
  // that ended): a warning must not end the launcher.
  tavro::IgnoreBrokenPipes();

  // The same program, started by itself at the first hidden desktop or dock
  // window, watches for its end: one file to copy, and no toolkit loaded.
  if (argc >= 2 && std::string_view(argv[1]) == tavro::kShellWatcherArgument)
    return tavro::RunShellWatcher(argc >= 3 ? argv[2] : "");

  // From the first moment a termination request ends the start; once the
  // window runs, through the normal unload, never half-way.
  tavro::TerminationSignals termination;

  // The window system is chosen here rather than left to Qt's default (see
  // DesktopSession.h), given to Qt as its -platform argument so that no
  // program started from here inherits the choice.
  const tavro::DesktopSession session = tavro::SessionFromEnvironment();
  const std::string platform = tavro::QtPlatformFor(session);
  std::vector<char*> args(argv, argv + argc);
  std::string platform_flag = "-platform";
  if (!platform.empty() && std::none_of(args.begin(), args.end(), [](const char* a) {
        return a == std::string_view("-platform");
      })) {
    args.push_back(platform_flag.data());
    args.push_back(const_cast<char*>(platform.c_str()));
  }
  int qt_argc = static_cast<int>(args.size());
  args.push_back(nullptr);

  g_previous_handler = qInstallMessageHandler(ReportFatalStart);
  QApplication app(qt_argc, args.data());
  qInstallMessageHandler(g_previous_handler);
  QApplication::setApplicationName(QStringLiteral("Tavro FrontEnd"));
  // The Wayland window's app_id: the .desktop file it belongs to.
  QGuiApplication::setDesktopFileName(QStringLiteral(TAVRO_APP_ID));

  try {
    return Run(termination, session);
  } catch (const std::exception& e) {
    // Only the start can fail this way: the services (the program's own
    // folder), the form or its window could not be made.
    ReportStartFailure(e.what(), true);
    return EXIT_FAILURE;
  }
}
