#include "ui/web/form1.h"

#include <emscripten/emscripten.h>

#include <exception>
#include <string>
#include <string_view>

#include "point/conversions.h"
#include "point/point.h"
#include "ui/error_report.h"
#include "ui/form1_design.h"
#include "ui/web/dom.h"
#include "ui/web/page_ids.h"

namespace web {
namespace {

std::string AskCoordinate(std::string_view prompt) {
  return dom::Ask(page::kInputDialog, prompt, ui::kInputDefaultText);
}

}  // namespace

void ShowForm1() { dom::Bind(ui::kForm1.caption, ui::kTabOrder.front()->name); }

}  // namespace web

EMSCRIPTEN_KEEPALIVE void Command1_Click() {
  using namespace web;
  // A failed check is reported and the page goes on. The report waits for the user outside the
  // handler's catch, so that no exception is in flight while the stack is put aside.
  std::string failure;
  try {
    // X is read before Y is asked for: a number that cannot be read ends the check at once.
    const double x = point::CoordinateFromText(AskCoordinate(ui::kInputPromptX));
    const double y = point::CoordinateFromText(AskCoordinate(ui::kInputPromptY));
    const point::Point point{x, y};
    // The browser's language decides the separator, read anew at each check.
    const std::string line =
        point::ResultText(point, point::ClassifyPoint(point), dom::DecimalSeparator());
    dom::ShowText(ui::kText1.name, line);
    dom::Announce(page::kStatus, line);
  } catch (...) {
    failure = ui::ErrorReport(std::current_exception());
  }
  if (!failure.empty()) dom::Report(page::kErrorDialog, failure);
}

EMSCRIPTEN_KEEPALIVE void Command2_Click() {
  using namespace web;
  std::string failure;
  try {
    dom::End(ui::kForm1.caption, page::kEnded);
  } catch (...) {
    failure = ui::ErrorReport(std::current_exception());
  }
  if (!failure.empty()) dom::Report(page::kErrorDialog, failure);
}
