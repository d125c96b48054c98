#include "titles/IconTga.h"

#include <algorithm>
#include <cstring>
#include <memory>

// The decoder itself, only its TGA part and only from memory: nothing of it
// opens a file.
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_MAX_DIMENSIONS 1024
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace tavro::titles {

namespace {

unsigned Le16(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned>(bytes[at + 1]) << 8;
}

// Whether bytes hold every pixel of the picture their header declares,
// counted the way the decoder reads them. It reads a zero for each byte
// past the end, so a file cut short would show its missing part as a
// blank instead of as damaged. The header's sides and depths were checked
// by the decoder already.
bool HoldsEveryPixel(std::string_view bytes) {
  constexpr std::size_t kHeader = 18;
  if (bytes.size() < kHeader)
    return false;
  const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
  const bool indexed = byte(1) == 1;
  const bool rle = byte(2) >= 8;
  const unsigned bits = byte(16);
  std::uint64_t at = kHeader + byte(0);        // past the image ID
  std::uint64_t pixel_bytes = (bits + 7) / 8;  // 15 and 16 bits both read as two bytes
  if (indexed) {
    // The palette: the decoder skips its first index as bytes, then reads
    // its entries (15- and 16-bit ones as two bytes).
    const unsigned entry_bits = byte(7);
    at += Le16(bytes, 3) + std::uint64_t{Le16(bytes, 5)} * ((entry_bits + 7) / 8);
    pixel_bytes = bits == 8 ? 1 : 2;
  }
  const std::uint64_t pixels = std::uint64_t{Le16(bytes, 12)} * Le16(bytes, 14);
  if (!rle)
    return at + pixels * pixel_bytes <= bytes.size();
  // Packets: a count byte, then one pixel repeated or that many pixels,
  // read only as far as the last pixel.
  for (std::uint64_t done = 0; done < pixels;) {
    if (at >= bytes.size())
      return false;
    const unsigned packet = byte(static_cast<std::size_t>(at++));
    const std::uint64_t count = std::min<std::uint64_t>((packet & 0x7F) + 1, pixels - done);
    at += (packet & 0x80) != 0 ? pixel_bytes : count * pixel_bytes;
    done += count;
  }
  return at <= bytes.size();
}

}  // namespace

std::optional<RgbaImage> DecodeIconTga(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > kMaxIconBytes)
    return std::nullopt;
  const auto* data = reinterpret_cast<const stbi_uc*>(bytes.data());
  const int length = static_cast<int>(bytes.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  // The sides from the header first: a huge picture is never allocated.
  if (stbi_info_from_memory(data, length, &width, &height, &channels) == 0 || width <= 0 ||
      height <= 0 || width > kMaxIconSide || height > kMaxIconSide || !HoldsEveryPixel(bytes)) {
    return std::nullopt;
  }
  const std::unique_ptr<stbi_uc, void (*)(void*)> decoded(
      stbi_load_from_memory(data, length, &width, &height, &channels, 4), stbi_image_free);
  if (!decoded || width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide)
    return std::nullopt;
  RgbaImage image;
  image.width = width;
  image.height = height;
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
  std::memcpy(image.pixels.data(), decoded.get(), image.pixels.size());
  return image;
}

}  // namespace tavro::titles
