#include "ui/qt/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QDialog>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Qt's line edit as a screen reader sees it, through the box's public functions; only the
// attribute runs differ: one run over the whole text, which has no attributes.
class LineEditAccessible final : public QAccessibleWidget,
                                 public QAccessibleTextInterface,
                                 public QAccessibleEditableTextInterface {
 public:
  explicit LineEditAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface) {
      return static_cast<QAccessibleEditableTextInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
  }

  QString text(QAccessible::Text type) const override {
    return type == QAccessible::Value ? box()->text() : QAccessibleWidget::text(type);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !box()->isReadOnly();
    state.readOnly = box()->isReadOnly();
    state.selectableText = true;
    return state;
  }

  // The text interface.
  void selection(int index, int* start, int* end) const override {
    *start = *end = 0;
    if (index != 0 || !box()->hasSelectedText()) return;
    *start = box()->selectionStart();
    *end = *start + static_cast<int>(box()->selectedText().size());
  }
  int selectionCount() const override { return box()->hasSelectedText() ? 1 : 0; }
  void addSelection(int start, int end) override { setSelection(0, start, end); }
  void removeSelection(int) override { box()->deselect(); }
  void setSelection(int, int start, int end) override { box()->setSelection(start, end - start); }
  int cursorPosition() const override { return box()->cursorPosition(); }
  void setCursorPosition(int position) override { box()->setCursorPosition(position); }
  QString text(int start, int end) const override { return box()->text().mid(start, end - start); }
  int characterCount() const override { return static_cast<int>(box()->text().size()); }
  // Measured from the caret, which the box places with its scrolling taken into account.
  QRect characterRect(int offset) const override {
    const QString text = box()->text();
    if (offset < 0 || offset >= text.size()) return {};
    const QFontMetrics metrics = box()->fontMetrics();
    const QRect caret = box()->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int x = caret.center().x() + metrics.horizontalAdvance(text.left(offset)) -
                  metrics.horizontalAdvance(text.left(box()->cursorPosition()));
    const QRect local(x, caret.top(), metrics.horizontalAdvance(text.at(offset)), caret.height());
    return QRect(box()->mapToGlobal(local.topLeft()), local.size());
  }
  int offsetAtPoint(const QPoint& point) const override {
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
  }
  void scrollToSubstring(int start, int end) override {
    box()->setCursorPosition(end);
    box()->setCursorPosition(start);
  }
  QString attributes(int, int* start, int* end) const override {
    *start = 0;
    *end = characterCount();
    return {};
  }

  // The editable text interface.
  void deleteText(int start, int end) override { replaceText(start, end, {}); }
  void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
  void replaceText(int start, int end, const QString& text) override {
    QString value = box()->text();
    box()->setText(value.replace(start, end - start, text));
  }

 private:
  QLineEdit* box() const { return static_cast<QLineEdit*>(widget()); }
};

// Focuses its dialog itself as the dialog first becomes active. Space that reaches the dialog, its
// own or left by a child, presses its default button, as it would with that button focused.
class FocusOnActivationFilter final : public QObject {
 public:
  explicit FocusOnActivationFilter(QDialog* dialog) : QObject(dialog), dialog_(dialog) {}

  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && !activated_) {
      activated_ = true;
      dialog_->setFocus(Qt::ActiveWindowFocusReason);
      // Qt 5 tells nobody of a window's own focus.
      QAccessibleEvent focused(dialog_, QAccessible::Focus);
      QAccessible::updateAccessibility(&focused);
    } else if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() != Qt::Key_Space || key->modifiers() != Qt::NoModifier) return false;
      for (QPushButton* button : dialog_->findChildren<QPushButton*>()) {
        if (button->isDefault() && button->isVisible() && button->isEnabled()) {
          button->click();
          return true;
        }
      }
    }
    return false;
  }

 private:
  QDialog* dialog_;
  bool activated_ = false;
};

}  // namespace

void FocusOnActivation(QDialog* dialog) {
  dialog->installEventFilter(new FocusOnActivationFilter(dialog));
}

void ExposeWholeText(QLineEdit* box) {
  // Qt's cache keeps it from now on, in place of its own, and deletes it with the box.
  QAccessible::registerAccessibleInterface(new LineEditAccessible(box));
}

AccessibilityMuted::AccessibilityMuted()
    : previous_(QAccessible::installUpdateHandler([](QAccessibleEvent*) {})) {}

AccessibilityMuted::~AccessibilityMuted() { QAccessible::installUpdateHandler(previous_); }

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
  setFixedSize(0, 0);
  setFocusPolicy(Qt::NoFocus);
  QAccessible::registerAccessibleInterface(new QAccessibleWidget(this, QAccessible::Notification));
  hide();
}

void Announcer::Say(const QString& text) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
  // Qt 6.8 passes an announcement on as such, which Orca 48 speaks; it drops a notification that
  // shows and hides at once. Made by the window, which is shown.
  QAccessibleAnnouncementEvent announcement(parentWidget(), text);
  QAccessible::updateAccessibility(&announcement);
#else
  setAccessibleName(text);
  // Shown again each time, so that the same text twice is said twice.
  hide();
  show();
  hide();
#endif
}
