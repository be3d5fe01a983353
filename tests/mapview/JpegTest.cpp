// JPEG pictures at reduced sizes and the bitmap files of exported pictures.
#include "mapview/BmpWriter.h"
#include "mapview/JpegDecoder.h"

#include <QBuffer>
#include <QImage>

#include <gtest/gtest.h>

using namespace tsivor::mapview;

namespace {

QByteArray MakeJpeg(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(200, 40, 40));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 90);
    return buffer.data();
}

} // namespace

TEST(JpegReduction, RatioRule) {
    EXPECT_EQ(JpegReductionForRatio(150.0 / 800), 4); // 800 wide shown 150 wide
    EXPECT_EQ(JpegReductionForRatio(0.51), 1);
    EXPECT_EQ(JpegReductionForRatio(0.5), 2);
    EXPECT_EQ(JpegReductionForRatio(0.25), 4);
    EXPECT_EQ(JpegReductionForRatio(0.125), 8);
    EXPECT_EQ(JpegReductionForRatio(0), 8);
}

TEST(JpegDecoding, DecodesAtTheReducedSize) {
    const QByteArray jpeg = MakeJpeg(800, 200);
    if (jpeg.isEmpty()) GTEST_SKIP() << "no JPEG writer to make a sample";
    EXPECT_EQ(JpegImageSize(jpeg), QSize(800, 200));
    EXPECT_EQ(DecodeJpeg(jpeg, 1).size(), QSize(800, 200));
    const QImage quarter = DecodeJpeg(jpeg, 4);
    ASSERT_EQ(quarter.size(), QSize(200, 50));
    const QColor c = quarter.pixelColor(100, 25);
    EXPECT_NEAR(c.red(), 200, 8);
    EXPECT_NEAR(c.green(), 40, 8);
    EXPECT_EQ(DecodeJpeg(jpeg, 8).size(), QSize(100, 25));
}

TEST(JpegDecoding, DamagedDataGivesANullImage) {
    QByteArray jpeg = MakeJpeg(64, 64);
    if (jpeg.isEmpty()) GTEST_SKIP() << "no JPEG writer to make a sample";
    EXPECT_TRUE(DecodeJpeg(jpeg.left(40)).isNull());
    EXPECT_TRUE(DecodeJpeg(QByteArray("not a picture")).isNull());
    EXPECT_FALSE(JpegImageSize(QByteArray()).isValid());
}

TEST(BmpFiles, TwentyFourAndSixteenBitFilesReadBack) {
    QImage img(7, 3, QImage::Format_RGB32); // 7 columns: rows need padding
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) img.setPixel(x, y, qRgb(x * 36, y * 100, 255 - x * 20));
    const QByteArray b24 = EncodeBmp(img, pf24bit);
    EXPECT_EQ(b24.size(), 54 + 3 * 24);
    EXPECT_EQ(QImage::fromData(b24, "BMP").convertToFormat(QImage::Format_RGB32), img);
    const QByteArray b16 = EncodeBmp(img, pf16bit);
    EXPECT_EQ(b16.size(), 54 + 3 * 16);
    EXPECT_EQ(uchar(b16[28]), 16);
    const QImage back = QImage::fromData(b16, "BMP");
    ASSERT_FALSE(back.isNull());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) {
            EXPECT_NEAR(qRed(back.pixel(x, y)), qRed(img.pixel(x, y)), 8);
            EXPECT_NEAR(qBlue(back.pixel(x, y)), qBlue(img.pixel(x, y)), 8);
        }
}
