#pragma once

// What a screen reader needs of Form1 beyond what Qt's own accessibility gives.

#include <QString>
#include <QWidget>

class QAccessibleEvent;
class QDialog;
class QLineEdit;

// Gives `box` an accessible face of its own, which it keeps for its life. Qt's own reports every
// character as a text-attribute run of no length, and Orca 43, which joins the runs to split a
// line by language, then drops the line's last character whenever it reads the box. Due before
// anything has asked for the box's accessible face (before the box's name is set, for one).
void ExposeWholeText(QLineEdit* box);

// Has `dialog` itself focused as it first becomes active, not one of its buttons; its default
// button takes Enter and Space, and Escape closes it, as before. Qt tells a screen reader of the
// focus on a button before it tells of the window's activation, and Orca 43, told of a message
// box's button first, or taking the box for the window that it knows already, says only the
// button. It reads a focused dialog whole, as it does a window newly active.
void FocusOnActivation(QDialog* dialog);

// While it lives, nothing that the program's widgets do reaches a screen reader. Qt has one
// handler for the whole program; the one before is put back.
class AccessibilityMuted {
 public:
  AccessibilityMuted();
  ~AccessibilityMuted();
  AccessibilityMuted(const AccessibilityMuted&) = delete;
  AccessibilityMuted& operator=(const AccessibilityMuted&) = delete;

 private:
  void (*previous_)(QAccessibleEvent*);
};

// Has a screen reader say a text wherever the focus is: an announcement where Qt has them (6.8),
// else an invisible notification, shown for a moment with the text as its name, which Orca 43
// speaks as it is shown.
class Announcer : public QWidget {
 public:
  explicit Announcer(QWidget* parent);

  void Say(const QString& text);
};
