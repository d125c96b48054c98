#pragma once
// The calls of the system libraries kept out of the import table (see
// SystemLibraries.h): each looks its function up in the system folder's
// library at its first call. Same arguments and results as the system's
// functions; a function the system lacks fails as the system's would (an
// error result, nothing done).

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace tavro::win32::sys {

// shell32
void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);
HRESULT SHDefExtractIconW(LPCWSTR file, int index, UINT flags, HICON* large_icon, HICON* small_icon,
                          UINT sizes);
HRESULT SHGetStockIconInfo(SHSTOCKICONID id, UINT flags, SHSTOCKICONINFO* info);

// comctl32 (version 6 through the manifest)
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
// Where comctl32 is missing no subclass was set: the window's own procedure.
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// ole32
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID id, LPUNKNOWN outer, DWORD context, REFIID interface_id,
                         LPVOID* out);

}  // namespace tavro::win32::sys
