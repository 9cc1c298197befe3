// Whether whole checks leave anything behind: runs checks through the real window, by Enter in
// Text1 as a user would, with a timer answering each dialog that comes up, and compares the
// process's live heap (glibc's mallinfo2) before and after. The first checks warm Qt's caches
// (fonts, styles, dialogs' resources) and are not counted.
//
//   QT_QPA_PLATFORM=offscreen heap_growth [checks]     (1000 by default)
//
// glibc's per-thread cache keeps freed blocks that mallinfo2 still counts as in use, and it fills
// up over thousands of checks, so the program runs itself again with that cache turned off.
//
// Exits 1 when the heap grows by more than kToleranceBytes over the measured checks, or when the
// checks did not run as scripted.

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/qt/form1.h"

namespace {

// Qt's caches may still settle by a few blocks; a leak of even one small string per check is
// well above this over 1000 checks.
constexpr long long kToleranceBytes = 4 * 1024;
constexpr int kWarmUpChecks = 100;

long long LiveHeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long long>(info.uordblks + info.hblkhd);
}

// One answer to one modal dialog.
struct Answer {
  enum Kind { Accept, Cancel, DismissMessage } kind;
  QString text;  // what Accept leaves in the input field
};

// The checks cycle through these, five checks: points off and on the axes, a text that ends the
// number early, an overflow (reported, so no Y is asked), and both dialogs cancelled. The cycle
// ends on the cancelled check, whose line is known.
const std::vector<Answer>& Script() {
  static const std::vector<Answer> script = {
      {Answer::Accept, "3"},     {Answer::Accept, "-4"},       {Answer::Accept, "0"},
      {Answer::Accept, "5"},     {Answer::Accept, "12abc"},    {Answer::Accept, "-3"},
      {Answer::Accept, "1e999"}, {Answer::DismissMessage, {}}, {Answer::Cancel, {}},
      {Answer::Cancel, {}},
  };
  return script;
}
constexpr int kChecksPerCycle = 5;

// Answers the dialog that is up, following the script; counts the answers and any mismatch.
class Answerer {
 public:
  Answerer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerActiveDialog(); });
    timer_.start(0);
  }

  long long answered() const { return answered_; }
  long long mismatches() const { return mismatches_; }

 private:
  void AnswerActiveDialog() {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || !dialog->isVisible()) return;
    const Answer& answer = Script()[static_cast<std::size_t>(answered_ % Script().size())];
    ++answered_;
    if (auto* input = qobject_cast<QInputDialog*>(dialog);
        input != nullptr && answer.kind != Answer::DismissMessage) {
      if (answer.kind == Answer::Accept) {
        input->setTextValue(answer.text);
        input->accept();
      } else {
        input->reject();
      }
    } else if (auto* box = qobject_cast<QMessageBox*>(dialog);
               box != nullptr && answer.kind == Answer::DismissMessage) {
      box->accept();
    } else {
      ++mismatches_;
      dialog->close();
    }
  }

  QTimer timer_;
  long long answered_ = 0;
  long long mismatches_ = 0;
};

constexpr char kNoThreadCache[] = "glibc.malloc.tcache_count=0";

// The offscreen platform warns at every dialog that it cannot pass on size hints.
void DropSizeHintWarnings(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (text.contains(QLatin1String("propagateSizeHints"))) return;
  std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// Lets deferred deletions and pending events run, so that they count before the measurement.
void Settle() {
  for (int i = 0; i < 3; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  if (tunables == nullptr || std::strstr(tunables, kNoThreadCache) == nullptr) {
    setenv("GLIBC_TUNABLES", kNoThreadCache, 1);
    execv("/proc/self/exe", argv);
    std::perror("heap_growth: cannot run itself again");
    return 2;
  }
  qInstallMessageHandler(DropSizeHintWarnings);
  QApplication app(argc, argv);
  const int checks = argc > 1 ? std::atoi(argv[1]) : 1000;
  if (checks <= 0 || checks % kChecksPerCycle != 0) {
    std::fprintf(stderr, "the number of checks must be a positive multiple of %d\n",
                 kChecksPerCycle);
    return 2;
  }

  Form1 form;
  form.show();
  if (!QTest::qWaitForWindowExposed(&form)) {
    std::fprintf(stderr, "the window was not shown\n");
    return 1;
  }
  auto* text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
  if (text1 == nullptr) {
    std::fprintf(stderr, "no Text1\n");
    return 1;
  }

  Answerer answerer;
  // Enter in Text1 presses Command1; the key event returns once the whole check is done.
  const auto check = [text1] { QTest::keyClick(text1, Qt::Key_Return); };

  // The first output allocates stdout's buffer: before the measurement, not inside it.
  std::printf("%d checks after %d to warm up\n", checks, kWarmUpChecks);
  for (int i = 0; i < kWarmUpChecks; ++i) check();
  Settle();
  const long long answeredBefore = answerer.answered();
  const long long before = LiveHeapBytes();
  std::printf("live heap after %d warm-up checks: %lld bytes\n", kWarmUpChecks, before);

  for (int i = 1; i <= checks; ++i) {
    check();
    if (i % (checks / 10 > 0 ? checks / 10 : 1) == 0) {
      Settle();
      std::printf("  after %5d checks: %+lld bytes\n", i, LiveHeapBytes() - before);
    }
  }
  Settle();
  const long long after = LiveHeapBytes();
  const long long growth = after - before;

  const long long dialogs = answerer.answered() - answeredBefore;
  const long long expectedDialogs =
      static_cast<long long>(checks / kChecksPerCycle) * static_cast<long long>(Script().size());
  const QString lastLine = text1->text();
  const QString expectedLine = QStringLiteral("X = 0; Y = 0; Положение - начало координат");

  std::printf("checks: %d, dialogs answered: %lld, live heap before: %lld, after: %lld\n", checks,
              dialogs, before, after);
  std::printf("growth: %lld bytes (%.2f bytes per check), tolerance %lld bytes\n", growth,
              static_cast<double>(growth) / checks, kToleranceBytes);

  bool ok = true;
  if (dialogs != expectedDialogs || answerer.mismatches() != 0) {
    std::fprintf(stderr,
                 "the checks did not run as scripted: %lld dialogs, %lld expected, %lld "
                 "unexpected\n",
                 dialogs, expectedDialogs, answerer.mismatches());
    ok = false;
  }
  if (lastLine != expectedLine) {
    std::fprintf(stderr, "the last check wrote \"%s\"\n", qPrintable(lastLine));
    ok = false;
  }
  if (growth > kToleranceBytes) {
    std::fprintf(stderr, "the live heap grew beyond the tolerance\n");
    ok = false;
  }
  std::printf("%s\n", ok ? "no growth" : "FAILED");
  return ok ? 0 : 1;
}
