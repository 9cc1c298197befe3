// The least Qt program with the window of quadrant: a fixed-size top-level window titled "Form1"
// holding a line edit and two push buttons at the same places, and nothing else. startup.sh
// compares quadrant's start with this one's.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("Form1"));
  window.setFixedSize(312, 65);
  auto* text = new QLineEdit(&window);
  text->setGeometry(4, 8, 301, 19);
  auto* check = new QPushButton(QStringLiteral("Check"), &window);
  check->setGeometry(4, 32, 269, 25);
  auto* exit = new QPushButton(QStringLiteral("X"), &window);
  exit->setGeometry(280, 32, 25, 25);
  window.show();
  return QApplication::exec();
}
