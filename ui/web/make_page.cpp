// Writes the browser's page from the window's design: index.html, the page's template
// (app/web/index.html.in) with the design's texts and controls in its places, and form1.css, the
// design's numbers as custom properties, which app/web/quadrant.css lays out. Made at build time,
// so that the page paints before the program has loaded; the program then binds to it
// (ui/web/dom.cpp) by the ids of page_ids.h, which the template must carry.
//
//   make_page TEMPLATE SITE_DIR DESCRIPTION CONTENT_SECURITY_POLICY ONE_FILE_NAME
//   (under node, with the real file system)

#include <algorithm>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "ui/form1_design.h"
#include "ui/web/page_ids.h"

namespace {

// The design's measures in CSS pixels, 1/96 inch.
int Px(int twips) { return ui::TwipsToPixels(twips, 96); }
int PointsPx(int points) { return points * 96 / 72; }

std::string Escaped(std::string_view text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&' || c == '<' || c == '>' || c == '"') {
      escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : c == '>' ? "&gt;" : "&quot;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string Attribute(std::string_view name, std::string_view value) {
  return std::string(" ").append(name).append("=\"").append(Escaped(value)).append("\"");
}

// How a control flows where the form is as wide as a phone: alone in its row it spans it; in a row
// of several, the widest takes what the others leave.
std::string_view Flow(const ui::ControlDesign* design) {
  bool alone = true, widest = true;
  for (const ui::ControlDesign* other : ui::kTabOrder) {
    if (other == design || other->bounds.top != design->bounds.top) continue;
    alone = false;
    widest = widest && other->bounds.width <= design->bounds.width;
  }
  return alone ? "alone" : widest ? "widest" : "fixed";
}

// A caption's "&" marks its access key, the letter after it (one UTF-8 character). The browser
// matches it in lower case: the Latin capitals, and the Russian ones (U+0410 to U+042F).
std::string CaptionHtml(std::string_view text) {
  const std::size_t marker = text.find('&');
  if (marker == std::string_view::npos || marker + 1 == text.size()) return ">" + Escaped(text);
  std::size_t end = marker + 2;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  const std::string key(text.substr(marker + 1, end - marker - 1));
  std::string lower = key;
  if (key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z') lower[0] = static_cast<char>(key[0] + 32);
  const int point = key.size() == 2 ? (key[0] & 0x1F) << 6 | (key[1] & 0x3F) : 0;
  if (point >= 0x410 && point <= 0x42F) {
    lower = {static_cast<char>(0xC0 | (point + 32) >> 6),
             static_cast<char>(0x80 | (point + 32) % 64)};
  }
  return Attribute("accesskey", lower) + ">" + Escaped(text.substr(0, marker)) + "<u>" +
         Escaped(key) + "</u>" + Escaped(text.substr(end));
}

// One control of Form1, disabled until the program is ready. The focus is in the text box as the
// page paints, the caret before its text. A button is named by the caption that it shows, so that
// whoever says what they see reaches it; its tooltip is its description.
std::string ControlHtml(const ui::ControlDesign* design) {
  const std::string common = Attribute("id", design->name) + Attribute("title", design->tooltip) +
                             Attribute("data-flow", Flow(design));
  if (design->kind == ui::ControlKind::TextBox) {
    return "<input type=\"text\"" + common + Attribute("aria-label", design->accessibleName) +
           Attribute("value", design->text) +
           " autofocus autocomplete=\"off\" spellcheck=\"false\">";
  }
  const ui::KeyRole role = design->keyRole;
  return "<button type=\"button\"" + common +
         (role == ui::KeyRole::None
              ? ""
              : Attribute("data-key", role == ui::KeyRole::Default ? "default" : "cancel")) +
         " disabled" + CaptionHtml(design->text) + "</button>";
}

// The design's numbers in CSS pixels: the form's size, its least control's side, the window's
// font; the margins around the controls and the least gaps between them, row by row; and each
// control's place and size, its font where it has one of its own, and whether it grows with a
// widened form (it starts at the left edge) or moves.
std::string Css() {
  const ui::Twips& client = ui::kForm1.client;
  int rowGap = client.height, columnGap = client.width, right = 0, bottom = 0;
  int left = client.width, top = client.height, leastSide = client.height;
  for (const ui::ControlDesign* one : ui::kTabOrder) {
    const ui::Twips& box = one->bounds;
    for (const ui::ControlDesign* other : ui::kTabOrder) {
      const ui::Twips& next = other->bounds;
      if (next.top >= box.top + box.height)
        rowGap = std::min(rowGap, next.top - box.top - box.height);
      if (next.top == box.top && next.left >= box.left + box.width) {
        columnGap = std::min(columnGap, next.left - box.left - box.width);
      }
    }
    left = std::min(left, box.left);
    top = std::min(top, box.top);
    right = std::max(right, box.left + box.width);
    bottom = std::max(bottom, box.top + box.height);
    leastSide = std::min({leastSide, box.width, box.height});
  }
  std::ostringstream css;
  css << ":root { --form-width: " << Px(client.width) << "; --form-height: " << Px(client.height)
      << "; --least-side: " << Px(leastSide) << "; --font-size: " << PointsPx(ui::kWindowFontPoints)
      << "; --row-gap: " << Px(rowGap) << "; --column-gap: " << Px(columnGap)
      << "; --padding-top: " << Px(top) << "; --padding-right: " << Px(client.width - right)
      << "; --padding-bottom: " << Px(client.height - bottom) << "; --padding-left: " << Px(left)
      << "; }\n";
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    const ui::Twips& box = design->bounds;
    css << "\n#" << design->name << " { --left: " << Px(box.left) << "; --top: " << Px(box.top)
        << "; --width: " << Px(box.width) << "; --height: " << Px(box.height)
        << "; --grows: " << (box.left == left) << ";";
    if (const ui::FontDesign* font = design->font) {
      css << " --font-size: " << PointsPx(font->points) << "; --font-weight: " << font->weight
          << "; --font-face: \"" << font->face << "\";";
    }
    css << " }\n";
  }
  return css.str();
}

// The template without its comments (nor the line ends after them), each @NAME@ replaced by the
// text of that name, escaped, or by the controls.
std::string Html(const std::string& page, const std::map<std::string, std::string_view>& texts) {
  std::string html;
  for (std::size_t at = 0; at < page.size();) {
    const std::size_t comment = page.find("<!--", at), marker = page.find('@', at);
    html.append(page, at, std::min(comment, marker) - at);
    if (comment < marker) {
      at = page.find("-->", comment);
      if (at == std::string::npos) throw std::runtime_error("a comment without its end");
      at += page.compare(at, 4, "-->\n") == 0 ? 4 : 3;
    } else if (marker != std::string::npos) {
      at = page.find('@', marker + 1);
      const std::string name = page.substr(marker + 1, at - marker - 1);
      if (name == "CONTROLS") {
        for (const ui::ControlDesign* design : ui::kTabOrder) {
          html += (design == ui::kTabOrder.front() ? "" : "\n") + ControlHtml(design);
        }
      } else if (at != std::string::npos && texts.count(name) != 0) {
        html += Escaped(texts.at(name));
      } else {
        throw std::runtime_error("no text for " + page.substr(marker, 40));
      }
      ++at;
    } else {
      break;
    }
  }
  using namespace web::page;
  for (const std::string_view id : {kInputDialog, kErrorDialog, kEnded, kStatus, kLoading,
                                    kUnsupported, kNotLoaded, kFromFile, kTitle}) {
    if (html.find("id=\"" + std::string(id) + "\"") == std::string::npos)
      throw std::runtime_error("the template has no element " + std::string(id));
  }
  return html;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 6) {
    std::cerr << "usage: make_page TEMPLATE SITE_DIR DESCRIPTION POLICY ONE_FILE_NAME\n";
    return 2;
  }
  try {
    std::ifstream in(argv[1], std::ios::binary);
    std::ostringstream page;
    page << in.rdbuf();
    if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
    std::string fromFile(ui::kPageFromFile);
    fromFile.replace(fromFile.find("%s"), 2, argv[5]);
    const std::map<std::string, std::string_view> texts = {{"POLICY", argv[4]},
                                                           {"DESCRIPTION", argv[3]},
                                                           {"CAPTION", ui::kForm1.caption},
                                                           {"LOADING", ui::kPageLoading},
                                                           {"UNSUPPORTED", ui::kPageUnsupported},
                                                           {"NOT_LOADED", ui::kPageNotLoaded},
                                                           {"TRY_AGAIN", ui::kPageTryAgain},
                                                           {"FROM_FILE", fromFile},
                                                           {"ENDED", ui::kPageEnded},
                                                           {"START_AGAIN", ui::kPageStartAgain},
                                                           {"INPUT_TITLE", ui::kInputTitle},
                                                           {"OK", ui::kInputOk},
                                                           {"CANCEL", ui::kInputCancel}};
    const std::string site = argv[2];
    for (const auto& [name, text] : {std::pair{site + "/index.html", Html(page.str(), texts)},
                                     std::pair{site + "/form1.css", Css()}}) {
      std::ofstream file(name, std::ios::binary);
      file << text;
      file.close();
      if (!file) throw std::runtime_error("cannot write " + name);
    }
  } catch (const std::exception& error) {
    std::cerr << "make_page: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
