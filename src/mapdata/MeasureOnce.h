#pragma once
// TMeasureOnce: while it lives, the document measures each distinct label once. A city repeats
// its street names along every street and a load measures every label for its box, while the
// view's measurer shapes the text with real fonts each time it is asked.

#include "mapdata/MapDocument.h"

#include <QHash>
#include <QSizeF>
#include <QString>

#include <cstdint>

namespace tsivor::mapdata {

class TMeasureOnce {
public:
    // Puts a remembering measurer in front of doc's own; nothing when doc has none.
    explicit TMeasureOnce(TMapDocument& doc);
    // Gives doc its own measurer back.
    ~TMeasureOnce();
    TMeasureOnce(const TMeasureOnce&) = delete;
    TMeasureOnce& operator=(const TMeasureOnce&) = delete;

private:
    struct TKey {
        QString Text;
        uint8_t FontIndex = 0;
        uint64_t HeightBits = 0; // by the bits: -0 and 0 may measure differently
        friend bool operator==(const TKey&, const TKey&) = default;
        friend size_t qHash(const TKey& k, size_t seed) {
            return qHashMulti(seed, k.Text, k.FontIndex, k.HeightBits);
        }
    };

    QSizeF Measure(const QString& text, uint8_t fontIndex, double height);

    TMapDocument& FDoc;
    TTextMeasurer FOwn;
    QHash<TKey, QSizeF> FSizes;
};

} // namespace tsivor::mapdata
