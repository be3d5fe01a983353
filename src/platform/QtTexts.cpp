#include "platform/QtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace tsivor::platform {

TRussianQtTexts::TRussianQtTexts() {
    FLoaded = FTranslator.load(QStringLiteral("qtbase_ru"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
              QCoreApplication::installTranslator(&FTranslator);
}

TRussianQtTexts::~TRussianQtTexts() {
    if (FLoaded) QCoreApplication::removeTranslator(&FTranslator);
}

} // namespace tsivor::platform
