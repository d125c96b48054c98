#include "runtime/controls/Control.h"

namespace tavro {

void OptionButton::Select() {
  if (value_)
    return;
  for (auto* other : group_) {
    if (other != this)
      other->SetSelected(false);
  }
  SetSelected(true);
  if (Click)
    Click();
}

}  // namespace tavro
