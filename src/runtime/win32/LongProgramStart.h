#pragma once
// What CreateProcessW is given for a program whose path is MAX_PATH
// characters or longer, which it takes in no form as the program: under
// Wine neither behind \\?\ nor as an 8.3 short name (Wine turns the short
// name back into the long one in a MAX_PATH buffer, and starts garbage).
// What every system takes is a file name alone, found in the current
// folder: for the length of the start, the current folder is the program's
// folder by its 8.3 name, and the started program is given ours (another
// thread sees the change for the moment of that one call; every path the
// launcher names is a full one). Where the volume keeps no short names, the
// path behind \\?\, which Windows 10 takes.

#include <string>

namespace tavro::win32 {

class LongProgramStart final {
 public:
  // program: the full path, which the command line keeps as it stands.
  explicit LongProgramStart(const std::wstring& program);
  // This process's current folder back as it was.
  ~LongProgramStart();
  LongProgramStart(const LongProgramStart&) = delete;
  LongProgramStart& operator=(const LongProgramStart&) = delete;

  // CreateProcessW's application name and current folder (null: ours).
  const wchar_t* Application() const { return application_.c_str(); }
  const wchar_t* CurrentFolder() const {
    return own_folder_.empty() ? nullptr : own_folder_.c_str();
  }

 private:
  std::wstring application_;
  std::wstring own_folder_;  // set while ours is changed
};

}  // namespace tavro::win32
