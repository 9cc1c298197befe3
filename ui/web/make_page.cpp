// Writes the browser's page from the window's design: index.html with Form1, its input dialog and
// its error report, and form1.css with the design's measures. Made at build time, so that the
// page paints before the program has loaded; the program then binds to it (ui/web/dom.cpp).
//
//   make_page SITE_DIR DESCRIPTION CONTENT_SECURITY_POLICY ONE_FILE_NAME   (under node, with the
//   real file system)

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ui/form1_design.h"
#include "ui/web/page_ids.h"

namespace {

// A CSS pixel is 1/96 inch.
constexpr int kCssDpi = 96;

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// A caption's "&" marks its access key, the letter after it (one UTF-8 character).
struct Caption {
  std::string_view before;
  std::string_view key;
  std::string_view after;
};

Caption SplitCaption(std::string_view text) {
  const std::size_t marker = text.find('&');
  if (marker == std::string_view::npos || marker + 1 == text.size()) return {text, {}, {}};
  std::size_t end = marker + 2;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return {text.substr(0, marker), text.substr(marker + 1, end - marker - 1), text.substr(end)};
}

// The access key as a browser matches it against the key pressed: in lower case, for the Latin
// and the Russian capitals.
std::string LowerKey(std::string_view key) {
  std::string lower(key);
  if (lower.size() == 1 && lower[0] >= 'A' && lower[0] <= 'Z') {
    lower[0] = static_cast<char>(lower[0] - 'A' + 'a');
  } else if (lower.size() == 2) {
    // U+0410..U+042F are D0 90..D0 AF; their lower case U+0430..U+044F are D0 B0..D1 8F.
    const auto lead = static_cast<unsigned char>(lower[0]);
    const auto trail = static_cast<unsigned char>(lower[1]);
    if (lead == 0xD0 && trail >= 0x90 && trail <= 0x9F) lower[1] = static_cast<char>(trail + 0x20);
    if (lead == 0xD0 && trail >= 0xA0 && trail <= 0xAF) {
      lower[0] = static_cast<char>(0xD1);
      lower[1] = static_cast<char>(trail - 0x20);
    }
  }
  return lower;
}

std::string_view KeyRoleName(ui::KeyRole role) {
  switch (role) {
    case ui::KeyRole::Default:
      return "default";
    case ui::KeyRole::Cancel:
      return "cancel";
    case ui::KeyRole::None:
      break;
  }
  return {};
}

std::string Attribute(std::string_view name, std::string_view value) {
  return std::string(" ").append(name).append("=\"").append(Escaped(value)).append("\"");
}

// One control of Form1, in tab order, disabled until the program is ready.
std::string ControlHtml(const ui::ControlDesign& design) {
  const std::string common = Attribute("id", design.name) + Attribute("title", design.tooltip);
  if (design.kind == ui::ControlKind::TextBox) {
    // The focus is there as the page paints; the caret stands before the text.
    return "<input type=\"text\"" + common + Attribute("aria-label", design.accessibleName) +
           Attribute("value", design.text) +
           " autofocus autocomplete=\"off\" spellcheck=\"false\">";
  }
  // A button is named by the caption that it shows, so that whoever says what they see reaches
  // it; what it does, its tooltip, is its description.
  const Caption caption = SplitCaption(design.text);
  std::string html = "<button type=\"button\"" + common;
  if (!caption.key.empty()) html += Attribute("accesskey", LowerKey(caption.key));
  if (design.keyRole != ui::KeyRole::None)
    html += Attribute("data-key", KeyRoleName(design.keyRole));
  html += " disabled>" + Escaped(caption.before);
  if (!caption.key.empty()) html += "<u>" + Escaped(caption.key) + "</u>";
  return html + Escaped(caption.after) + "</button>";
}

// The design's pixels are multiples of --px, which Css() sets: as large as makes the least control
// a target of its own on a desktop, and the screen's width over the design's on a touch or a
// narrow screen.
std::string Px(int pixels) { return "calc(" + std::to_string(pixels) + " * var(--px))"; }

std::string TwipsPx(int twips) { return Px(ui::TwipsToPixels(twips, kCssDpi)); }

int PointsToPixels(int points) { return points * kCssDpi / 72; }

// The least size of a control that a pointer must hit, each way: WCAG 2.5.8's 24 px, and 44 px on
// a touch screen, where a finger points.
constexpr int kLeastTarget = 24;
constexpr int kLeastTouchTarget = 44;

// The design's face first; where it is missing, its outline successor, then the system's.
std::string FontCss(const ui::FontDesign& font) {
  return "font: " + std::to_string(font.weight) + " " + Px(PointsToPixels(font.points)) + " \"" +
         std::string(font.face) + "\", \"Microsoft Sans Serif\", system-ui, sans-serif;";
}

int Right(const ui::Twips& box) { return box.left + box.width; }
int Bottom(const ui::Twips& box) { return box.top + box.height; }

// The design's controls by rows, top to bottom, each row in tab order.
std::vector<std::vector<const ui::ControlDesign*>> Rows() {
  std::map<int, std::vector<const ui::ControlDesign*>> byTop;
  for (const ui::ControlDesign* design : ui::kTabOrder) byTop[design->bounds.top].push_back(design);
  std::vector<std::vector<const ui::ControlDesign*>> rows;
  for (auto& [top, row] : byTop) rows.push_back(std::move(row));
  return rows;
}

// Where a control's text no longer fits (the user's own text spacing), the page widens the form by
// --wider: the controls that start at its left edge grow with it, the others move right.
std::string DesktopCss(int leastLeft) {
  std::string css = "#" + std::string(ui::kForm1.caption) + " { width: calc(" +
                    TwipsPx(ui::kForm1.client.width) +
                    " + var(--wider, 0px)); height: " + TwipsPx(ui::kForm1.client.height) + "; }\n";
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    const ui::Twips& box = design->bounds;
    const bool grows = box.left == leastLeft;
    css += "#" + std::string(design->name) + " { left: " +
           (grows ? TwipsPx(box.left) : "calc(" + TwipsPx(box.left) + " + var(--wider, 0px))") +
           "; top: " + TwipsPx(box.top) + "; width: " +
           (grows ? "calc(" + TwipsPx(box.width) + " + var(--wider, 0px))" : TwipsPx(box.width)) +
           "; height: " + TwipsPx(box.height) + ";";
    if (design->font != nullptr) css += " " + FontCss(*design->font);
    css += " }\n";
  }
  return css;
}

