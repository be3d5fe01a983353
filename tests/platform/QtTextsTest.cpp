#include "platform/QtTexts.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>

#include <gtest/gtest.h>

namespace {

using tsivor::platform::TRussianQtTexts;

// The buttons of a question box: Qt's own texts, as its dialogs ask for them.
QString ButtonText(const char* english) {
    return QCoreApplication::translate("QPlatformTheme", english);
}

TEST(RussianQtTexts, DialogButtonsSpeakRussianWhileInstalled) {
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!QFileInfo::exists(dir + "/qtbase_ru.qm"))
        GTEST_SKIP() << "Qt's Russian translations are not installed (qt6-translations-l10n)";
    {
        const TRussianQtTexts russian;
        ASSERT_TRUE(russian.Loaded());
        EXPECT_EQ(ButtonText("&Yes"), "&Да");
        EXPECT_EQ(ButtonText("&No"), "&Нет");
        EXPECT_EQ(ButtonText("Cancel"), "Отмена");
    }
    EXPECT_EQ(ButtonText("&Yes"), "&Yes"); // gone with the guard
}

} // namespace
