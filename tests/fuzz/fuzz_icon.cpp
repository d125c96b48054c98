// iconTex.tga from anyone: never a crash, never a side over the limit, and
// exactly four bytes for every pixel.

#include <string>

#include "FuzzCheck.h"
#include "titles/IconTga.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  if (const auto image = tavro::titles::DecodeIconTga(bytes)) {
    FUZZ_CHECK(image->width > 0 && image->width <= tavro::titles::kMaxIconSide);
    FUZZ_CHECK(image->height > 0 && image->height <= tavro::titles::kMaxIconSide);
    FUZZ_CHECK(image->pixels.size() == static_cast<size_t>(image->width) * image->height * 4);
  }
  return 0;
}
