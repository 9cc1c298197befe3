#pragma once

#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

#include "ui/check.h"
#include "ui/form1_design.h"

class Announcer;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// The program's one window. Text1 shows the result of the last check; Command1 asks for X and Y
// and writes where the point lies, Command2 ends the program. Enter presses Command1 unless a
// button has the focus, Escape presses Command2, as in a dialog with default and cancel buttons.
class Form1 : public QWidget, private ui::CheckFace {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);

 protected:
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void Command1_Click();
  void Command2_Click();

 private:
  QWidget* Control(const ui::ControlDesign& design) const;  // the member that shows it
  QPushButton* ButtonWithRole(ui::KeyRole role) const;
  int LayoutDpi() const;
  void Layout();

  // What a check needs of the window.
  std::string Ask(std::string_view prompt) override;
  std::string DecimalSeparator() override;
  void ShowLine(std::string_view line) override;
  void Announce(std::string_view line) override;
  void Report(std::string_view report) override;
  void SayUnannounced();
  void PlaceAtStoredPosition();

  QLineEdit* Text1;
  QPushButton* Command1;
  QPushButton* Command2;
  Announcer* announcer_;
  QString unannounced_;  // a line to be said once the window is active again
};
