#pragma once

#include <string_view>
#include <vector>

#include "ui/win32/windows_api.h"

struct IAccPropServices;

namespace win32 {

// Names that a screen reader reads for controls whose own text does not name them, given the
// Windows way for a control without a label: a dynamic annotation through IAccPropServices.
// Starts COM on the calling thread with the first name, and ends it with the object; where COM
// or the service is missing, controls keep the names their texts give them.
class AccessibleNames {
 public:
  AccessibleNames() = default;
  ~AccessibleNames();
  AccessibleNames(const AccessibleNames&) = delete;
  AccessibleNames& operator=(const AccessibleNames&) = delete;

  // Gives `control` the name `name` (UTF-8). False where it could not be given.
  bool Set(HWND control, std::string_view name);

  // Takes every name given back; due before the controls are destroyed.
  void Clear();

 private:
  bool Start();

  bool comStarted_ = false;
  bool started_ = false;
  IAccPropServices* services_ = nullptr;
  std::vector<HWND> named_;
};

}  // namespace win32
