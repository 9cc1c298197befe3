#include <QApplication>
#include <QIcon>

#include "ui/qt/form1.h"
#include "ui/qt/russian_qt_texts.h"

int main(int argc, char* argv[]) {
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
  // Qt 6 scales to the screen's resolution by itself; Qt 5 only when asked before the application
  // is made. Qt 5 scales by whole factors, which it draws cleanly (its fractional ones misplace
  // popups and pointer positions); the window's layout follows the rest through its font.
  QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
  QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
#endif
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quadrant"));
  QApplication::setApplicationVersion(QStringLiteral(QUADRANT_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral(QUADRANT_APP_ID));
  QIcon icon;
  icon.addFile(QStringLiteral(":/icons/quadrant-16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/icons/quadrant-32.png"), QSize(32, 32));
  QApplication::setWindowIcon(icon);

  const RussianQtTexts russian;
  Form1 form;
  form.show();
  return QApplication::exec();
}
