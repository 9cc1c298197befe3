#include "ui/form1.h"

#include <QCoreApplication>
#include <QFont>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

#include <exception>
#include <string>

#include "point/conversions.h"
#include "point/point.h"

namespace {

// The window's design, in logical pixels; Qt scales them for the screen's resolution.
constexpr QSize kClientSize(312, 65);
constexpr QPoint kStoredPosition(323, 339);
constexpr QRect kText1Geometry(4, 8, 301, 19);
constexpr QRect kCommand1Geometry(4, 32, 269, 25);
constexpr QRect kCommand2Geometry(280, 32, 25, 25);

// 12 points bold in "MS Sans Serif" where installed, else in the window's own face. Naming that
// face as the next choice keeps Qt from sorting every installed font for a stand-in, which made
// start-up a tenth slower.
QFont Command2Font() {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), font.family()});
  font.setPointSize(12);
  font.setBold(true);
  return font;
}

}  // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent),
      Text1(new QLineEdit(this)),
      Command1(new QPushButton(this)),
      Command2(new QPushButton(this)) {
  setWindowTitle(QStringLiteral("Form1"));
  setFixedSize(kClientSize);

  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setGeometry(kText1Geometry);
  Text1->setText(QStringLiteral("Нажмите кнопку [Проверить координаты]"));
  Text1->setToolTip(QStringLiteral("Расположение точки"));
  Text1->setAccessibleName(QStringLiteral("Расположение точки"));

  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(kCommand1Geometry);
  Command1->setText(QStringLiteral("&Проверить координаты"));
  Command1->setToolTip(QStringLiteral("Ввести и проверить координаты"));
  Command1->setDefault(true);

  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(kCommand2Geometry);
  Command2->setText(QStringLiteral("X"));
  Command2->setToolTip(QStringLiteral("Выход"));
  Command2->setAccessibleName(QStringLiteral("Выход"));
  Command2->setFont(Command2Font());

  // Outside a dialog a button takes Enter only when it is auto-default.
  Command1->setAutoDefault(true);
  Command2->setAutoDefault(true);

  setTabOrder(Text1, Command1);
  setTabOrder(Command1, Command2);
  Text1->setFocus();

  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);

  PlaceAtStoredPosition();
}

// Enter and Escape reach the window when the focused control leaves them, as Text1 does.
void Form1::keyPressEvent(QKeyEvent* event) {
  if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        Command1->click();
        return;
      case Qt::Key_Escape:
        Command2->click();
        return;
      default:
        break;
    }
  }
  QWidget::keyPressEvent(event);
}

void Form1::Command1_Click() {
  // A failed check is reported and the window goes on; nothing may escape into Qt's dispatch.
  try {
    // X is read before Y is asked for: a number that cannot be read ends the check at once.
    const double x =
        point::CoordinateFromText(AskCoordinate(QStringLiteral("Введите X")).toStdString());
    const double y =
        point::CoordinateFromText(AskCoordinate(QStringLiteral("Введите Y")).toStdString());
    const point::Point point{x, y};
    // The widget's locale is the user's unless someone has set another.
    const std::string line = point::ResultText(point, point::ClassifyPoint(point),
                                               locale().decimalPoint().toStdString());
    Text1->setText(QString::fromStdString(line));
  } catch (const point::RuntimeError& error) {
    ReportError(QStringLiteral("Ошибка выполнения %1: %2")
                    .arg(error.number())
                    .arg(QString::fromUtf8(error.what())));
  } catch (const std::exception& error) {
    ReportError(QStringLiteral("Ошибка выполнения: %1").arg(QString::fromUtf8(error.what())));
  } catch (...) {
    ReportError(QStringLiteral("Ошибка выполнения"));
  }
}

void Form1::Command2_Click() { QCoreApplication::quit(); }

// The text the user confirmed, or the empty text when the dialog was cancelled or closed.
QString Form1::AskCoordinate(const QString& prompt) {
  const QString title = QStringLiteral("Ввод переменных");
  QInputDialog dialog(this);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(QStringLiteral("0"));  // selected when shown, so typing replaces it
  dialog.setOkButtonText(QStringLiteral("OK"));
  dialog.setCancelButtonText(QStringLiteral("Отмена"));
  // Wide enough for the title bar to show the whole title beside the frame's buttons. The
  // dialog's layout fixes its own minimum, so the entry field is what is widened.
  if (auto* entry = dialog.findChild<QLineEdit*>()) {
    entry->setMinimumWidth(dialog.fontMetrics().horizontalAdvance(title) + 200);
  }
  return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

void Form1::ReportError(const QString& message) {
  QMessageBox box(QMessageBox::Critical, windowTitle(), message, QMessageBox::Ok, this);
  box.exec();
}

// The stored position is used only where the whole window fits on a screen; elsewhere the window
// manager places it.
void Form1::PlaceAtStoredPosition() {
  const QRect stored(kStoredPosition, kClientSize);
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->availableGeometry().contains(stored)) {
      setGeometry(stored);
      return;
    }
  }
}
