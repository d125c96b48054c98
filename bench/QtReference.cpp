// The floor the Linux program is measured against: a bare Qt window of the
// launcher's size, and (TAVRO_REFERENCE_PICTURE) the same window drawing the
// launcher's background picture, built in as the launcher builds it in, with
// one line of text in a QLabel. Nothing else: no settings, no lists, no icons.
//
//   tavro_reference_qt[_picture] [--spawn PROGRAM ARG...]
//
// With --spawn, a click anywhere in the window starts PROGRAM with its
// arguments through a bare posix_spawn: the floor of "Play Game" to the
// emulator started.

#include <spawn.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <string>
#include <vector>

extern char** environ;

namespace {

class ReferenceWindow final : public QWidget {
 public:
  explicit ReferenceWindow(std::vector<std::string> spawn) : spawn_(std::move(spawn)) {
    setWindowTitle(QStringLiteral("Tavro Reference"));
    setFixedSize(802, 386);
#ifdef TAVRO_REFERENCE_PICTURE
    background_ = QImage(QStringLiteral(":/pictures/background.jpg"));
    auto* label = new QLabel(QStringLiteral("Select a game and press Play Game"), this);
    label->setGeometry(16, 16, 400, 20);
#endif
  }

 protected:
  void paintEvent(QPaintEvent* /*event*/) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!background_.isNull())
      painter.drawImage(QPoint(0, 0), background_);
  }

  void mouseReleaseEvent(QMouseEvent* event) override {
    event->accept();
    if (spawn_.empty())
      return;
    std::vector<char*> argv;
    for (auto& arg : spawn_)
      argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  }

 private:
  std::vector<std::string> spawn_;
  QImage background_;
};

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> spawn;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--spawn") {
      spawn.assign(argv + i + 1, argv + argc);
      argc = i;
      break;
    }
  }
  QApplication app(argc, argv);
  ReferenceWindow window(std::move(spawn));
  window.show();
  return QApplication::exec();
}
