#include "ui/check.h"

#include <exception>
#include <string>

#include "point/conversions.h"
#include "point/point.h"
#include "ui/error_report.h"
#include "ui/form1_design.h"

namespace ui {

void Check(CheckFace& face) {
  // The report waits for the user outside the catch: in the browser the stack is put aside while
  // a dialog is open, which it cannot be with an exception in flight.
  std::string failure;
  try {
    // X is read before Y is asked for: a number that cannot be read ends the check at once.
    const double x = point::CoordinateFromText(face.Ask(kInputPromptX));
    const double y = point::CoordinateFromText(face.Ask(kInputPromptY));
    const point::Point point{x, y};
    const std::string line =
        point::ResultText(point, point::ClassifyPoint(point), face.DecimalSeparator());
    face.ShowLine(line);
    face.Announce(line);
  } catch (...) {
    failure = ErrorReport(std::current_exception());
  }
  if (!failure.empty()) face.Report(failure);
}

}  // namespace ui
