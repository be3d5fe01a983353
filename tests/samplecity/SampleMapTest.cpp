#include "SampleMap.h"
#include "CityPlan.h"
#include "MapStyle.h"
#include "SampleParts.h"

#include "mapdata/Cp1251.h"
#include "mapdata/MapLoader.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRectF>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace tsivor::sample {
namespace {

using namespace tsivor::mapdata;

const CityPlan& Plan() {
    static const CityPlan plan = MakeCityPlan(false);
    return plan;
}

// The sample map as the program reads it: written, scrambled, unscrambled and loaded.
class SampleMapFile : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new QTemporaryDir;
        QString error;
        ASSERT_TRUE(WriteSampleMap(Plan(), dir_->path(), &error)) << error.toStdString();
        doc_ = new TMapDocument;
        TMapLoadHost host;
        TLoadReport report;
        ASSERT_TRUE(MapLoad(QDir(dir_->path()).filePath("info1.db"), *doc_, host, &error, &report))
            << error.toStdString();
        ASSERT_EQ(report.ObjectsDropped, 0);
        ASSERT_FALSE(report.Truncated);
    }
    static void TearDownTestSuite() {
        delete doc_;
        delete dir_;
    }

    static void ForEach(const std::function<void(const TORBMapObjectMem&, int depth)>& f) {
        std::function<void(const TORBMapObjectMem&, int)> walk = [&](const TORBMapObjectMem& o,
                                                                     int depth) {
            f(o, depth);
            if (o.Children)
                for (const auto& c : *o.Children) walk(*c, depth + 1);
        };
        for (const auto& o : doc_->Objects) walk(*o, 0);
    }

    static inline QTemporaryDir* dir_ = nullptr;
    static inline TMapDocument* doc_ = nullptr;
};

TEST_F(SampleMapFile, LoadsBackWithEveryObjectType) {
    std::set<int> types;
    int maxDepth = 0;
    ForEach([&](const TORBMapObjectMem& o, int depth) {
        types.insert(o.ObjectType);
        maxDepth = std::max(maxDepth, depth);
    });
    for (int t = cPolygon; t <= cBezierFill; ++t) EXPECT_TRUE(types.count(t)) << ObjectTypeName(t);
    EXPECT_GE(maxDepth, 2); // a group inside a group
    EXPECT_GE(doc_->ObjectCount(), int(Plan().Houses.size() + Plan().Streets.size()));
    EXPECT_LT(doc_->ObjectCount(), 10000);
}

// The drawing code takes these shapes on trust.
TEST_F(SampleMapFile, ShapesAreWellFormed) {
    std::set<int> ids;
    ForEach([&](const TORBMapObjectMem& o, int) {
        EXPECT_TRUE(ids.insert(o.ID).second) << o.ID;
        EXPECT_GE(o.Layer, -64);
        EXPECT_LE(o.Layer, 64);
        EXPECT_LT(o.Category, 97); // 97 and up belong to the program's logos
        switch (o.ObjectType) {
        case cBezier:
        case cBezierFill:
            EXPECT_EQ(o.Count % 3, 1);
            break;
        case cEllipse:
            EXPECT_EQ(o.Count, 4);
            break;
        case cPolygon:
            EXPECT_GE(o.Count, 3);
            break;
        case cLine:
            EXPECT_GE(o.Count, 2);
            break;
        case cGroup:
            ASSERT_TRUE(o.Children);
            EXPECT_EQ(o.Count, int(o.Children->size()));
            break;
        default:
            break;
        }
        EXPECT_TRUE(o.HasData()) << o.ID;
    });
    EXPECT_GE(doc_->Header.NextId, int(ids.size()));
}

TEST_F(SampleMapFile, HeaderAndTablesDescribeTheTown) {
    EXPECT_EQ(doc_->Header.Version, 14);
    EXPECT_EQ(doc_->Header.Mashtab, Plan().Mashtab);
    EXPECT_GT(doc_->Header.Scale, 0);
    EXPECT_EQ(doc_->Towns.Count(), 1);
    EXPECT_EQ(doc_->Towns.At(0).Name, QStringLiteral("ЗАРЕЧИНСК"));
    EXPECT_EQ(doc_->Streets.Count(), int(Plan().Streets.size()));
    EXPECT_GE(doc_->Header.NextStreetCode, doc_->Streets.Count());
    for (const PlanStreet& s : Plan().Streets)
        EXPECT_GE(doc_->Streets.IndexOf(cp1251::Upper(s.Name)), 0) << s.Name.toStdString();
    for (const auto& e : doc_->Streets.Entries()) EXPECT_EQ(e.Name, cp1251::Upper(e.Name));
    EXPECT_LT(doc_->Extent.MinX, doc_->Extent.MaxX);
}

