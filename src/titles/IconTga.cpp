#include "titles/IconTga.h"

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
      height <= 0 || width > kMaxIconSide || height > kMaxIconSide) {
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
