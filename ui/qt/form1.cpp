#include "ui/qt/form1.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

#include "ui/form1_design.h"
#include "ui/qt/accessibility.h"

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Qt's logical pixels are those of a 96 dpi screen; Qt scales them for the screen's resolution.
constexpr int kLogicalDpi = 96;

// `twips` in pixels where an inch has `dpi` of them.
QRect Geometry(const ui::Twips& twips, int dpi) {
  return QRect(ui::TwipsToPixels(twips.left, dpi), ui::TwipsToPixels(twips.top, dpi),
               ui::TwipsToPixels(twips.width, dpi), ui::TwipsToPixels(twips.height, dpi));
}

// The contrast of two colours, from 1 to 21, as WCAG reckons it.
double Contrast(const QColor& one, const QColor& other) {
  const auto luminance = [](const QColor& colour) {
    const auto linear = [](qreal value) {
      return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
  };
  const qreal first = luminance(one);
  const qreal second = luminance(other);
  return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// Text1. Under a high-contrast palette, whose window and text stand as far apart as black and white
// (the ordinary ones stop short of 19:1), a style such as Fusion draws a text box's frame in a
// shade of the window's own colour, which black leaves black: the box would show no edge, and no
// mark of the focus. There the box draws both itself, in the palette's colours: its frame in the
// text's, and while it has the focus two more lines inside in the highlight's.
class TextBox final : public QLineEdit {
 public:
  using QLineEdit::QLineEdit;

 protected:
  void paintEvent(QPaintEvent* event) override {
    QLineEdit::paintEvent(event);
    const QColor window = palette().color(QPalette::Window);
    const QColor text = palette().color(QPalette::WindowText);
    if (Contrast(window, text) < 19) return;
    QPainter painter(this);
    painter.setPen(text);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!hasFocus()) return;
    const QColor highlight = palette().color(QPalette::Highlight);
    painter.setPen(Contrast(window, highlight) >= 3 ? highlight : text);
    painter.drawRect(rect().adjusted(1, 1, -2, -2));
    painter.drawRect(rect().adjusted(2, 2, -3, -3));
  }
};

// The design weighs fonts from 100 to 900, as Qt 6 does; Qt 5 weighs them from 0 to 99 (Bold is
// 75) and would take 700 for a weight between Normal and Bold, drawn in the regular face. The
// named weights are right on both.
QFont::Weight Weight(int designWeight) {
  constexpr QFont::Weight kByHundreds[] = {QFont::Thin,   QFont::ExtraLight, QFont::Light,
                                           QFont::Normal, QFont::Medium,     QFont::DemiBold,
                                           QFont::Bold,   QFont::ExtraBold,  QFont::Black};
  const int hundreds = std::clamp((designWeight + 50) / 100, 1, 9);
  return kByHundreds[hundreds - 1];
}

// The design's face where installed, else the window's own, at the design's size and weight.
// Naming the window's face as the next choice keeps Qt from sorting every installed font for a
// stand-in, which made start-up a tenth slower.
QFont Font(const ui::FontDesign& design) {
  QFont font;
  font.setFamilies({Text(design.face), font.family()});
  font.setPointSize(design.points);
  font.setWeight(Weight(design.weight));
  return font;
}

// A text box shows a text newly set from its first character, with the caret before it, as it
// does on Windows; QLineEdit::setText would leave the caret, and the view, at the end.
void ShowFromStart(QLineEdit* box, const QString& text) {
  box->setText(text);
  box->setCursorPosition(0);
}

void Apply(const ui::ControlDesign& design, QWidget* control) {
  control->setObjectName(Text(design.name));
  control->setToolTip(Text(design.tooltip));
  if (!design.accessibleName.empty()) control->setAccessibleName(Text(design.accessibleName));
  if (design.font != nullptr) control->setFont(Font(*design.font));
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      Text1(new TextBox(this)),
      Command1(new QPushButton(this)),
      Command2(new QPushButton(this)),
      announcer_(new Announcer(this)) {
  ExposeWholeText(Text1);
  setWindowTitle(Text(ui::kForm1.caption));

  Apply(ui::kText1, Text1);
  ShowFromStart(Text1, Text(ui::kText1.text));
  for (auto [design, button] : {std::pair{&ui::kCommand1, Command1}, {&ui::kCommand2, Command2}}) {
    Apply(*design, button);
    button->setText(Text(design->text));
    button->setDefault(design->keyRole == ui::KeyRole::Default);
    // Outside a dialog a button takes Enter only when it is auto-default.
    button->setAutoDefault(true);
  }

  for (std::size_t i = 1; i < ui::kTabOrder.size(); ++i) {
    setTabOrder(Control(*ui::kTabOrder[i - 1]), Control(*ui::kTabOrder[i]));
  }
  Control(*ui::kTabOrder.front())->setFocus();

  // Enter goes to the focused button, or to the default one from Text1; the frame follows it.
  for (const ui::ControlDesign* design : ui::kTabOrder) Control(*design)->installEventFilter(this);

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

  Layout();
  PlaceAtStoredPosition();
}

// The design's twips are laid out in units of the window's font, as a dialog's units are on
// Windows: at the design's font on a 96 dpi screen an inch has 96 pixels, and a larger font (or
// more dots per inch where Qt does not scale, as Qt 5 does not without being asked) makes an inch
// of the design as many pixels more. Never fewer: a smaller font keeps the design's size.
int Form1::LayoutDpi() const {
  const qreal fontPoints = QFontInfo(font()).pointSizeF() * logicalDpiY() / kLogicalDpi;
  return std::max(kLogicalDpi, qRound(kLogicalDpi * fontPoints / ui::kWindowFontPoints));
}

void Form1::Layout() {
  const int dpi = LayoutDpi();
  setFixedSize(Geometry(ui::kForm1.client, dpi).size());
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    Control(*design)->setGeometry(Geometry(design->bounds, dpi));
  }
}

QWidget* Form1::Control(const ui::ControlDesign& design) const {
  if (&design == &ui::kText1) return Text1;
  if (&design == &ui::kCommand1) return Command1;
  Q_ASSERT(&design == &ui::kCommand2);
  return Command2;
}

QPushButton* Form1::ButtonWithRole(ui::KeyRole role) const {
  for (const ui::ControlDesign* design : ui::kTabOrder) {
    if (design->keyRole == role) return qobject_cast<QPushButton*>(Control(*design));
  }
  return nullptr;
}

// As in a dialog: a button with the focus is the one Enter presses and is drawn as default; with
// the focus elsewhere, the default button is. Outside a QDialog, a default button that loses the
// focus would otherwise lose its frame for good.
bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusIn) {
    auto* focused = qobject_cast<QPushButton*>(watched);
    QPushButton* target = focused != nullptr ? focused : ButtonWithRole(ui::KeyRole::Default);
    for (QPushButton* button : {Command1, Command2}) button->setDefault(button == target);
  }
  return QWidget::eventFilter(watched, event);
}

