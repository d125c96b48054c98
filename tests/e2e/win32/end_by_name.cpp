// Ends every process of an image name at once, as "taskkill /f /im NAME"
// does, and with /t all their descendants too, as "taskkill /f /t /im NAME"
// and the Task Manager's "End process tree" do. Wine 8's taskkill has no /t
// and finds no 64-bit program by its name.
//   end_by_name.exe [/t] NAME
// Exits with 0 when it ended at least one process.

#include <windows.h>
// After windows.h.
#include <tlhelp32.h>

#include <set>
#include <utility>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  const bool tree_too = argc == 3 && lstrcmpiW(argv[1], L"/t") == 0;
  if (argc != (tree_too ? 3 : 2))
    return 2;
  const wchar_t* name = argv[argc - 1];
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return 2;
  std::vector<std::pair<DWORD, DWORD>> all;  // process, parent
  std::set<DWORD> tree;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    all.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    if (lstrcmpiW(entry.szExeFile, name) == 0)
      tree.insert(entry.th32ProcessID);
  }
  CloseHandle(snapshot);
  for (bool grew = tree_too; grew;) {
    grew = false;
    for (const auto& [process, parent] : all) {
      if (tree.count(parent) != 0 && tree.insert(process).second)
        grew = true;
    }
  }
  int ended = 0;
  for (const DWORD process : tree) {
    if (const HANDLE handle = OpenProcess(PROCESS_TERMINATE, FALSE, process)) {
      ended += TerminateProcess(handle, 1) ? 1 : 0;
      CloseHandle(handle);
    }
  }
  return ended > 0 ? 0 : 1;
}