// On a touch screen or a narrow one, the controls flow in the design's rows, the form as wide as
// the screen, its margins and gaps the design's, each control at least --target each way: a
// control alone in its row spans it, and in a row of several the widest takes what the others
// leave.
std::string FlowingCss() {
  const auto rows = Rows();
  const ui::Twips& client = ui::kForm1.client;
  int rowGap = client.height;
  int columnGap = client.width;  // where no row has two controls, no gap is used
  int right = 0;
  int bottom = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i > 0) rowGap = std::min(rowGap, rows[i][0]->bounds.top - Bottom(rows[i - 1][0]->bounds));
    for (std::size_t j = 0; j < rows[i].size(); ++j) {
      const ui::Twips& box = rows[i][j]->bounds;
      if (j > 0) columnGap = std::min(columnGap, box.left - Right(rows[i][j - 1]->bounds));
      right = std::max(right, Right(box));
      bottom = std::max(bottom, Bottom(box));
    }
  }
  std::string css =
      "  #" + std::string(ui::kForm1.caption) +
      " { display: flex; flex-wrap: wrap; align-content: flex-start; gap: " + TwipsPx(rowGap) +
      " " + TwipsPx(columnGap) + "; padding: " + TwipsPx(rows.front().front()->bounds.top) + " " +
      TwipsPx(client.width - right) + " " + TwipsPx(client.height - bottom) + " " +
      TwipsPx(rows.front().front()->bounds.left) +
      "; box-sizing: border-box; width: auto; max-width: " + TwipsPx(client.width) +
      "; height: auto; }\n";
  for (const auto& row : rows) {
    const auto widest = std::max_element(row.begin(), row.end(), [](auto* one, auto* other) {
      return one->bounds.width < other->bounds.width;
    });
    for (const ui::ControlDesign* design : row) {
      const ui::Twips& box = design->bounds;
      css += "  #" + std::string(design->name) +
             " { position: static; height: max(var(--target), " + TwipsPx(box.height) + "); ";
      if (row.size() == 1) {
        css += "flex: 1 0 100%; width: auto; }\n";
      } else if (design == *widest) {
        css += "flex: 1 1 0; width: auto; }\n";
      } else {
        css += "flex: none; width: max(var(--target), " + TwipsPx(box.width) + "); }\n";
      }
    }
  }
  return css;
}

