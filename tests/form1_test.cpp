#include <QApplication>
#include <QClipboard>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPixmapCache>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTimer>
#include <QtTest>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "ui/qt/form1.h"
#include "ui/qt/russian_qt_texts.h"

namespace {

// How the user answers one modal dialog.
struct Answer {
  enum Kind { Type, Paste, Escape, Space, Close } kind = Type;
  QString text;  // typed or pasted before Enter
};

Answer Typed(const QString& text) { return {Answer::Type, text}; }
Answer Pasted(const QString& text) { return {Answer::Paste, text}; }
const Answer kOk = {Answer::Type, {}};
const Answer kEscape = {Answer::Escape, {}};
const Answer kSpace = {Answer::Space, {}};
const Answer kClose = {Answer::Close, {}};

// Answers the modal dialogs that come up, one scripted answer each, typing into whatever has the
// focus the way a user would. Records what each dialog showed.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(QList<Answer> answers) : answers_(std::move(answers)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerActiveDialog(); });
    timer_.start(5);
  }

  // "title | prompt | text" of an input dialog as it opened, "title | message" of a message box.
  const QStringList& seen() const { return seen_; }
  int unanswered() const { return answers_.size(); }

 private:
  void AnswerActiveDialog() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible() || answers_.isEmpty()) return;
    if (auto* input = qobject_cast<QInputDialog*>(dialog)) {
      seen_ << input->windowTitle() + " | " + input->labelText() + " | " + input->textValue();
    } else if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
      seen_ << box->windowTitle() + " | " + box->text() +
                   (box->icon() == QMessageBox::Critical ? " (critical)" : "");
    }
    QWidget* focus = dialog->focusWidget() ? dialog->focusWidget() : dialog;
    const Answer answer = answers_.takeFirst();
    switch (answer.kind) {
      case Answer::Type:
        QTest::keyClicks(focus, answer.text);
        QTest::keyClick(focus, Qt::Key_Return);
        break;
      case Answer::Paste:
        QApplication::clipboard()->setText(answer.text);
        QTest::keySequence(focus, QKeySequence::Paste);
        QTest::keyClick(focus, Qt::Key_Return);
        break;
      case Answer::Escape:
        QTest::keyClick(focus, Qt::Key_Escape);
        break;
      case Answer::Space:
        QTest::keyClick(focus, Qt::Key_Space);
        break;
      case Answer::Close:
        dialog->close();
        break;
    }
  }

  QList<Answer> answers_;
  QStringList seen_;
  QTimer timer_;
};

QString InputSeen(const QString& coordinate) {
  return "Ввод переменных | Введите " + coordinate + " | 0";
}

using Trigger = std::function<void(Form1&)>;

// The bytes that the C library's heap holds in use. glibc's per-thread cache would count freed
// blocks as in use, so the suite runs with it off (GLIBC_TUNABLES, see tests/CMakeLists.txt).
long long LiveHeapBytes() {
#if __GLIBC_PREREQ(2, 33)
  const auto info = mallinfo2();
#else
  const auto info = mallinfo();
#endif
  return static_cast<long long>(info.uordblks) + static_cast<long long>(info.hblkhd);
}

}  // namespace

Q_DECLARE_METATYPE(Answer)
Q_DECLARE_METATYPE(Trigger)

class Form1Test : public QObject {
  Q_OBJECT

 private:
  static QLineEdit* Text1(Form1& form) { return form.findChild<QLineEdit*>("Text1"); }
  static QPushButton* Button(Form1& form, const char* name) {
    return form.findChild<QPushButton*>(name);
  }

  // Shows the window and waits until it can take keys.
  static void Show(Form1& form) {
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
  }

