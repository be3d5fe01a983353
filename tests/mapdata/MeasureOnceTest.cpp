// Labels measured once while a load runs.

#include "mapdata/MeasureOnce.h"

#include <gtest/gtest.h>

using namespace tsivor::mapdata;

namespace {

QSizeF Measure(const QString& text, uint8_t fontIndex, double height) {
    return QSizeF(height * double(text.size()) + fontIndex, height);
}

} // namespace

TEST(MeasureOnce, EachLabelIsMeasuredOnceAndTheOwnMeasurerComesBack) {
    TMapDocument doc;
    int calls = 0;
    doc.MeasureText = [&calls](const QString& text, uint8_t font, double height) {
        ++calls;
        return Measure(text, font, height);
    };
    {
        const TMeasureOnce once(doc);
        EXPECT_EQ(doc.MeasureText(QStringLiteral("Сад"), 0, 4),
                  Measure(QStringLiteral("Сад"), 0, 4));
        EXPECT_EQ(doc.MeasureText(QStringLiteral("Сад"), 0, 4),
                  Measure(QStringLiteral("Сад"), 0, 4));
        EXPECT_EQ(calls, 1);
        doc.MeasureText(QStringLiteral("Сад"), 1, 4);
        doc.MeasureText(QStringLiteral("Сад"), 0, 5);
        doc.MeasureText(QStringLiteral("Сады"), 0, 4);
        EXPECT_EQ(calls, 4);
        // A negative zero may measure otherwise than a zero.
        doc.MeasureText(QStringLiteral("Сад"), 0, 0.0);
        doc.MeasureText(QStringLiteral("Сад"), 0, -0.0);
        EXPECT_EQ(calls, 6);
    }
    doc.MeasureText(QStringLiteral("Сад"), 0, 4);
    EXPECT_EQ(calls, 7);
}

TEST(MeasureOnce, DocumentWithoutMeasurerStaysWithout) {
    TMapDocument doc;
    doc.MeasureText = nullptr;
    {
        const TMeasureOnce once(doc);
        EXPECT_FALSE(doc.MeasureText);
    }
    EXPECT_FALSE(doc.MeasureText);
}
