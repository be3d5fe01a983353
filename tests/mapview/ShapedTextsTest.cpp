// Texts drawn from the glyphs of an earlier shaping against texts shaped anew: the same pixels
// for every kind of text, and a new shape whenever what makes the glyphs changes.
#include "mapview/DrawPrimitives.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <vector>

using namespace tsivor::mapview;

namespace {

struct TTextCase {
    QString Family;
    int Height = 0;
    bool Bold = false;
    QColor Color;
    QString Text;
};

struct TCanvasCase {
    bool Smooth = false;
    bool Opaque = false; // a solid brush paints the cell behind the letters
    uint8_t Opacity = 255;
    QPointF Shift; // of the canvas
};

// The text drawn at a few places on a fresh white picture, by draw.
QImage Draw(TDrawObject& draw, const TTextCase& c, const TCanvasCase& k) {
    QImage image(420, 160, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter canvas(&image);
    canvas.setRenderHint(QPainter::Antialiasing, k.Smooth);
    canvas.setBrush(k.Opaque ? QBrush(QColor(200, 230, 255)) : QBrush(Qt::NoBrush));
    canvas.setPen(QColor(10, 20, 30));
    canvas.translate(k.Shift);
    draw.SetCanvas(&canvas);
    draw.TextFontName = c.Family;
    draw.TextHeight = c.Height;
    draw.TextBold = c.Bold;
    draw.TextColor = c.Color;
    draw.Opacity = k.Opacity;
    for (const QPoint at : {QPoint(3, 2), QPoint(-7, 60), QPoint(150, 101)})
        draw.TextOut(at.x(), at.y(), c.Text, 0);
    draw.SetCanvas(nullptr);
    return image;
}

QImage Shaped(TDrawObject& draw, const TTextCase& c, const TCanvasCase& k) {
    draw.ReuseShapes = true;
    return Draw(draw, c, k);
}

QImage Anew(const TTextCase& c, const TCanvasCase& k) {
    TDrawObject draw;
    draw.ReuseShapes = false;
    return Draw(draw, c, k);
}

bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255)) return true;
    return false;
}

std::vector<TTextCase> TextCases() {
    const std::vector<QString> texts = {
        QStringLiteral("ул. Гагарина"),
        QStringLiteral("Набережная р. Волги, 12/3"),
        QStringLiteral("AVAWAY fi ffl Té"),
        QStringLiteral("  пробелы  вокруг  "),
        QStringLiteral("№ 5 — «Дом» → ½ ∞ Ω"),
        QStringLiteral("שלום abc"),
        QStringLiteral("x"),
    };
    std::vector<TTextCase> cases;
    int n = 0;
    for (const QString& text : texts)
        for (const int height : {6, 11, 17, 29, 70, 130})
            for (const bool bold : {false, true}) {
                const QString family = n % 3 == 0   ? QStringLiteral("Arial")
                                       : n % 3 == 1 ? QStringLiteral("Times New Roman Cyr")
                                                    : QStringLiteral("Courier New");
                const QColor color = n % 2 ? QColor(0, 0, 0) : QColor(180, 30, 60);
                cases.push_back({family, height, bold, color, text});
                ++n;
            }
    return cases;
}

} // namespace

TEST(ShapedTexts, DrawTheSamePixelsAsTextsShapedAnew) {
    TDrawObject draw; // one for all cases: later ones are drawn among the shapes of earlier ones
    const std::vector<TCanvasCase> canvases = {
        {false, false, 255, {}}, {true, false, 255, {}},          {false, true, 255, {}},
        {true, true, 170, {}},   {false, true, 255, {0.5, 0.25}}, {true, false, 255, {-0.75, 0.5}}};
    int compared = 0;
    for (const TTextCase& c : TextCases())
        for (const TCanvasCase& k : canvases) {
            SCOPED_TRACE(QStringLiteral("%1 %2 px%3 in %4, smooth %5 opaque %6 opacity %7 at %8")
                             .arg(c.Text)
                             .arg(c.Height)
                             .arg(c.Bold ? " bold" : "")
                             .arg(c.Family)
                             .arg(k.Smooth)
                             .arg(k.Opaque)
                             .arg(k.Opacity)
                             .arg(k.Shift.x())
                             .toStdString());
            const QImage expected = Anew(c, k);
            ASSERT_TRUE(HasInk(expected));
            EXPECT_EQ(Shaped(draw, c, k), expected); // shaped now
            EXPECT_EQ(Shaped(draw, c, k), expected); // drawn from the shape kept
            ++compared;
        }
    EXPECT_GT(draw.Shapes().Size(), 0);
    EXPECT_EQ(compared, int(TextCases().size() * canvases.size()));
}

