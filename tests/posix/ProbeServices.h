#pragma once
// PosixServices made whole for programs without a toolkit: the tests and
// their helper processes never show a message box or a picture.

#include <string>
#include <vector>

#include "runtime/posix/PosixServices.h"

namespace tavro::test {

class ProbeServices final : public PosixServices {
 public:
  using PosixServices::PosixServices;

  void MsgBox(const std::string& prompt, const std::string& title) override {
    messages.push_back(title + ": " + prompt);
  }
  PicturePtr LoadPicture(const std::string&) override {
    throw RuntimeError(err::kInvalidPicture, "Invalid picture");
  }
  PicturePtr LoadResourcePicture(ResourcePicture) override { return nullptr; }

  std::vector<std::string> messages;
};

}  // namespace tavro::test
