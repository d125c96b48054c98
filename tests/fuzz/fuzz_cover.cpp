// The cover name: every game extension taken out exactly, ".jpg" put on.

#include <string>

#include "FuzzCheck.h"
#include "cover/CoverArt.h"

namespace {

// The same rule, one extension at a time, written the slow way.
std::string RemoveAll(std::string s, const std::string& what) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    if (s.compare(i, what.size(), what) == 0) {
      i += what.size();
    } else {
      out += s[i++];
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string name(reinterpret_cast<const char*>(data), size);
  const std::string cover = tavro::CoverName(name);
  FUZZ_CHECK(cover == RemoveAll(RemoveAll(RemoveAll(name, ".rpx"), ".wud"), ".wux") + ".jpg");
  FUZZ_CHECK(cover.size() <= name.size() + 4);
  return 0;
}
