#pragma once

#include <cstddef>

#include "ui/form1_design.h"
#include "ui/win32/windows_api.h"

namespace win32 {

// The identifier of a control of Form1. Enter and Escape reach a button through the identifier
// the dialog manager gives them: IDOK for the default button (unless DM_SETDEFID says otherwise)
// and IDCANCEL for the cancel button. The others count up from 100 in tab order.
constexpr int ControlId(const ui::ControlDesign& design) {
  switch (design.keyRole) {
    case ui::KeyRole::Default:
      return IDOK;
    case ui::KeyRole::Cancel:
      return IDCANCEL;
    case ui::KeyRole::None:
      break;
  }
  std::size_t index = 0;
  while (index < ui::kTabOrder.size() && ui::kTabOrder[index] != &design) ++index;
  return 100 + static_cast<int>(index);
}

}  // namespace win32
