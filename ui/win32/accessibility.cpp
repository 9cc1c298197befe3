#include "ui/win32/accessibility.h"

#include <initguid.h>  // defines the GUIDs that oleacc.h declares

#include <objbase.h>
#include <oleacc.h>
#include <uiautomationcore.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "ui/win32/newer.h"
#include "ui/win32/text.h"

namespace win32 {
namespace {

const MSAAPROPID kAnnotated[] = {PROPID_ACC_NAME, PROPID_ACC_ROLE};

// UI Automation's notification, of Windows 10 1709, and what it needs around it: a provider for a
// plain window, and strings of oleaut32, which the program does not load otherwise. The values are
// those of NotificationKind_ActionCompleted and NotificationProcessing_ImportantMostRecent: a check
// is an action completed, and its line replaces any line of an earlier check not yet said.
using HostProviderFunction = HRESULT(WINAPI*)(HWND, IRawElementProviderSimple**);
using RaiseNotificationFunction = HRESULT(WINAPI*)(IRawElementProviderSimple*, int, int, BSTR,
                                                   BSTR);
using AllocateStringFunction = BSTR(WINAPI*)(const OLECHAR*, UINT);
using FreeStringFunction = void(WINAPI*)(BSTR);
constexpr int kActionCompleted = 2;
constexpr int kImportantMostRecent = 1;

// Looked up once, at the first announcement, and never changed after: all four, or none.
struct Notifications {
  HostProviderFunction hostProvider = nullptr;
  RaiseNotificationFunction raise = nullptr;
  AllocateStringFunction allocate = nullptr;
  FreeStringFunction free = nullptr;
};

const Notifications& LookupNotifications() {
  static const Notifications notifications = [] {
    const wchar_t automation[] = L"uiautomationcore.dll";
    const auto raise =
        FindNewer<RaiseNotificationFunction>(automation, "UiaRaiseNotificationEvent");
    if (raise == nullptr) return Notifications{};
    Notifications found{FindNewer<HostProviderFunction>(automation, "UiaHostProviderFromHwnd"),
                        raise,
                        FindNewer<AllocateStringFunction>(L"oleaut32.dll", "SysAllocStringLen"),
                        FindNewer<FreeStringFunction>(L"oleaut32.dll", "SysFreeString")};
    if (!found.hostProvider || !found.allocate || !found.free) return Notifications{};
    return found;
  }();
  return notifications;
}

// True where a notification carrying `line` was raised from `window`.
bool Notify(HWND window, const std::wstring& line) {
  const Notifications& uia = LookupNotifications();
  if (uia.raise == nullptr) return false;
  IRawElementProviderSimple* found = nullptr;
  if (FAILED(uia.hostProvider(window, &found)) || found == nullptr) return false;
  const auto release = [](IRawElementProviderSimple* provider) { provider->Release(); };
  const std::unique_ptr<IRawElementProviderSimple, decltype(release)> provider(found, release);
  const auto free = [&uia](BSTR text) { uia.free(text); };
  using String = std::unique_ptr<OLECHAR, decltype(free)>;
  const String text(uia.allocate(line.data(), static_cast<UINT>(line.size())), free);
  const String activity(uia.allocate(L"quadrant.result", 15), free);
  return text && activity &&
         SUCCEEDED(uia.raise(provider.get(), kActionCompleted, kImportantMostRecent, text.get(),
                             activity.get()));
}

}  // namespace

Accessibility::~Accessibility() {
  Clear();
  if (services_ != nullptr) services_->Release();
  if (comStarted_) CoUninitialize();
}

// Once: COM, in the apartment a window's thread needs, and the service.
bool Accessibility::Start() {
  if (started_) return services_ != nullptr;
  started_ = true;
  comStarted_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services_)))) {
    services_ = nullptr;
  }
  return services_ != nullptr;
}

bool Accessibility::Annotate(HWND control, std::string_view name, bool alert) {
  if (!Start()) return false;
  std::wstring text = Widen(name);
  if (FAILED(services_->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                       PROPID_ACC_NAME, text.data()))) {
    return false;
  }
  if (std::find(annotated_.begin(), annotated_.end(), control) == annotated_.end()) {
    annotated_.push_back(control);
  }
  if (!alert) return true;
  VARIANT role{};
  role.vt = VT_I4;
  role.lVal = ROLE_SYSTEM_ALERT;
  return SUCCEEDED(services_->SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                          PROPID_ACC_ROLE, role));
}

bool Accessibility::Set(HWND control, std::string_view name) {
  return Annotate(control, name, false);
}

void Accessibility::Announce(HWND window, HWND alert, std::string_view line) {
  const std::wstring text = Widen(line);
  if (Notify(window, text)) return;
  // The text names the alert where annotations are missing; where they are there, the annotated
  // name stands, whatever the system would make of a hidden static's text.
  SetWindowTextW(alert, text.c_str());
  Annotate(alert, line, true);
  NotifyWinEvent(EVENT_SYSTEM_ALERT, alert, OBJID_CLIENT, CHILDID_SELF);
}

void Accessibility::Clear() {
  for (const HWND control : annotated_) {
    services_->ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kAnnotated,
                              static_cast<int>(std::size(kAnnotated)));
  }
  annotated_.clear();
}

}  // namespace win32