 private slots:
  // The design's font, whatever the platform's (Qt 5's offscreen one has 12 points).
  void initTestCase() {
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);
  }

  void opensWithTheFocusInText1() {
    Form1 form;
    Show(form);
    QCOMPARE(QApplication::focusWidget(), Text1(form));
    QCOMPARE(Text1(form)->text(), "Нажмите кнопку [Проверить координаты]");
    QCOMPARE(Text1(form)->cursorPosition(), 0);
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QCOMPARE(form.size(), QSize(312, 65));
    const QFontInfo font(Button(form, "Command2")->font());
    QCOMPARE(font.pointSize(), 12);
    // Qt 5 weighs fonts on a scale of its own: a weight between Normal and Bold is still "bold".
    QCOMPARE(font.weight(), static_cast<int>(QFont::Bold));
  }

  // The default frame is on the focused button, and back on Command1 with the focus in Text1.
  void tabCyclesThroughTheControls() {
    Form1 form;
    Show(form);
    QPushButton* command1 = Button(form, "Command1");
    QPushButton* command2 = Button(form, "Command2");
    const struct {
      QWidget* focus;
      QPushButton* drawnDefault;
    } steps[] = {{command1, command1}, {command2, command2}, {Text1(form), command1}};
    for (const auto& step : steps) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QCOMPARE(QApplication::focusWidget(), step.focus);
      QCOMPARE(command1->isDefault(), step.drawnDefault == command1);
      QCOMPARE(command2->isDefault(), step.drawnDefault == command2);
    }
  }

  // Qt's own texts, such as a text box's context menu, are Russian too.
  void qtTextsAreRussian() {
    const RussianQtTexts russian;
    QVERIFY(russian.loaded());
    Form1 form;
    const std::unique_ptr<QMenu> menu(Text1(form)->createStandardContextMenu());
    QVERIFY(menu->actions().first()->text().startsWith("&Отменить действие"));
    QVERIFY(menu->actions().last()->text().startsWith("Выделить всё"));
  }

  // A larger font widens the window, so that the longest lines of a lesson's numbers stay whole in
  // Text1's text area (less the frame and QLineEdit's two pixels a side).
  void linesStayWholeAtTheUsersFont_data() {
    QTest::addColumn<int>("points");
    QTest::addColumn<QSize>("size");
    QTest::newRow("the design's font") << 9 << QSize(312, 65);
    QTest::newRow("twice the design's font") << 18 << QSize(624, 130);
    QTest::newRow("24 points") << 24 << QSize(832, 173);
  }

  void linesStayWholeAtTheUsersFont() {
    QFETCH(int, points);
    QFETCH(QSize, size);
    Form1 form;
    QFont font = form.font();
    font.setPointSize(points);
    form.setFont(font);
    Show(form);
    QCOMPARE(form.size(), size);
    QLineEdit* box = Text1(form);
    QStyleOptionFrame frame;
    frame.initFrom(box);
    frame.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, box);
    const int room = box->style()->subElementRect(QStyle::SE_LineEditContents, &frame, box).width();
    for (const QString line : {"X = 0; Y = 0; Положение - начало координат",
                               "X = -2,5; Y = -5,5; Пложение: III четверть"}) {
      QVERIFY2(box->fontMetrics().horizontalAdvance(line) <= room - 4, qPrintable(line));
    }
  }

  // Under a high-contrast palette, white on black, Text1's edge is drawn in the text's colour, and
  // the focus adds a mark in the highlight's.
  void text1KeepsItsFrameInHighContrast() {
    QPalette palette;
    for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button})
      palette.setColor(role, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text}) palette.setColor(role, Qt::white);
    palette.setColor(QPalette::Highlight, Qt::cyan);
    Form1 form;
    form.setPalette(palette);
    Show(form);
    const auto edge = [&form](int x) {
      return Text1(form)->grab().toImage().pixelColor(x, Text1(form)->height() / 2);
    };
    QCOMPARE(edge(1), QColor(Qt::cyan));
    Button(form, "Command1")->setFocus();
    QCOMPARE(edge(0), QColor(Qt::white));
    QCOMPARE(edge(1), QColor(Qt::black));
  }

  void check_data() {
    QTest::addColumn<Trigger>("trigger");
    QTest::addColumn<QList<Answer>>("answers");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("line");

    const QLocale c = QLocale::c();
    const Trigger enterInText1 = [](Form1& form) { QTest::keyClick(Text1(form), Qt::Key_Return); };
    const Trigger accessKey = [](Form1& form) {
      QTest::sendKeyEvent(QTest::Click, &form, static_cast<Qt::Key>(u'П'), QStringLiteral("п"),
                          Qt::AltModifier);
    };
    const Trigger enterOnCommand1 = [](Form1& form) {
      Button(form, "Command1")->setFocus();
      QTest::keyClick(Button(form, "Command1"), Qt::Key_Return);
    };
    const Trigger click = [](Form1& form) {
      QTest::mouseClick(Button(form, "Command1"), Qt::LeftButton);
    };

    QTest::newRow("defaults, by Enter in Text1")
        << enterInText1 << QList{kOk, kOk} << c << "X = 0; Y = 0; Положение - начало координат";
    QTest::newRow("both cancelled, by the access key")
        << accessKey << QList{kEscape, kClose} << c << "X = 0; Y = 0; Положение - начало координат";
    QTest::newRow("first cancelled, by Enter on Command1")
        << enterOnCommand1 << QList{kEscape, Typed("5")} << c << "X = 0; Y = 5; Положение - ось Y";
    // Typing replaces the selected default: "-3" would otherwise become "0-3", which reads 0.
    QTest::newRow("typed over the defaults, by a click")
        << click << QList{Typed("12abc"), Typed("-3")} << c
        << "X = 12; Y = -3; Пложение: IV четверть";
    QTest::newRow("Russian locale writes a comma, reads only the period")
        << enterInText1 << QList{Typed("2.5"), Typed("-1,5")} << QLocale(QLocale::Russian)
        << "X = 2,5; Y = -1; Пложение: IV четверть";
    // Qt's entry field would keep 32,767 characters of it, all blanks, and read 0.
    QTest::newRow("a long paste arrives whole")
        << click << QList{Pasted(QString(99'999, ' ') + "5"), kOk} << c
        << "X = 5; Y=0; Положение ось X";
    // Longer than the box: its start must be in view.
    QTest::newRow("a long line") << enterInText1
                                 << QList{Typed("-123456789.25"), Typed("987654321.75")} << c
                                 << "X = -123456789.25; Y = 987654321.75; Пложение: II четверть";
  }

  void check() {
    QFETCH(Trigger, trigger);
    QFETCH(QList<Answer>, answers);
    QFETCH(QLocale, locale);
    QFETCH(QString, line);

    Form1 form;
    form.setLocale(locale);
    Show(form);
    Text1(form)->setText("typed by the user, or the line of an earlier check");
    QSignalSpy exits(Button(form, "Command2"), &QPushButton::clicked);

    DialogAnswerer answerer(answers);
    trigger(form);
    // An access key animates the button and clicks it on a timer; the others return when done.
    QTRY_COMPARE(Text1(form)->text(), line);

    // The box shows the line from its start: the caret before the first character, at the left.
    QCOMPARE(Text1(form)->cursorPosition(), 0);
    QVERIFY(Text1(form)->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() <
            Text1(form)->fontMetrics().horizontalAdvance("X"));
    QCOMPARE(answerer.seen(), QStringList({InputSeen("X"), InputSeen("Y")}));
    QCOMPARE(answerer.unanswered(), 0);
    QCOMPARE(exits.count(), 0);  // Escape in a dialog cancels only the dialog
  }

  void overflowIsReportedAndTheWindowGoesOn() {
    Form1 form;
    Show(form);
    Text1(form)->setText("before");
    {
      // Space presses the report's OK, as Enter does.
      DialogAnswerer answerer({Typed("1e999"), kSpace});
      QTest::keyClick(Text1(form), Qt::Key_Return);
      QCOMPARE(
          answerer.seen(),
          QStringList({InputSeen("X"), "Form1 | Ошибка выполнения 6: Переполнение (critical)"}));
      QCOMPARE(Text1(form)->text(), "before");
    }
    DialogAnswerer answerer({kOk, Typed("7")});
    QTest::keyClick(Text1(form), Qt::Key_Return);
    QCOMPARE(Text1(form)->text(), "X = 0; Y = 7; Положение - ось Y");
  }

  // Checks leave nothing behind: after a few that warm Qt's caches, the heap stays put. A dialog
  // kept until the window closes grew it by 38 KB a check.
  void checksLeaveTheHeapAsTheyFoundIt() {
#ifdef __SANITIZE_ADDRESS__
    QSKIP("AddressSanitizer keeps a heap of its own, which the C library's count does not see");
#endif
    const char* tunables = std::getenv("GLIBC_TUNABLES");
    QVERIFY2(tunables && std::strstr(tunables, "tcache_count=0"),
             "needs GLIBC_TUNABLES=glibc.malloc.tcache_count=0");
    Form1 form;
    Show(form);
    // Three checks: a point, an overflow reported, and both dialogs cancelled.
    const auto threeChecks = [&form] {
      const DialogAnswerer answerer(
          {Typed("3"), Typed("-4"), Typed("1e999"), kOk, kEscape, kClose});
      for (int i = 0; i < 3; ++i) QTest::keyClick(Text1(form), Qt::Key_Return);
      return answerer.unanswered() == 0 && answerer.seen().size() == 6;
    };
    const auto liveHeapAfter = [&threeChecks](int times) {
      bool scripted = true;
      for (int i = 0; i < times; ++i) scripted = threeChecks() && scripted;
      for (int i = 0; i < 3; ++i) {  // deferred deletions count before the measurement
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
      }
      // Qt 6.8 keeps the error report's icon anew each time, in a cache of bounded size.
      QPixmapCache::clear();
      return scripted ? LiveHeapBytes() : -1;
    };
    const long long before = liveHeapAfter(10);
    const long long after = liveHeapAfter(30);
    QVERIFY2(before >= 0 && after >= 0, "the dialogs did not come up as scripted");
    QCOMPARE(Text1(form)->text(), "X = 0; Y = 0; Положение - начало координат");
    // The least block that a check could lose takes 32 bytes: 2,880 over the 90 checks.
    QVERIFY2(after - before < 2048,
             qPrintable(QString("the heap grew by %1 bytes over 90 checks").arg(after - before)));
  }

  void endsTheProgram_data() {
    QTest::addColumn<Trigger>("trigger");
    QTest::newRow("Escape in Text1")
        << Trigger([](Form1& form) { QTest::keyClick(Text1(form), Qt::Key_Escape); });
    QTest::newRow("Enter on Command2") << Trigger([](Form1& form) {
      Button(form, "Command2")->setFocus();
      QTest::keyClick(Button(form, "Command2"), Qt::Key_Return);
    });
    QTest::newRow("a click on Command2") << Trigger(
        [](Form1& form) { QTest::mouseClick(Button(form, "Command2"), Qt::LeftButton); });
    QTest::newRow("closing the window") << Trigger([](Form1& form) { form.close(); });
  }

  void endsTheProgram() {
    QFETCH(Trigger, trigger);
    Form1 form;
    Show(form);
    Text1(form)->setText("X = 2; Y = 5; Пложение: I четверть");
    QTimer::singleShot(0, &form, [&] { trigger(form); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // did not end
    QCOMPARE(QApplication::exec(), 0);
  }
};

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
