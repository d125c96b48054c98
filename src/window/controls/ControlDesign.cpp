#include "window/controls/ControlDesign.h"

namespace tavro {

std::string ControlDesign::Id() const {
  std::string id = name;
  // Appended piece by piece: "(" + to_string(...) trips GCC 12's -Wrestrict
  // false positive in the mingw build.
  if (index != kNoIndex) {
    id += '(';
    id += std::to_string(index);
    id += ')';
  }
  return id;
}

}  // namespace tavro
