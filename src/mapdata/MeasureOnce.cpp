#include "mapdata/MeasureOnce.h"

#include <bit>

namespace tsivor::mapdata {

TMeasureOnce::TMeasureOnce(TMapDocument& doc) : FDoc(doc), FOwn(doc.MeasureText) {
    if (!FOwn) return;
    FDoc.MeasureText = [this](const QString& text, uint8_t fontIndex, double height) {
        return Measure(text, fontIndex, height);
    };
}

TMeasureOnce::~TMeasureOnce() {
    if (FOwn) FDoc.MeasureText = std::move(FOwn);
}

QSizeF TMeasureOnce::Measure(const QString& text, uint8_t fontIndex, double height) {
    TKey key{text, fontIndex, std::bit_cast<uint64_t>(height)};
    if (const auto found = FSizes.constFind(key); found != FSizes.constEnd()) return *found;
    const QSizeF size = FOwn(text, fontIndex, height);
    FSizes.insert(std::move(key), size);
    return size;
}

} // namespace tsivor::mapdata
