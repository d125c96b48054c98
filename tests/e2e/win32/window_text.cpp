// Reads what a window of another program shows, as a person reading the
// screen would, for the end-to-end tests under Wine:
//   window_text.exe OUT_FILE TITLE
// Finds the visible top-level window titled TITLE and writes one record per
// child window to OUT_FILE (UTF-8): its class, a tab, its text (which may
// hold line breaks), a NUL. A message box's text is the line of its "Static"
// child; a drop-down list's text is the entry it shows; a list box is followed
// by a "ListBoxItem" record per row (LB_GETTEXT). Exit code 1: no such window.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
  const wchar_t* title;
  HWND found = nullptr;
};

BOOL CALLBACK FindTitled(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  if (IsWindowVisible(window) && std::wstring(text) == search->title) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty())
    return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

// WM_GETTEXT rather than GetWindowTextW: the latter does not read the text
// of another process's controls.
std::wstring TextOf(HWND window) {
  const auto length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
               reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

BOOL CALLBACK WriteChild(HWND child, LPARAM data) {
  wchar_t name[256] = {};
  GetClassNameW(child, name, 256);
  const std::string line = Utf8(name) + "\t" + Utf8(TextOf(child)) + '\0';
  std::fwrite(line.data(), 1, line.size(), reinterpret_cast<FILE*>(data));
  if (lstrcmpiW(name, L"ListBox") == 0) {
    const auto rows = SendMessageW(child, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < rows; ++i) {
      const auto length = SendMessageW(child, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length < 0)
        continue;
      std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
      SendMessageW(child, LB_GETTEXT, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(text.data()));
      text.resize(static_cast<std::size_t>(length));
      const std::string row = "ListBoxItem\t" + Utf8(text) + '\0';
      std::fwrite(row.data(), 1, row.size(), reinterpret_cast<FILE*>(data));
    }
  }
  return TRUE;
}

struct File {
  FILE* f;
  ~File() {
    if (f)
      std::fclose(f);
  }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3)
    return 2;
  Search search{argv[2]};
  EnumWindows(FindTitled, reinterpret_cast<LPARAM>(&search));
  if (!search.found)
    return 1;
  // Written beside the target and moved over it, so a reader never sees half.
  const std::wstring temp = std::wstring(argv[1]) + L".part";
  {
    File out{_wfopen(temp.c_str(), L"wb")};
    if (!out.f)
      return 2;
    EnumChildWindows(search.found, WriteChild, reinterpret_cast<LPARAM>(out.f));
  }
  return MoveFileExW(temp.c_str(), argv[1], MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}
