#include "ui/qt/russian_qt_texts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

RussianQtTexts::RussianQtTexts() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
#else
  const QString folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
#endif
  loaded_ = translator_.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(&translator_);
}

RussianQtTexts::~RussianQtTexts() {
  if (loaded_) QCoreApplication::removeTranslator(&translator_);
}
