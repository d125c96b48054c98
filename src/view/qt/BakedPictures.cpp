#include "view/qt/BakedPictures.h"

#include <cstring>

namespace tavro::baked {

std::vector<QImage> Read(QByteArrayView bytes) {
  const auto size = static_cast<std::uint64_t>(bytes.size());
  Header header{};
  if (size < sizeof header)
    return {};
  std::memcpy(&header, bytes.data(), sizeof header);
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 ||
      header.count > (size - sizeof header) / sizeof(Entry)) {
    return {};
  }
  std::vector<QImage> images;
  for (std::uint32_t i = 0; i < header.count; ++i) {
    Entry entry{};
    std::memcpy(&entry, bytes.data() + sizeof header + i * sizeof entry, sizeof entry);
    const auto format = static_cast<QImage::Format>(entry.format);
    const std::uint64_t length = std::uint64_t{entry.bytes_per_line} * entry.height;
    if (entry.width == 0 || entry.height == 0 || format <= QImage::Format_Invalid ||
        format >= QImage::NImageFormats || entry.offset > size || length > size - entry.offset) {
      return {};
    }
    const auto* pixels = reinterpret_cast<const uchar*>(bytes.data() + entry.offset);
    QImage image(pixels, static_cast<int>(entry.width), static_cast<int>(entry.height),
                 static_cast<qsizetype>(entry.bytes_per_line), format);
    // Qt draws from rows on 4-byte boundaries; others are drawn from a copy.
    if (reinterpret_cast<std::uintptr_t>(pixels) % 4 != 0 || entry.bytes_per_line % 4 != 0)
      image = image.copy();
    images.push_back(std::move(image));
  }
  return images;
}

}  // namespace tavro::baked
