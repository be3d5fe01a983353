#pragma once
// Where the sample's logos may stand on its map: clear of the names and notes the map file
// already shows, of the houses with their raised roofs (and so their numbers) and of each
// other, inside the blocks.

#include "CityPlan.h"

#include <QPolygonF>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

namespace tsivor::sample {

class LogoGround {
public:
    // Reads the names and notes of the map file; without a readable file only the plan counts.
    LogoGround(const CityPlan& plan, const QString& mapFile);

    // Half the size of a 32-pixel icon, in map units, at the whole-town view the file opens with.
    float IconHalf() const { return FIconHalf; }

    // A rectangle of the given size in the open ground of a block, as near to `wanted` (its
    // top-left corner) as there is one; taken for later logos. None when no block has room.
    std::optional<QRectF> TakePicture(QPointF wanted, QSizeF size);
    // An icon's point, the first of `candidates` where the icon covers no name, note or logo
    // shown at the whole-town view; taken for later logos. None when every one is covered.
    std::optional<QPointF> TakeIcon(const std::vector<QPointF>& candidates);

private:
    bool InsideABlock(const QRectF& r) const;
    bool CoversAHouse(const QRectF& r) const;
    bool CoversAName(const QRectF& r, bool atWholeTown) const;
    bool CoversANote(const QRectF& r, float half) const; // notes of that half size
    bool CoversALogo(const QRectF& r) const;

    struct Name {
        QRectF Bounds;
        float Size = 0; // font height in map units
    };
    std::vector<QPolygonF> FBlocks;
    std::vector<QRectF> FHouses;
    std::vector<Name> FNames;
    std::vector<QPointF> FNotes;
    std::vector<QRectF> FTaken;
    float FPixelsPerUnit = 0.25f; // at the whole-town view
    float FIconHalf = 64;
};

} // namespace tsivor::sample