std::string Css() {
  int leastLeft = ui::kForm1.client.width;
  int leastSide = ui::kForm1.client.height;
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    leastLeft = std::min(leastLeft, design->bounds.left);
    leastSide = std::min({leastSide, design->bounds.width, design->bounds.height});
  }
  const int leastPixels = ui::TwipsToPixels(leastSide, kCssDpi);
  const int formWidth = ui::TwipsToPixels(ui::kForm1.client.width, kCssDpi);
  std::string css = "/* Made from the window's design at build time. */\n";
  // On a desktop the form keeps the design's proportions, scaled so that its least control is a
  // target of its own.
  css += ":root { --px: " +
         (leastPixels >= kLeastTarget ? std::string("1px")
                                      : "calc(" + std::to_string(kLeastTarget) + "px / " +
                                            std::to_string(leastPixels) + ")") +
         "; --target: " + std::to_string(kLeastTarget) + "px; }\n";
  css += "@media (pointer: coarse) {\n  :root { --target: " + std::to_string(kLeastTouchTarget) +
         "px; }\n}\n";
  css += "body { font-size: " + Px(PointsToPixels(ui::kWindowFontPoints)) + "; }\n";
  css += DesktopCss(leastLeft);
  // On touch screens and narrow ones the form fills the width (the page's margins and the form's
  // frame aside), its font and measures with it up to twice the design's.
  css +=
      "@media (pointer: coarse), (max-width: 480px) {\n  :root { --px: min(calc((100vw - 2 * "
      "var(--margin) - 2px) / " +
      std::to_string(formWidth) + "), 2px); }\n" + FlowingCss() + "}\n";
  return css;
}

// What the page says once the program has ended, where the browser keeps its tab open.
constexpr std::string_view kEndedText = "Программа завершена.";
constexpr std::string_view kStartAgain = "Запустить снова";
// What it says once loading has taken longer than a moment, where a slow network keeps the buttons
// grey.
constexpr std::string_view kLoadingText = "Загрузка…";
// What it says where the program cannot run: no modal dialogs (Safari before 15.4), or neither
// WebAssembly nor the same code as JavaScript will run.
constexpr std::string_view kUnsupportedText =
    "Этот браузер не может запустить программу. Она работает в Chrome и Edge с версии 109, "
    "Firefox с версии 115 и Safari с версии 15.4; обновите браузер или откройте страницу в "
    "другом.";
// And where its files did not arrive: the network, not the browser.
constexpr std::string_view kNotLoadedText =
    "Программа не загрузилась: нет связи с сервером. Проверьте подключение к сети.";
constexpr std::string_view kTryAgain = "Попробовать снова";
// Or where the site's page was opened from a file, which most browsers will not let it fetch
// from: the one-file page, named around these, runs there.
constexpr std::string_view kFromFileBefore =
    "Эта копия программы открывается только через веб-сервер. Без сервера откройте файл ";
constexpr std::string_view kFromFileAfter = ": это вся программа в одном файле.";