// Enter and Escape reach the window when the focused control leaves them, as Text1 does.
void Form1::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    QPushButton* button = nullptr;
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        button = ButtonWithRole(ui::KeyRole::Default);
        break;
      case Qt::Key_Escape:
        button = ButtonWithRole(ui::KeyRole::Cancel);
        break;
      default:
        break;
    }
    if (button != nullptr) {
      button->click();
      return;
    }
  }
  QWidget::keyPressEvent(event);
}

// Nothing may escape into Qt's dispatch: the check reports its own failures.
void Form1::Command1_Click() { ui::Check(*this); }

void Form1::Command2_Click() { QCoreApplication::quit(); }

std::string Form1::Ask(std::string_view prompt) {
  const QString title = Text(ui::kInputTitle);
  QInputDialog dialog(this);
  dialog.setWindowTitle(title);
  dialog.setLabelText(Text(prompt));
  dialog.setTextValue(Text(ui::kInputDefaultText));  // selected when shown, so typing replaces it
  dialog.setOkButtonText(Text(ui::kInputOk));
  dialog.setCancelButtonText(Text(ui::kInputCancel));
  // Wide enough for the title bar to show the whole title beside the frame's buttons. The
  // dialog's layout fixes its own minimum, so the entry field is what is widened.
  if (auto* entry = dialog.findChild<QLineEdit*>()) {
    entry->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(title) + 200);
    // Qt keeps 32,767 characters by default and drops the rest of a paste without a word.
    entry->setMaxLength(std::numeric_limits<int>::max());
  }
  return dialog.exec() == QDialog::Accepted ? dialog.textValue().toStdString() : std::string();
}

// The widget's locale is the user's unless someone has set another.
std::string Form1::DecimalSeparator() { return QString(locale().decimalPoint()).toStdString(); }

// Orca reads Text1 as the focus comes back to it, which is after this: the program answers its
// questions only once the check is done. Told of the change as well, it would say the line a
// second time, as text that Enter inserted. Where the focus goes elsewhere, Announce says it.
void Form1::ShowLine(std::string_view line) {
  const AccessibilityMuted muted;
  ShowFromStart(Text1, Text(line));
}

// A screen reader reads Text1 itself when the focus comes back to it. Elsewhere (a button, after
// Tab or Alt+П) the line is said once the window is active again: said before, it would be cut
// short by the reader's news of the window and of the focus.
void Form1::Announce(std::string_view line) {
  if (focusWidget() == Text1) return;
  unannounced_ = Text(line);
  SayUnannounced();
}

void Form1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange) SayUnannounced();
  // The user has chosen another font for the desktop.
  if (event->type() == QEvent::FontChange) Layout();
}

// Once the window is active, and after the news of it, which Qt gives once the activation has been
// handled.
void Form1::SayUnannounced() {
  if (unannounced_.isEmpty() || !isActiveWindow()) return;
  QTimer::singleShot(0, announcer_, [this] {
    if (!unannounced_.isEmpty()) announcer_->Say(std::exchange(unannounced_, {}));
  });
}

void Form1::Report(std::string_view report) {
  QMessageBox box(QMessageBox::Critical, windowTitle(), Text(report), QMessageBox::Ok, this);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
  // What Orca says of an alert where it finds no label in it, as in Qt 5's message box, whose
  // label it takes for hidden as the box appears. Qt 6's it reads, and it would read this too.
  box.setAccessibleDescription(Text(report));
#endif
  FocusOnActivation(&box);
  box.exec();
}

// The stored position is used only where the whole window fits on a screen; elsewhere the window
// manager places it.
void Form1::PlaceAtStoredPosition() {
  const QRect stored(Geometry(ui::kForm1.client, kLogicalDpi).topLeft(), size());
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().contains(stored)) {
      setGeometry(stored);
      return;
    }
  }
}
