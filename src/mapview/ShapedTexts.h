#pragma once
// TShapedTexts: texts shaped once and then drawn from their glyphs. Shaping (font fallback,
// kerning, glyph positions) costs more than putting the glyphs on the canvas, and every frame
// draws the same names in the same few fonts.

#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPainter>
#include <QSize>
#include <QString>

namespace tsivor::mapview {

// The cell of text drawn in font: its advance by the height of the font's cell. The one rule
// for the cell that text boxes are measured with and that an opaque text paints.
QSize TextCellOf(const QFont& font, const QString& text);

struct TShapedText {
    QList<QGlyphRun> Runs; // glyph positions from the left end of the baseline
    QSize Cell;            // TextCellOf the text
    int Ascent = 0;        // from the top of the cell to the baseline
};

class TShapedTexts {
public:
    // At most twice limit shapes are kept: the recent ones and the generation before.
    explicit TShapedTexts(qsizetype limit = 4096);

    // Whether canvas draws text in font from the glyphs of Shape exactly as it draws it by
    // drawText: on a raster canvas without turning or scaling, in letters Qt keeps as pictures
    // (under 64 pixels), and a text of a single line.
    static bool Applies(const QPainter& canvas, const QFont& font, const QString& text);
    // The shape of text in font, laid out in the direction of the canvas. The reference holds
    // until the next call.
    const TShapedText& Shape(const QFont& font, const QString& text, Qt::LayoutDirection direction);
    // Draws text with the top-left corner of its cell at (x, y) in the canvas pen.
    static void Draw(QPainter& canvas, int x, int y, const TShapedText& shaped);

    qsizetype Size() const { return FRecent.size() + FOlder.size(); }

private:
    struct TKey {
        QFont Font;
        QString Text;
        Qt::LayoutDirection Direction;
        friend bool operator==(const TKey&, const TKey&) = default;
        friend size_t qHash(const TKey& k, size_t seed = 0) {
            return qHashMulti(seed, k.Font, k.Text, int(k.Direction));
        }
    };
    static TShapedText Make(const TKey& key);

    qsizetype FLimit;
    QHash<TKey, TShapedText> FRecent, FOlder;
};

} // namespace tsivor::mapview