std::string Html(std::string_view description, std::string_view policy,
                 std::string_view oneFile) {
  using namespace web::page;
  std::string html =
      "<!doctype html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta http-equiv=\"Content-Security-Policy\"" +
      Attribute("content", policy) + ">\n<title>" + Escaped(ui::kForm1.caption) +
      "</title>\n<meta name=\"description\"" + Attribute("content", description) +
      ">\n"
      "<link rel=\"manifest\" href=\"manifest.webmanifest\">\n"
      "<link rel=\"icon\" href=\"quadrant.svg\" type=\"image/svg+xml\">\n"
      "<link rel=\"apple-touch-icon\" href=\"quadrant-180.png\">\n"
      "<link rel=\"stylesheet\" href=\"quadrant.css\">\n"
      "<link rel=\"stylesheet\" href=\"form1.css\">\n"
      // The program's code is fetched at once, beside the page; the shell compiles it as the page
      // loads, and adds the loader that fits the browser (app/web/shell.js).
      "<link rel=\"preload\" href=\"quadrant.wasm\" as=\"fetch\" type=\"application/wasm\" "
      "crossorigin>\n"
      // The loader too, which the shell adds only once it has chosen.
      "<link rel=\"preload\" href=\"quadrant.js\" as=\"script\">\n"
      "<script src=\"shell.js\" async></script>\n"
      "</head>\n<body>\n";

  // The window's caption heads the page for a screen reader, as the tab shows it to the eye.
  html += "<main>\n<h1" + Attribute("id", kTitle) + " class=\"offscreen\">" +
          Escaped(ui::kForm1.caption) + "</h1>\n";
  html += "<div" + Attribute("id", ui::kForm1.caption) + ">\n";
  for (const ui::ControlDesign* design : ui::kTabOrder) html += ControlHtml(*design) + "\n";
  html += "</div>\n";
  // A plain live region, not role=status: Orca 48 drops a status bar's news that comes within a
  // tenth of a second of other changes, as it does while Firefox rebuilds the page behind a dialog.
  html += "<div" + Attribute("id", kStatus) +
          " aria-live=\"polite\" aria-atomic=\"true\" class=\"offscreen\"></div>\n";
  // Filled after a moment, so that a screen reader hears it too.
  html += "<p" + Attribute("id", kLoading) + " role=\"status\"" +
          Attribute("data-text", kLoadingText) + "></p>\n";
  html += "<p" + Attribute("id", kUnsupported) + " role=\"alert\" hidden>" +
          Escaped(kUnsupportedText) + "</p>\n";
  // The links load the page itself again, be it the site's or the one-file page.
  html += "<p" + Attribute("id", kNotLoaded) + " role=\"alert\" hidden>" + Escaped(kNotLoadedText) +
          " <a href=\"\">" + Escaped(kTryAgain) + "</a></p>\n";
  html += "<p" + Attribute("id", kFromFile) + " role=\"alert\" hidden>" + Escaped(kFromFileBefore) +
          Escaped(oneFile) + Escaped(kFromFileAfter) + "</p>\n";
  html += "<p" + Attribute("id", kEnded) + " hidden>" + Escaped(kEndedText) + " <a href=\"\">" +
          Escaped(kStartAgain) + "</a></p>\n";

  // The input dialog. Enter confirms with the form's first button, which gives the form a value;
  // Escape and the second button close it with none.
  html += "<dialog" + Attribute("id", kInputDialog) + " aria-labelledby=\"InputTitle\">\n" +
          "<form method=\"dialog\" role=\"none\">\n<h1 id=\"InputTitle\">" +
          Escaped(ui::kInputTitle) +
          "</h1>\n<label for=\"InputText\"></label>\n"
          // A phone's whole keyboard, as the answer may hold a minus sign, a period, an exponent or
          // a hexadecimal number; Enter confirms; nothing capitalised or corrected.
          "<input type=\"text\" id=\"InputText\" inputmode=\"text\" enterkeyhint=\"done\" "
          "autocapitalize=\"off\" autocorrect=\"off\" autocomplete=\"off\" spellcheck=\"false\">\n"
          "<button value=\"ok\">" +
          Escaped(ui::kInputOk) + "</button>\n<button value=\"\">" + Escaped(ui::kInputCancel) +
          "</button>\n</form>\n</dialog>\n";

  // The report of a check that failed, titled with the window's caption; its one button is the
  // input dialog's confirming one.
  html += "<dialog" + Attribute("id", kErrorDialog) +
          " role=\"alertdialog\" aria-labelledby=\"ErrorTitle\" aria-describedby=\"ErrorText\">\n"
          "<form method=\"dialog\" role=\"none\">\n<h1 id=\"ErrorTitle\" aria-hidden=\"true\">" +
          Escaped(ui::kForm1.caption) +
          "</h1>\n<p id=\"ErrorText\" aria-hidden=\"true\"></p>\n<button autofocus>" +
          Escaped(ui::kInputOk) + "</button>\n</form>\n</dialog>\n";
  return html + "</main>\n</body>\n</html>\n";
}

bool Write(const std::string& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file) std::cerr << "make_page: cannot write " << path << "\n";
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::cerr << "usage: make_page SITE_DIR DESCRIPTION CONTENT_SECURITY_POLICY ONE_FILE_NAME\n";
    return 2;
  }
  const std::string site = argv[1];
  return Write(site + "/index.html", Html(argv[2], argv[3], argv[4])) && Write(site + "/form1.css", Css())
             ? 0
             : 1;
}
