#include <QApplication>

#include "ui/form1.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quadrant"));
  QApplication::setApplicationVersion(QStringLiteral(QUADRANT_VERSION));

  Form1 form;
  form.show();
  return QApplication::exec();
}
