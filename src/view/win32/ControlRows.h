#pragma once
// Where a control stands in the design-time table, as the view needs it.

#include <string_view>

#include "window/Layout.h"

namespace tavro::win32ui {

inline int RowOfDesign(const ControlDesign& design) {
  return static_cast<int>(&design - Form1Controls().data());
}

inline int ContainerRow(const ControlDesign& design) {
  if (std::string_view(design.container) == kFormName)
    return -1;
  return RowOfDesign(Form1Control(design.container));
}

inline int Depth(const ControlDesign& design) {
  int depth = 0;
  for (int row = ContainerRow(design); row >= 0; row = ContainerRow(Form1Controls()[row]))
    ++depth;
  return depth;
}

}  // namespace tavro::win32ui
