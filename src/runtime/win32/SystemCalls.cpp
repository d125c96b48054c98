#include "runtime/win32/SystemCalls.h"

#include "runtime/win32/SystemLibraries.h"

namespace tavro::win32::sys {

namespace {

// The function of that name in the system folder's library, typed as the
// system's header declares it; null when either is missing.
template <typename Function>
Function* Find(const wchar_t* library, const char* name) {
  const HMODULE module = LoadSystemLibrary(library);
  if (module == nullptr)
    return nullptr;
  return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Each function is looked up once, at its first call.
#define TAVRO_SYSTEM_FUNCTION(library, name) \
  static const auto call = Find<decltype(::name)>(library, #name)

}  // namespace

void SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2) {
  TAVRO_SYSTEM_FUNCTION(L"shell32.dll", SHChangeNotify);
  if (call != nullptr)
    call(event, flags, item1, item2);
}

HRESULT SHDefExtractIconW(LPCWSTR file, int index, UINT flags, HICON* large_icon, HICON* small_icon,
                          UINT sizes) {
  TAVRO_SYSTEM_FUNCTION(L"shell32.dll", SHDefExtractIconW);
  return call != nullptr ? call(file, index, flags, large_icon, small_icon, sizes) : E_FAIL;
}

HRESULT SHGetStockIconInfo(SHSTOCKICONID id, UINT flags, SHSTOCKICONINFO* info) {
  TAVRO_SYSTEM_FUNCTION(L"shell32.dll", SHGetStockIconInfo);
  return call != nullptr ? call(id, flags, info) : E_NOTIMPL;
}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  TAVRO_SYSTEM_FUNCTION(L"comctl32.dll", InitCommonControlsEx);
  return call != nullptr ? call(controls) : FALSE;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  TAVRO_SYSTEM_FUNCTION(L"comctl32.dll", SetWindowSubclass);
  return call != nullptr ? call(window, proc, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  TAVRO_SYSTEM_FUNCTION(L"comctl32.dll", RemoveWindowSubclass);
  return call != nullptr ? call(window, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  TAVRO_SYSTEM_FUNCTION(L"comctl32.dll", DefSubclassProc);
  return call != nullptr ? call(window, message, wparam, lparam)
                         : DefWindowProcW(window, message, wparam, lparam);
}

HRESULT CoInitializeEx(LPVOID reserved, DWORD flags) {
  TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoInitializeEx);
  return call != nullptr ? call(reserved, flags) : E_FAIL;
}

void CoUninitialize() {
  TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoUninitialize);
  if (call != nullptr)
    call();
}

HRESULT CoCreateInstance(REFCLSID id, LPUNKNOWN outer, DWORD context, REFIID interface_id,
                         LPVOID* out) {
  TAVRO_SYSTEM_FUNCTION(L"ole32.dll", CoCreateInstance);
  if (call == nullptr) {
    *out = nullptr;
    return REGDB_E_CLASSNOTREG;
  }
  return call(id, outer, context, interface_id, out);
}

}  // namespace tavro::win32::sys
