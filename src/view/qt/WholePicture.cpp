#include "view/qt/WholePicture.h"

#include <QMessageLogContext>
#include <QString>
#include <cstdio>
#include <mutex>

namespace tavro {

namespace {

// The watch of this thread's read, if one runs. The message handler is the
// process's, and other threads' messages pass it too.
thread_local JpegEndWatch* t_watch = nullptr;
QtMessageHandler g_next_handler = nullptr;
std::once_flag g_installed;

void PassOn(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (g_next_handler != nullptr)
    g_next_handler(type, context, message);
  else
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

// Installed once and left in place: taking it out again would undo a
// handler installed after it.
class JpegWarnings final {
 public:
  static void Note(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (t_watch != nullptr && type == QtWarningMsg && context.category != nullptr &&
        qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0 &&
        message.contains(QLatin1String("premature end of data segment"), Qt::CaseInsensitive))
      t_watch->ran_out_ = true;
    PassOn(type, context, message);
  }
};

qint64 WatchedBuffer::readData(char* data, qint64 max_size) {
  const qint64 got = QBuffer::readData(data, max_size);
  if (max_size > 0 && got < max_size)
    came_short_ = true;
  if (max_size > 0 && got <= 0)
    came_empty_ = true;
  return got;
}

JpegEndWatch::JpegEndWatch() : outer_(t_watch) {
  std::call_once(g_installed, [] { g_next_handler = qInstallMessageHandler(&JpegWarnings::Note); });
  t_watch = this;
}

JpegEndWatch::~JpegEndWatch() {
  t_watch = outer_;
}

bool RanOut(const QByteArray& format, const WatchedBuffer& data, const JpegEndWatch& jpeg) {
  if (format == "jpeg" || format == "jpg")
    return jpeg.ran_out();
  if (format == "gif")
    return data.came_empty();
  if (format == "bmp")
    return data.came_short();
  return false;
}

}  // namespace tavro
