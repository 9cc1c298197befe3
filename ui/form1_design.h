#pragma once

// The design of the program's one window and of its input dialog, as plain data that every front
// end reads (ui/qt with Qt Widgets, ui/win32 with user32 and comctl32, ui/web with the DOM). A
// caption, a size, a key or a text is changed here and nowhere else.
//
// Texts are UTF-8. An "&" in a caption marks the next letter as the access key, as both toolkits
// read it. Sizes and positions are in twips, 1440 to the inch: 15 twips make one pixel at 96 dpi,
// and each front end scales them to its screen.

#include <array>
#include <string_view>

namespace ui {

struct Twips {
  int left;
  int top;
  int width;
  int height;
};

// What Enter and Escape do to a button while the window has the keyboard.
enum class KeyRole {
  None,
  Default,  // Enter presses it, unless another button has the focus
  Cancel,   // Escape presses it
};

struct FontDesign {
  std::string_view face;
  int points;
  int weight;   // 400 normal, 700 bold
  int charset;  // a Windows character set: 204 is Cyrillic
};

enum class ControlKind {
  TextBox,  // one line, editable
  PushButton,
};

struct FormDesign {
  std::string_view caption;
  // The client area's size, and where it opens on the screen where the whole window fits there.
  Twips client;
};

struct ControlDesign {
  std::string_view name;
  ControlKind kind;
  Twips bounds;  // from the top-left corner of the window's client area
  std::string_view text;
  std::string_view tooltip;
  // What a screen reader calls a control whose text does not name it; empty where the text does.
  std::string_view accessibleName;
  KeyRole keyRole;
  const FontDesign* font;  // null: the window's font
};

inline constexpr int kTwipsPerInch = 1440;

// Twips to pixels at `dpi` dots per inch, rounded to nearest.
constexpr int TwipsToPixels(int twips, int dpi) {
  return (twips * dpi + kTwipsPerInch / 2) / kTwipsPerInch;
}

inline constexpr FormDesign kForm1{
    .caption = "Form1",
    .client = {4845, 5085, 4680, 975},
};

inline constexpr std::string_view kText1Tooltip = "Расположение точки";
inline constexpr std::string_view kCommand2Tooltip = "Выход";

inline constexpr FontDesign kCommand2Font{"MS Sans Serif", 12, 700, 204};

// The size of the window's font where the platform has no font of its own for windows (the
// browser): that of Windows' message font, which the desktop programs show.
inline constexpr int kWindowFontPoints = 9;

inline constexpr ControlDesign kText1{
    .name = "Text1",
    .kind = ControlKind::TextBox,
    .bounds = {60, 120, 4515, 285},
    .text = "Нажмите кнопку [Проверить координаты]",
    .tooltip = kText1Tooltip,
    .accessibleName = kText1Tooltip,
    .keyRole = KeyRole::None,
    .font = nullptr,
};

inline constexpr ControlDesign kCommand1{
    .name = "Command1",
    .kind = ControlKind::PushButton,
    .bounds = {60, 480, 4035, 375},
    .text = "&Проверить координаты",
    .tooltip = "Ввести и проверить координаты",
    .accessibleName = {},
    .keyRole = KeyRole::Default,
    .font = nullptr,
};

inline constexpr ControlDesign kCommand2{
    .name = "Command2",
    .kind = ControlKind::PushButton,
    .bounds = {4200, 480, 375, 375},
    .text = "X",
    .tooltip = kCommand2Tooltip,
    .accessibleName = kCommand2Tooltip,
    .keyRole = KeyRole::Cancel,
    .font = &kCommand2Font,
};

// Tab moves the focus along this order and wraps; the first control has the focus at start.
inline constexpr std::array<const ControlDesign*, 3> kTabOrder{&kText1, &kCommand1, &kCommand2};

// The input dialog that asks for one coordinate. Enter confirms, Escape cancels.
inline constexpr std::string_view kInputTitle = "Ввод переменных";
inline constexpr std::string_view kInputPromptX = "Введите X";
inline constexpr std::string_view kInputPromptY = "Введите Y";
inline constexpr std::string_view kInputDefaultText = "0";
inline constexpr std::string_view kInputOk = "OK";
inline constexpr std::string_view kInputCancel = "Отмена";

// How a check that failed is reported, as in "Ошибка выполнения 6: Переполнение": in a message box
// with an error icon, titled with the window's caption.
inline constexpr std::string_view kErrorReport = "Ошибка выполнения";

// What the browser's page says beside the form: after a moment of loading, where a slow network
// keeps the buttons grey; where the browser cannot run the program (no modal dialogs before Safari
// 15.4, or neither WebAssembly nor its JavaScript copy runs); where its files did not arrive; where
// the site's page was opened from a file, naming the one-file page at %s; and once the program has
// ended, where the browser keeps its tab open. The links load the page again.
inline constexpr std::string_view kPageLoading = "Загрузка…";
inline constexpr std::string_view kPageUnsupported =
    "Этот браузер не может запустить программу. Она работает в Chrome и Edge с версии 109, "
    "Firefox с версии 115 и Safari с версии 15.4; обновите браузер или откройте страницу в "
    "другом.";
inline constexpr std::string_view kPageNotLoaded =
    "Программа не загрузилась: нет связи с сервером. Проверьте подключение к сети.";
inline constexpr std::string_view kPageTryAgain = "Попробовать снова";
inline constexpr std::string_view kPageFromFile =
    "Эта копия программы открывается только через веб-сервер. Без сервера откройте файл %s: это "
    "вся программа в одном файле.";
inline constexpr std::string_view kPageEnded = "Программа завершена.";
inline constexpr std::string_view kPageStartAgain = "Запустить снова";

}  // namespace ui
