// Decodes one of the program's pictures with Qt's own readers and writes it
// ready to draw (see BakedPictures.h).
//   tavro_bake_pictures PICTURE OUT
#include <QFile>
#include <QImageReader>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "view/qt/BakedPictures.h"

namespace {

// An icon file holds each size in several colour depths; only the deepest
// of each size is kept (told from the headers, before decoding).
std::vector<QImage> DecodeIcon(const QString& path) {
  QImageReader reader(path);
  std::map<int, std::pair<int, int>> deepest;  // width -> (bits, index)
  int index = 0;
  do {
    const int bits = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    auto& kept = deepest[reader.size().width()];
    if (bits > kept.first)
      kept = {bits, index};
    ++index;
  } while (reader.jumpToNextImage());
  std::vector<QImage> images;
  for (const auto& [width, kept] : deepest) {
    if (!reader.jumpToImage(kept.second))
      return {};
    QImage image = reader.read();
    if (image.isNull())
      return {};
    images.push_back(std::move(image));
  }
  return images;
}

std::vector<QImage> Decode(const QString& path) {
  if (path.endsWith(QStringLiteral(".ico"), Qt::CaseInsensitive))
    return DecodeIcon(path);
  QImage image(path);
  if (image.isNull())
    return {};
  return {image};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: tavro_bake_pictures PICTURE OUT\n");
    return 2;
  }
  const std::vector<QImage> images = Decode(QString::fromLocal8Bit(argv[1]));
  if (images.empty()) {
    std::fprintf(stderr, "tavro_bake_pictures: %s cannot be read\n", argv[1]);
    return 1;
  }
  using tavro::baked::Entry;
  using tavro::baked::Header;
  const auto align = [](std::uint64_t at) { return (at + 15) / 16 * 16; };
  Header header{};
  std::copy(std::begin(tavro::baked::kMagic), std::end(tavro::baked::kMagic), header.magic);
  header.count = static_cast<std::uint32_t>(images.size());
  std::vector<Entry> entries;
  std::uint64_t at = align(sizeof(Header) + images.size() * sizeof(Entry));
  for (const QImage& image : images) {
    Entry entry{};
    entry.width = static_cast<std::uint32_t>(image.width());
    entry.height = static_cast<std::uint32_t>(image.height());
    entry.format = static_cast<std::uint32_t>(image.format());
    entry.bytes_per_line = static_cast<std::uint32_t>(image.bytesPerLine());
    entry.offset = at;
    at = align(at + static_cast<std::uint64_t>(image.sizeInBytes()));
    entries.push_back(entry);
  }
  QByteArray out(static_cast<qsizetype>(at), '\0');
  std::memcpy(out.data(), &header, sizeof header);
  std::memcpy(out.data() + sizeof header, entries.data(), entries.size() * sizeof(Entry));
  for (std::size_t i = 0; i < images.size(); ++i) {
    std::memcpy(out.data() + entries[i].offset, images[i].constBits(),
                static_cast<std::size_t>(images[i].sizeInBytes()));
  }
  QFile file(QString::fromLocal8Bit(argv[2]));
  if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
    std::fprintf(stderr, "tavro_bake_pictures: %s cannot be written\n", argv[2]);
    return 1;
  }
  return 0;
}
