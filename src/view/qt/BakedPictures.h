#pragma once
// The program's own pictures, decoded when the program is built and built
// into it ready to draw: a start decodes nothing and loads no image-format
// plugin for them. One file a picture, every image of an icon file in it:
//
//   header  "TVRPIC1\0", image count (u32), 0 (u32)
//   entry   width, height, QImage::Format, bytes per line (u32 each),
//           offset of the pixels from the file's start (u64), 0 (u64)
//   pixels  each image's rows, starting on a 16-byte boundary of the file
//
// Written and read on the same machine, in its own byte order.

#include <QByteArrayView>
#include <QImage>
#include <cstdint>
#include <vector>

namespace tavro::baked {

inline constexpr char kMagic[8] = {'T', 'V', 'R', 'P', 'I', 'C', '1', '\0'};

struct Header {
  char magic[8];
  std::uint32_t count;
  std::uint32_t reserved;
};

struct Entry {
  std::uint32_t width;
  std::uint32_t height;
  std::uint32_t format;
  std::uint32_t bytes_per_line;
  std::uint64_t offset;
  std::uint64_t reserved;
};

// The images of a baked file, drawing from its bytes where they lie (which
// must outlive them: the program's resources do); empty when the bytes are
// not such a file.
std::vector<QImage> Read(QByteArrayView bytes);

}  // namespace tavro::baked
