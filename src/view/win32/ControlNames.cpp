#include "view/win32/ControlNames.h"

#include "runtime/win32/SystemCalls.h"

namespace tavro::win32ui {

void ControlNames::Name(HWND window, const std::wstring& name) {
  if (!tried_) {
    tried_ = true;
    // Through the system folder's ole32, loaded at this first call.
    win32::sys::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IAccPropServices,
                                 reinterpret_cast<void**>(service_.GetAddressOf()));
  }
  if (service_ && window != nullptr &&
      SUCCEEDED(service_->SetHwndPropStr(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                         PROPID_ACC_NAME, name.c_str()))) {
    named_.push_back(window);
  }
}

void ControlNames::Clear() {
  for (HWND window : named_) {
    service_->ClearHwndProps(window, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             &PROPID_ACC_NAME, 1);
  }
  named_.clear();
}

}  // namespace tavro::win32ui
