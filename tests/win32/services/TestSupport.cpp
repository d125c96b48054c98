#include "TestSupport.h"

#include <stdexcept>

namespace tavro::test {

namespace {

// Removes a folder tree through the W functions, clearing read-only marks.
void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

std::wstring TempRoot() {
  wchar_t buffer[MAX_PATH + 1] = {};
  const DWORD len = GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring root(buffer, len);
  if (!root.empty() && root.back() == L'\\')
    root.pop_back();
  return root;
}

}  // namespace

TempFolder::TempFolder(const std::string& name) {
  static int counter = 0;
  path_ = Utf8(TempRoot()) + "\\" + name + " " + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(++counter);
  RemoveTree(Wide(path_));
  if (!CreateDirectoryW(Wide(path_).c_str(), nullptr)) {
    throw std::runtime_error("cannot make the temp folder " + path_);
  }
}

TempFolder::~TempFolder() {
  // A program started from here may still be on its way out.
  for (int i = 0; i < 50 && IsFolder(path_); ++i) {
    RemoveTree(Wide(path_));
    if (IsFolder(path_))
      Sleep(100);
  }
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string& path) {
  const UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
  if (!file)
    throw std::runtime_error("cannot open " + path);
  std::string bytes;
  char chunk[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0)
    bytes.append(chunk, got);
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  const UniqueKernelHandle file(CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file)
    throw std::runtime_error("cannot write " + path);
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write " + path);
  }
}

std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(Wide(path + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(Utf8(name));
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return names;
}

void MakeFolders(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  if (slash != std::string::npos && slash > 2 && !IsFolder(path.substr(0, slash))) {
    MakeFolders(path.substr(0, slash));
  }
  if (!IsFolder(path) && !CreateDirectoryW(Wide(path).c_str(), nullptr)) {
    throw std::runtime_error("cannot make " + path);
  }
}

void CopyFileTo(const std::string& from, const std::string& to) {
  if (!CopyFileW(Wide(from).c_str(), Wide(to).c_str(), FALSE)) {
    throw std::runtime_error("cannot copy " + from + " to " + to);
  }
}

bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 600; ++i) {  // a minute at most
    if (Exists(path))
      return true;
    Sleep(100);
  }
  return false;
}

std::string SelfPath() {
  std::wstring buffer(32768, L'\0');
  buffer.resize(GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size())));
  return Utf8(buffer);
}

UniqueKernelHandle StartSelf(const std::string& arguments) {
  const std::wstring self = Wide(SelfPath());
  std::wstring line = L"\"" + self + L"\" " + Wide(arguments);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(self.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    throw std::runtime_error("cannot start the child " + arguments);
  }
  CloseHandle(process.hThread);
  return UniqueKernelHandle(process.hProcess);
}

int WaitForExit(const UniqueKernelHandle& process) {
  if (WaitForSingleObject(process.get(), 60000) != WAIT_OBJECT_0)
    return -1;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code))
    return -1;
  return static_cast<int>(code);
}

NamedEvent::NamedEvent(const std::string& tag)
    : name_("Local\\tavro-test-" + std::to_string(GetCurrentProcessId()) + "-" + tag),
      handle_(CreateEventW(nullptr, TRUE, FALSE, Wide(name_).c_str())) {
  if (!handle_)
    throw std::runtime_error("cannot make the event " + name_);
}

bool NamedEvent::Wait() const {
  return WaitForSingleObject(handle_.get(), 60000) == WAIT_OBJECT_0;
}

}  // namespace tavro::test