TEST_F(SampleMapFile, EveryPlannedAddressIsOnTheMap) {
    std::set<QString> onMap;
    std::set<QString> streetsWithoutNumber;
    int corners = 0, withHeight = 0;
    ForEach([&](const TORBMapObjectMem& o, int) {
        if (!o.HasAddress) return;
        const TAdres a = doc_->DecodeAddress(o);
        EXPECT_EQ(a.Town, QStringLiteral("ЗАРЕЧИНСК"));
        ASSERT_FALSE(a.Street.isEmpty());
        if (a.House.isEmpty())
            streetsWithoutNumber.insert(a.Street);
        else
            onMap.insert(a.Street + '|' + a.House);
        corners += !a.Street1.isEmpty() && !a.House1.isEmpty();
        withHeight += o.Height > 0;
    });
    for (const PlanHouse& h : Plan().Houses)
        ASSERT_TRUE(onMap.count(cp1251::Upper(h.Street) + '|' + h.House))
            << h.Street.toStdString() << " " << h.House.toStdString();
    EXPECT_EQ(streetsWithoutNumber.size(), Plan().Streets.size());
    EXPECT_GT(corners, 100);
    EXPECT_GT(withHeight, 1000);
}

TEST_F(SampleMapFile, CarriesRotatedLabelsNotesAndPictures) {
    int rotated = 0, small = 0, notes = 0, jpeg = 0, bmp = 0, transparent = 0, casing = 0,
        dashed = 0, hatched = 0;
    std::set<QString> pictures;
    ForEach([&](const TORBMapObjectMem& o, int) {
        TORBMapText t;
        if (o.GetText(t)) {
            rotated += t.Angle != 0 && t.Angle % 900 != 0;
            small += t.Size < 10;
        }
        TORBMapZametka z;
        if (o.GetZametka(z)) {
            ++notes;
            EXPECT_EQ(z.NameLib, QStringLiteral("Default"));
            pictures.insert(z.NamePic);
        }
        if (o.Bitmap) {
            QImage img;
            EXPECT_TRUE(img.loadFromData(o.Bitmap->Image, o.Bitmap->Format ? "JPG" : "BMP"));
            jpeg += o.Bitmap->Format == 1;
            bmp += o.Bitmap->Format == 0;
            transparent += o.Bitmap->Transparent == 1;
        }
        casing += o.ObjectType == cLine && (o.Pen.Flags & kPenCasing);
        dashed += o.ObjectType == cLine && o.Pen.Style != 0;
        hatched += o.ObjectType == cPolygon && o.Brush.Style >= 2;
    });
    EXPECT_GT(rotated, 5);
    EXPECT_GT(small, 0);
    EXPECT_EQ(notes, 16);
    EXPECT_GE(pictures.size(), 10u); // several different pictures of the library
    EXPECT_GE(jpeg, 1);
    EXPECT_GE(bmp, 1);
    EXPECT_GE(transparent, 1);
    EXPECT_GT(casing, 0);
    EXPECT_GT(dashed, 0);
    EXPECT_GT(hatched, 0);
}

// Distance from p to the polyline line.
float DistanceTo(const std::vector<PlanPoint>& line, float x, float y) {
    float best = 1e30f;
    for (size_t i = 1; i < line.size(); ++i) {
        const float ax = line[i - 1].X, ay = line[i - 1].Y, dx = line[i].X - ax,
                    dy = line[i].Y - ay;
        const float len2 = std::max(1e-6f, dx * dx + dy * dy);
        const float t = std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.f, 1.f);
        best = std::min(best, std::hypot(x - ax - t * dx, y - ay - t * dy));
    }
    return best;
}

bool InBox(const TORBMapObjectMem& o, float x, float y, float margin = 0) {
    return x >= o.Box[0].X - margin && x <= o.Box[2].X + margin && y >= o.Box[0].Y - margin &&
           y <= o.Box[2].Y + margin;
}

