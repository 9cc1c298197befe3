#include "ui/web/form1.h"

#include <emscripten/emscripten.h>

#include <exception>
#include <string>
#include <string_view>

#include "ui/check.h"
#include "ui/error_report.h"
#include "ui/form1_design.h"
#include "ui/web/dom.h"
#include "ui/web/page_ids.h"

namespace web {
namespace {

// What a check needs of the page.
class Page final : public ui::CheckFace {
 public:
  std::string Ask(std::string_view prompt) override {
    return dom::Ask(page::kInputDialog, prompt, ui::kInputDefaultText);
  }
  // The browser's language decides, read anew at each check.
  std::string DecimalSeparator() override { return dom::DecimalSeparator(); }
  void ShowLine(std::string_view line) override { dom::ShowText(ui::kText1.name, line); }
  void Announce(std::string_view line) override { dom::Announce(page::kStatus, line); }
  void Report(std::string_view report) override { dom::Report(page::kErrorDialog, report); }
};

}  // namespace

void ShowForm1() {
  dom::Bind(ui::kForm1.caption, ui::kTabOrder.front()->name,
            {{ui::kCommand1.name, &Command1_Click}, {ui::kCommand2.name, &Command2_Click}});
}

}  // namespace web

// A failed check is reported and the page goes on.
void Command1_Click() {
  web::Page page;
  ui::Check(page);
}

void Command2_Click() {
  using namespace web;
  std::string failure;
  try {
    dom::End(ui::kForm1.caption, page::kEnded, page::kStatus);
  } catch (...) {
    failure = ui::ErrorReport(std::current_exception());
  }
  if (!failure.empty()) dom::Report(page::kErrorDialog, failure);
}
