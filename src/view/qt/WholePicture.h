#pragma once
// Telling a picture whose data ends before its last row from a whole one.
//
// Qt's readers decode what a cut-short file holds and return it as if whole:
// a JPEG (baseline or progressive), a GIF or a BMP comes back at its full
// size, its missing rows grey or black, and QImageReader reports nothing.
// Each reader shows running out in its own way, so each is watched where it
// shows it:
// - JPEG: libjpeg warns "premature end of data segment" when its data ends
//   inside the picture; Qt hands that warning to the message handler. A
//   missing end marker or bytes after it give no such warning.
// - GIF: the reader, which takes its data in chunks, asks again after a
//   read came back empty only when the picture's data is not complete.
// - BMP: the reader takes each row as one read; a row that comes back short
//   is one the file does not hold.
// Other formats are taken as the reader gives them (a cut-short PNG already
// fails to read).

#include <QBuffer>
#include <QByteArray>

namespace tavro {

class JpegWarnings;

// The data a picture is read from, noting what the reader asked of it.
class WatchedBuffer final : public QBuffer {
 public:
  using QBuffer::QBuffer;
  // A read gave fewer bytes than asked for; one gave none at all.
  bool came_short() const { return came_short_; }
  bool came_empty() const { return came_empty_; }
  // From here on: what the reader asked for its header (a GIF's size is
  // found by reading through every frame) says nothing of the picture read.
  void ForgetReads() { came_short_ = came_empty_ = false; }

 protected:
  qint64 readData(char* data, qint64 max_size) override;

 private:
  bool came_short_ = false;
  bool came_empty_ = false;
};

// Notes libjpeg's premature-end warning for reads on the thread that made
// it, from construction to destruction; the message still goes where it
// went. libjpeg passes on the first warning of a picture only, so one with
// another fault before its end (bytes between two segments) is not noted.
class JpegEndWatch final {
 public:
  JpegEndWatch();
  ~JpegEndWatch();
  JpegEndWatch(const JpegEndWatch&) = delete;
  JpegEndWatch& operator=(const JpegEndWatch&) = delete;
  bool ran_out() const { return ran_out_; }

 private:
  friend class JpegWarnings;  // the message handler that notes the warning
  bool ran_out_ = false;
  JpegEndWatch* outer_;
};

// Whether the picture just read in format (QImageReader::format()) ran out
// of data before its last row.
bool RanOut(const QByteArray& format, const WatchedBuffer& data, const JpegEndWatch& jpeg);

}  // namespace tavro
