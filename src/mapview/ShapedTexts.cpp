#include "mapview/ShapedTexts.h"

#include <QFontMetrics>
#include <QPaintEngine>
#include <QTextLayout>

namespace tsivor::mapview {

namespace {

constexpr int kLargestCachedGlyph = 64; // pixels; Qt draws larger ones from their outlines

} // namespace

QSize TextCellOf(const QFont& font, const QString& text) {
    const QFontMetrics metrics(font);
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

TShapedTexts::TShapedTexts(qsizetype limit) : FLimit(std::max<qsizetype>(1, limit)) {}

bool TShapedTexts::Applies(const QPainter& canvas, const QFont& font, const QString& text) {
    // Other engines, turned glyphs and glyphs too large for Qt's glyph cache take routines
    // for glyph runs that differ from those of drawText.
    const QPaintEngine* engine = canvas.paintEngine();
    if (!engine || engine->type() != QPaintEngine::Raster) return false;
    if (canvas.deviceTransform().type() > QTransform::TxTranslate) return false;
    if (font.pixelSize() <= 0 || font.pixelSize() >= kLargestCachedGlyph) return false;
    // A layout breaks lines and sets tabs; drawText does neither.
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            return false;
    }
    return true;
}

const TShapedText& TShapedTexts::Shape(const QFont& font, const QString& text,
                                       Qt::LayoutDirection direction) {
    TKey key{font, text, direction};
    auto it = FRecent.constFind(key);
    if (it != FRecent.cend()) return *it;
    if (FRecent.size() >= FLimit) {
        // The shapes not used since the last turn go.
        FOlder = std::move(FRecent);
        FRecent.clear();
    }
    auto older = FOlder.find(key);
    if (older != FOlder.end()) {
        TShapedText shaped = std::move(*older);
        FOlder.erase(older);
        return *FRecent.insert(std::move(key), std::move(shaped));
    }
    TShapedText shaped = Make(key);
    return *FRecent.insert(std::move(key), std::move(shaped));
}

TShapedText TShapedTexts::Make(const TKey& key) {
    TShapedText shaped;
    shaped.Cell = TextCellOf(key.Font, key.Text);
    shaped.Ascent = QFontMetrics(key.Font).ascent();
    QTextLayout layout(key.Text, key.Font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(key.Direction);
    option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) line.setNumColumns(int(key.Text.size()));
    layout.endLayout();
    if (!line.isValid()) return shaped;
    // The line puts its baseline at its ascent, which need not be a whole pixel; drawText
    // puts it at the font's rounded ascent.
    const QPointF baseline(line.x(), line.y() + line.ascent());
    shaped.Runs = layout.glyphRuns();
    for (QGlyphRun& run : shaped.Runs) {
        QList<QPointF> positions = run.positions();
        for (QPointF& p : positions) p -= baseline;
        run.setPositions(positions);
    }
    return shaped;
}

void TShapedTexts::Draw(QPainter& canvas, int x, int y, const TShapedText& shaped) {
    const QPointF origin(x, y + shaped.Ascent);
    for (const QGlyphRun& run : shaped.Runs) canvas.drawGlyphRun(origin, run);
}

} // namespace tsivor::mapview
