#pragma once
// A game's meta/iconTex.tga decoded to plain pixels, which each view turns
// into its own picture.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tavro::titles {

// The console's icons are 128 x 128; a side over this is refused before
// anything is decoded.
constexpr int kMaxIconSide = 1024;
// No TGA of that size with its header comes near this.
constexpr std::size_t kMaxIconBytes = std::size_t{5} << 20;

// Rows from the top, four bytes a pixel: red, green, blue and alpha, the
// colours not multiplied by the alpha.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
};

// None for anything that is no TGA, is damaged, or is larger than above.
std::optional<RgbaImage> DecodeIconTga(std::string_view bytes);

}  // namespace tavro::titles
