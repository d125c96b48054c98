// meta.xml from anyone: never a crash, and whatever name comes out is one
// the list can show.

#include <string>

#include "FuzzCheck.h"
#include "XmlAgreement.h"
#include "runtime/Text.h"
#include "titles/MetaXml.h"
#include "titles/TitleText.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  CheckXmlAgreement(bytes);
  if (const auto info = tavro::titles::ReadMetaXml(bytes, "de")) {
    if (!info->name.empty())
      FUZZ_CHECK(tavro::titles::ShowableName(info->name) == info->name);
    if (info->title_id)
      FUZZ_CHECK(tavro::titles::ParseTitleId(tavro::titles::TitleIdText(*info->title_id)) ==
                 info->title_id);
  }
  return 0;
}
