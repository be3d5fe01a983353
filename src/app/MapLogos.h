#pragma once
// TMapLogos: the advertising logos on the map. After every map load the picture logos of
// logo/logo.ini and the icon logos of logo/logo_p.ini are placed through the edit buffer, each
// with its leader line and dot; the rubric logos of logo/logo_r.ini are placed after a result
// that holds their organisation and removed before the next result. A logo object tells the
// organisation it advertises.
//
// Objects deleted by others (the result marks) shift the indices of the objects after them:
// every logo is followed by its object ID as well, so its index is found again.

#include <QPointF>
#include <QString>

#include <cstdint>
#include <vector>

namespace tsivor::mapview {
class TDataMap;
}

namespace tsivor::app {

class TMapLogos {
public:
    static constexpr int RubricLogoCategory = 97;
    static constexpr int IconLogoCategory = 98;
    static constexpr int PictureLogoCategory = 99;

    // exeDir holds the folder "logo".
    TMapLogos(mapview::TDataMap& map, QString exeDir);

    // The map's OnAfterLoad: both lists emptied (the objects went with the old map), the map
    // logos placed, the rubric logo file read. A missing picture is named in a message.
    void PlaceMapLogos();
    // Before every result: the rubric logos of the last result go.
    void RemoveRubricLogos();
    // After a result: the rubric logos of every organisation of resultIds ("n;n;...", card
    // order) that has any, then one redraw.
    void PlaceRubricLogos(const QString& resultIds);

    // The organisation advertised by the logo object at index object; 0 for any other object.
    // Categories above 97 are looked up among the map logos, 97 among the rubric logos.
    int OrganisationOf(int object);

    // Every id of logo_r.ini followed by ";".
    const QString& RubricLogoOrgIds() const { return FRubricLogoOrgIds; }
    int MapLogoCount() const { return int(FMapLogos.size()); }
    int RubricLogoCount() const { return int(FRubricLogos.size()); }

private:
    struct TLogoObject {
        int Index = 0;  // where it was posted; found again through ID after deletions
        int32_t ID = 0; // the object's ID
        int OrgId = 0;
    };
    struct TRubricPlaces {
        int OrgId = 0;
        std::vector<QPointF> Points;
    };

    void PlacePictureLogos();
    void PlaceIconLogos();
    void ReadRubricLogos();
    // A new object of the buffer posted; its index and ID go to list with the organisation.
    void PostLogo(std::vector<TLogoObject>& list, int orgId);
    // The black leader line from a to b and the dot around dot, in layer.
    void PlaceLeader(QPointF a, QPointF b, QPointF dot, int layer);
    void PlaceNote(QPointF at, int orgId, int category);
    // The current index of a logo, or -1 once its object is gone.
    int IndexOf(TLogoObject& logo) const;
    int OrganisationIn(std::vector<TLogoObject>& list, int object) const;

    mapview::TDataMap& FMap;
    QString FLogoDir;
    std::vector<TLogoObject> FMapLogos;
    std::vector<TLogoObject> FRubricLogos;
    std::vector<TRubricPlaces> FRubricPlaces; // logo_r.ini in section order
    QString FRubricLogoOrgIds;
};

} // namespace tsivor::app
