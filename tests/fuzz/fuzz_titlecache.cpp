// The emulator's title list from anyone: never a crash; every entry kept is
// a base game with a name fit to show, found again by its own path.

#include <string>

#include "FuzzCheck.h"
#include "XmlAgreement.h"
#include "runtime/Text.h"
#include "titles/TitleCache.h"
#include "titles/TitleText.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckXmlAgreement(bytes);
  for (bool windows : {false, true}) {
    const tavro::titles::TitleCache cache(bytes, windows);
    FUZZ_CHECK(cache.Size() <= size);
    (void)cache.Find(bytes);
  }
  return 0;
}
