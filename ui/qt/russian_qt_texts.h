#pragma once

#include <QTranslator>

// Qt's own texts (the text boxes' context menus, for one) in Russian, as the rest of the
// interface is, whatever the user's locale. Installed for as long as the object lives; where Qt's
// translation is not installed, they stay English, without a word to the user.
class RussianQtTexts {
 public:
  RussianQtTexts();
  ~RussianQtTexts();
  RussianQtTexts(const RussianQtTexts&) = delete;
  RussianQtTexts& operator=(const RussianQtTexts&) = delete;

  bool loaded() const { return loaded_; }

 private:
  QTranslator translator_;
  bool loaded_ = false;
};
