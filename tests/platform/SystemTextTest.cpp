#include "platform/SystemText.h"

#include <gtest/gtest.h>

using tsivor::platform::WithRussianMeaning;

TEST(SystemText, RussianMeaningComesFirstAndTheSystemTextAfterIt) {
    EXPECT_EQ(WithRussianMeaning("Не удалось открыть /x/info.db: No such file or directory"),
              "Не удалось открыть /x/info.db: нет такого файла или папки (No such file or "
              "directory)");
    EXPECT_EQ(WithRussianMeaning("Ошибка в запросе: database disk image is malformed"),
              "Ошибка в запросе: файл базы данных повреждён (database disk image is malformed)");
    // Case as the system gave it; two texts in one message; nothing done twice.
    const QString once = WithRussianMeaning("permission denied; unknown error");
    EXPECT_EQ(once, "нет прав доступа (permission denied); неизвестная ошибка (unknown error)");
    EXPECT_EQ(WithRussianMeaning(once), once);
    EXPECT_EQ(WithRussianMeaning("Карта не найдена"), "Карта не найдена");
}