TEST_F(SampleMapFile, ReadsLikeAMap) {
    const CityPlan& plan = Plan();
    // Pixels per map unit at the whole-town view the file opens with.
    const float k = float(doc_->Header.Scale / 100.0);
    const float iconHalf = 14 / k;
    std::map<QString, int> streetNames;
    std::vector<const TORBMapObjectMem*> districtNames, notes;
    for (const auto& p : doc_->Objects) {
        const TORBMapObjectMem& o = *p;
        TORBMapText t;
        if (o.GetText(t) && o.Category == 1 && t.Size > 5) ++streetNames[t.Text];
        if (o.GetText(t) && o.Category == 2) districtNames.push_back(&o);
        if (o.ObjectType == cZametka) notes.push_back(&o);
        if (o.ObjectType == cPolygon && o.Category == 2) {
            EXPECT_EQ(o.Pen.Style, 5);
        }
    }
    // One name per street for the middle scales, none saying its kind twice.
    EXPECT_GE(streetNames.size(), plan.Streets.size() - 2);
    for (const auto& [name, count] : streetNames) {
        EXPECT_EQ(count, 1) << name.toStdString();
        EXPECT_FALSE(name.startsWith(QStringLiteral("наб. Наб"))) << name.toStdString();
    }
    // District names in open ground: no house under them, none over a park or the stadium.
    EXPECT_EQ(districtNames.size(), 2 * plan.Districts.size());
    for (const TORBMapObjectMem* d : districtNames) {
        for (const PlanHouse& h : plan.Houses)
            for (const PlanPoint& v : h.Outline) ASSERT_FALSE(InBox(*d, v.X, v.Y));
        for (const PlanArea& a : plan.Areas)
            for (const PlanPoint& v : a.Outline) ASSERT_FALSE(InBox(*d, v.X, v.Y));
    }
    // Notes at the whole-town view cover neither the river, a bridge nor a district name.
    ASSERT_EQ(notes.size(), 16u);
    for (const TORBMapObjectMem* n : notes) {
        const float x = n->Box[0].X, y = n->Box[0].Y;
        EXPECT_GT(DistanceTo(plan.River, x, y), plan.RiverWidth / 2 + iconHalf);
        for (const PlanBridge& b : plan.Bridges)
            EXPECT_GT(DistanceTo({b.From, b.To}, x, y), iconHalf);
        for (const TORBMapObjectMem* d : districtNames) EXPECT_FALSE(InBox(*d, x, y, iconHalf));
    }
}

// The bounds of an object's box, a text's rotated rectangle included.
QRectF Bounds(const TORBMapObjectMem& o) {
    float x0 = o.Box[0].X, x1 = x0, y0 = o.Box[0].Y, y1 = y0;
    for (const auto& p : o.Box) {
        x0 = std::min(x0, p.X);
        x1 = std::max(x1, p.X);
        y0 = std::min(y0, p.Y);
        y1 = std::max(y1, p.Y);
    }
    return QRectF(QPointF(x0, y0), QPointF(x1, y1));
}

TEST_F(SampleMapFile, NamesOfParksAndSquaresStandClearOfStreetNames) {
    std::vector<const TORBMapObjectMem*> areaNames, streetNames;
    for (const auto& p : doc_->Objects) {
        TORBMapText t;
        if (!p->GetText(t)) continue;
        if (p->Category == kCatPark) areaNames.push_back(p.get());
        if (p->Category == kCatStreet) streetNames.push_back(p.get());
    }
    ASSERT_FALSE(areaNames.empty());
    for (const TORBMapObjectMem* a : areaNames)
        for (const TORBMapObjectMem* s : streetNames) {
            TORBMapText at, st;
            a->GetText(at);
            s->GetText(st);
            EXPECT_FALSE(Bounds(*a).intersects(Bounds(*s)))
                << at.Text.toStdString() << " / " << st.Text.toStdString();
        }
}

TEST(SampleMap, IsWrittenTheSameEveryTime) {
    QTemporaryDir a, b;
    QString error;
    ASSERT_TRUE(WriteSampleMap(Plan(), a.path(), &error));
    ASSERT_TRUE(WriteSampleMap(Plan(), b.path(), &error));
    QFile fa(QDir(a.path()).filePath("info1.db")), fb(QDir(b.path()).filePath("info1.db"));
    ASSERT_TRUE(fa.open(QIODevice::ReadOnly));
    ASSERT_TRUE(fb.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fa.readAll() == fb.readAll());
}

TEST(SampleMap, ReportsAFolderThatCannotBeWritten) {
    QString error;
    EXPECT_FALSE(WriteSampleMap(Plan(), "/proc/no-such-folder", &error));
    EXPECT_FALSE(error.isEmpty());
}

} // namespace
} // namespace tsivor::sample
