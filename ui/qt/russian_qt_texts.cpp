#include "ui/qt/russian_qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

RussianQtTexts::RussianQtTexts() {
  loaded_ =
      translator_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
      QCoreApplication::installTranslator(&translator_);
}

RussianQtTexts::~RussianQtTexts() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}
