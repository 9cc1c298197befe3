#include "ui/win32/accessibility.h"

#include <initguid.h>  // defines the GUIDs that oleacc.h declares

#include <objbase.h>
#include <oleacc.h>

#include <string>

#include "ui/win32/text.h"

namespace win32 {
namespace {

const MSAAPROPID kNameProperty[] = {PROPID_ACC_NAME};

}  // namespace

AccessibleNames::~AccessibleNames() {
  Clear();
  if (services_ != nullptr) services_->Release();
  if (comStarted_) CoUninitialize();
}

// Once: COM, in the apartment a window's thread needs, and the service.
bool AccessibleNames::Start() {
  if (started_) return services_ != nullptr;
  started_ = true;
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
    services_ = nullptr;
  }
  return services_ != nullptr;
}

bool AccessibleNames::Set(HWND control, std::string_view name) {
  if (!Start()) return false;
  const std::wstring text = Widen(name);
  if (FAILED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       PROPID_ACC_NAME, text.c_str()))) {
    return false;
  }
  named_.push_back(control);
  return true;
}

void AccessibleNames::Clear() {
  for (const HWND control : named_) {
    services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                              kNameProperty, 1);
  }
  named_.clear();
}

}  // namespace win32
