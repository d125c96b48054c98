// Stand-in emulator, Linux build.
//
// Each start appends one record to received-command-line.txt in the folder of
// this executable: every argument after argv[0] on its own line, as received
// (UTF-8), then one empty line that ends the record. An argument that is empty
// or holds a line break cannot be told apart in this format; the launcher
// never passes one.
//
// Then it shows a small window naming the game (the last argument) and runs
// until it is killed or its window is closed. Without a display it still
// runs, windowless, so it can be ended the same way.
#include "StandIn.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace {

class FileDescriptor final {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// One write on an O_APPEND descriptor, so a reader never sees half a record
// and two starts never interleave. Returns what went wrong, or "" when written.
std::string AppendRecord(int argc, char** argv) {
  std::string record;
  for (int i = 1; i < argc; ++i) {
    record.append(argv[i]).push_back('\n');
  }
  record.push_back('\n');
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) {
    return "cannot find its own folder: " + error.message();
  }
  const std::filesystem::path file = self.parent_path() / standin::kRecordFileName;
  FileDescriptor fd(open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
  if (fd.get() < 0) {
    return "cannot open " + file.string() + ": " + std::strerror(errno);
  }
  ssize_t written;
  do {
    written = write(fd.get(), record.data(), record.size());
  } while (written < 0 && errno == EINTR);
  if (written < 0) {
    return "cannot write " + file.string() + ": " + std::strerror(errno);
  }
  return written == static_cast<ssize_t>(record.size()) ? "" : "short write to " + file.string();
}

struct DisplayCloser final {
  void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

class TopWindow final {
 public:
  TopWindow(Display* display, Window window) : display_(display), window_(window) {}
  ~TopWindow() {
    if (window_ != 0) {
      XDestroyWindow(display_, window_);
    }
  }
  TopWindow(const TopWindow&) = delete;
  TopWindow& operator=(const TopWindow&) = delete;
  Window get() const { return window_; }
  // Someone else destroyed it; there is nothing left to free.
  void Forget() { window_ = 0; }

 private:
  Display* display_;
  Window window_;
};

class GraphicsContext final {
 public:
  GraphicsContext(Display* display, Window window)
      : display_(display), gc_(XCreateGC(display, window, 0, nullptr)) {}
  ~GraphicsContext() { XFreeGC(display_, gc_); }
  GraphicsContext(const GraphicsContext&) = delete;
  GraphicsContext& operator=(const GraphicsContext&) = delete;
  GC get() const { return gc_; }

 private:
  Display* display_;
  GC gc_;
};

// A font set draws UTF-8 text when the locale allows it; when none can be
// made, the text is drawn byte by byte in the server's default font.
class FontSet final {
 public:
  explicit FontSet(Display* display) : display_(display) {
    if (!XSupportsLocale()) {
      return;
    }
    char** missing = nullptr;
    int missingCount = 0;
    char* defaultString = nullptr;
    set_ = XCreateFontSet(display, "-*-*-medium-r-normal--14-*-*-*-*-*-*-*,*", &missing,
                          &missingCount, &defaultString);
    if (missing != nullptr) {
      XFreeStringList(missing);
    }
  }
  ~FontSet() {
    if (set_ != nullptr) {
      XFreeFontSet(display_, set_);
    }
  }
  FontSet(const FontSet&) = delete;
  FontSet& operator=(const FontSet&) = delete;
  XFontSet get() const { return set_; }

 private:
  Display* display_;
  XFontSet set_ = nullptr;
};

void SetUtf8Property(Display* display, Window window, const char* name, std::string_view text) {
  XChangeProperty(display, window, XInternAtom(display, name, False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(text.data()),
                  static_cast<int>(text.size()));
}

void RunWindow(Display* display, const std::string& body) {
  const int screen = DefaultScreen(display);
  TopWindow window(display,
                   XCreateSimpleWindow(display, RootWindow(display, screen), standin::kLeft,
                                       standin::kTop, standin::kWidth, standin::kHeight, 0,
                                       BlackPixel(display, screen), WhitePixel(display, screen)));
  const std::string title(standin::kTitle);
  XStoreName(display, window.get(), title.c_str());
  SetUtf8Property(display, window.get(), "_NET_WM_NAME", title);
  const long pid = getpid();
  XChangeProperty(display, window.get(), XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL,
                  32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XClassHint classHint{const_cast<char*>("Cemu"), const_cast<char*>("Cemu")};
  XSetClassHint(display, window.get(), &classHint);
  Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window.get(), &deleteWindow, 1);
  XSelectInput(display, window.get(), ExposureMask | StructureNotifyMask);

  GraphicsContext gc(display, window.get());
  XSetForeground(display, gc.get(), BlackPixel(display, screen));
  FontSet fontSet(display);
  XMapWindow(display, window.get());

  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == Expose && event.xexpose.count == 0) {
      if (fontSet.get() != nullptr) {
        Xutf8DrawString(display, window.get(), fontSet.get(), gc.get(), 16, 64, body.data(),
                        static_cast<int>(body.size()));
      } else {
        XDrawString(display, window.get(), gc.get(), 16, 64, body.data(),
                    static_cast<int>(body.size()));
      }
    } else if (event.type == ClientMessage &&
               static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow) {
      return;
    } else if (event.type == DestroyNotify && event.xdestroywindow.window == window.get()) {
      window.Forget();
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  if (const std::string problem = AppendRecord(argc, argv); !problem.empty()) {
    std::fprintf(stderr, "stand-in emulator: %s\n", problem.c_str());
  }
  const std::string body = standin::BodyText(argc > 1 ? argv[argc - 1] : "");
  const DisplayPtr display(XOpenDisplay(nullptr));
  if (!display) {
    std::fprintf(stderr, "stand-in emulator: no display, running without a window\n");
    for (;;) {
      pause();
    }
  }
  RunWindow(display.get(), body);
  return 0;
}
