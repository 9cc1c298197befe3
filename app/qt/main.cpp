#include <QApplication>
#include <QIcon>

#include "ui/qt/form1.h"
#include "ui/qt/russian_qt_texts.h"

int main(int argc, char* argv[]) {
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
