#pragma once
// Numbers the console's files (.wua archives, the play statistics) store
// with their most significant byte first.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tavro::titles {

// The count bytes from at, read as one big-endian number; the caller has
// checked that they are there.
inline std::uint64_t BigEndian(std::string_view bytes, std::size_t at, std::size_t count) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < count; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace tavro::titles