TEST(ShapedTexts, ChangeOfStringFontSizeOrWeightGivesTheNewGlyphs) {
    TDrawObject draw;
    const TCanvasCase plain;
    TTextCase c{QStringLiteral("Arial"), 20, false, QColor(0, 0, 0), QStringLiteral("Мир")};
    const QImage first = Shaped(draw, c, plain);
    EXPECT_EQ(first, Anew(c, plain));
    std::vector<TTextCase> changed(4, c);
    changed[0].Text = QStringLiteral("Мор");
    changed[1].Family = QStringLiteral("Times New Roman");
    changed[2].Height = 21;
    changed[3].Bold = true;
    for (const TTextCase& d : changed) {
        SCOPED_TRACE(QStringLiteral("%1 %2 %3 %4")
                         .arg(d.Text, d.Family)
                         .arg(d.Height)
                         .arg(d.Bold)
                         .toStdString());
        const QImage image = Shaped(draw, d, plain);
        EXPECT_NE(image, first);
        EXPECT_EQ(image, Anew(d, plain));
    }
    // And back: the first shape again.
    EXPECT_EQ(Shaped(draw, c, plain), first);
}

TEST(ShapedTexts, TurnedAndMultiLineTextsAreShapedAnew) {
    QImage image(100, 100, QImage::Format_RGB32);
    QPainter canvas(&image);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(20);
    EXPECT_TRUE(TShapedTexts::Applies(canvas, font, QStringLiteral("Мост")));
    EXPECT_FALSE(TShapedTexts::Applies(canvas, font, QStringLiteral("Мост\nЛесной")));
    EXPECT_FALSE(TShapedTexts::Applies(canvas, font, QStringLiteral("a\tb")));
    EXPECT_FALSE(TShapedTexts::Applies(canvas, font, QString(QChar(0x2028))));
    font.setPixelSize(64); // drawn from outlines
    EXPECT_FALSE(TShapedTexts::Applies(canvas, font, QStringLiteral("Мост")));
    font.setPixelSize(20);
    canvas.rotate(30);
    EXPECT_FALSE(TShapedTexts::Applies(canvas, font, QStringLiteral("Мост")));
}

TEST(ShapedTexts, KeepsABoundedNumberOfShapes) {
    TShapedTexts shapes(8);
    const QFont font(QStringLiteral("Arial"));
    for (int i = 0; i < 100; ++i) {
        shapes.Shape(font, QString::number(i), Qt::LeftToRight);
        EXPECT_LE(shapes.Size(), 16);
    }
    // A shape that went is made again, the same.
    TShapedTexts fresh(8);
    const TShapedText& again = shapes.Shape(font, QStringLiteral("0"), Qt::LeftToRight);
    const TShapedText& made = fresh.Shape(font, QStringLiteral("0"), Qt::LeftToRight);
    EXPECT_EQ(again.Cell, made.Cell);
    EXPECT_EQ(again.Ascent, made.Ascent);
    ASSERT_EQ(again.Runs.size(), made.Runs.size());
    EXPECT_EQ(again.Runs[0].glyphIndexes(), made.Runs[0].glyphIndexes());
    EXPECT_EQ(again.Runs[0].positions(), made.Runs[0].positions());
}
