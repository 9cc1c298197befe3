// How long a very long paste takes in the input dialog: the time from Ctrl+V in the entry field
// until the dialog has taken it, and until the result line stands in Text1 after Enter (the
// second dialog answered at once). The text is N blanks and then "5", so the line is known.
//
//   QT_QPA_PLATFORM=offscreen long_paste [characters] [runs]    (1,000,000 and 5 by default)
//
// Exits 1 when a run does not end with the expected line, that is when the paste was cut.

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/qt/form1.h"

namespace {

struct Timings {
  double pasteMs = 0;
  double lineMs = 0;
  bool wholeLine = false;
};

Timings OneRun(QLineEdit* text1, int characters) {
  Timings timings;
  QApplication::clipboard()->setText(QString(characters, u' ') + u'5');
  text1->setText(QString());
  QElapsedTimer clock;
  int dialogs = 0;
  QTimer answerer;
  QObject::connect(&answerer, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr || !dialog->isVisible()) return;
    QWidget* entry = dialog->focusWidget();
    if (dialogs++ == 0) {
      clock.start();
      QTest::keySequence(entry, QKeySequence::Paste);
      QApplication::processEvents();  // the entry field lays out and paints the text
      timings.pasteMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    }
    QTest::keyClick(entry, Qt::Key_Return);
  });
  answerer.start(1);
  QTest::keyClick(text1, Qt::Key_Return);  // returns when the check is done
  timings.lineMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  timings.wholeLine = text1->text() == QStringLiteral("X = 5; Y=0; Положение ось X");
  return timings;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const int characters = argc > 1 ? std::atoi(argv[1]) : 1'000'000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

  Form1 form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) return 1;
  auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));

  std::vector<double> paste, line;
  bool whole = true;
  for (int run = 0; run < runs; ++run) {
    const Timings timings = OneRun(text1, characters);
    paste.push_back(timings.pasteMs);
    line.push_back(timings.lineMs);
    whole = whole && timings.wholeLine;
  }
  std::printf("Paste of %d characters into the input dialog, median of %d runs (%s):\n",
              characters + 1, runs, qPrintable(QGuiApplication::platformName()));
  std::printf("  paste taken and shown   %8.1f ms\n", Median(paste));
  std::printf("  paste to result line    %8.1f ms\n", Median(line));
  std::printf("  whole text read         %s\n", whole ? "yes" : "NO: the paste was cut");
  return whole ? 0 : 1;
}
