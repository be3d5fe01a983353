#include "OsmImport.h"

#include "OsmMapBuilder.h"
#include "OsmReader.h"

#include "CityPlan.h"
#include "SampleParts.h"

#include "mapdata/MapWriter.h"
#include "platform/IniFile.h"
#include "platform/ProcessUsage.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tsivor::importosm {
namespace {

QString TownName(const TImportOptions& o, const TOsmExtract& x) {
    if (!o.Name.trimmed().isEmpty()) return o.Name.trimmed();
    if (!x.TownName.isEmpty()) return x.TownName;
    QString base = QFileInfo(o.Input).fileName();
    base = base.left(base.indexOf(u'.'));
    return base.isEmpty() ? QStringLiteral("Город") : base;
}

// The first organisations carry the banners and logos: their names, addresses and where they
// stand, as a small square at their place on the map, so that the logos stand beside them.
void AdvertiseFirst(const TOsmExtract& x, TOsmMapBuilder& map, sample::CityPlan& plan) {
    constexpr float kHalf = 5; // metres
    for (size_t i = 0; i < x.Organisations.size() && plan.AdvertisedNames.size() < 20; ++i) {
        const TOsmOrganisation& o = x.Organisations[i];
        plan.AdvertisedNames.push_back(o.Title);
        sample::PlanHouse h;
        h.Street = map.MapName(o.Address.Street);
        h.House = map.MapName(o.Address.House);
        const mapdata::TORBMapPoint at = map.Map(o.At);
        h.Outline = {{at.X - kHalf, at.Y - kHalf},
                     {at.X + kHalf, at.Y - kHalf},
                     {at.X + kHalf, at.Y + kHalf},
                     {at.X - kHalf, at.Y + kHalf}};
        // Imported street names carry their kind ("улица Ленина").
        if (!h.Street.isEmpty() &&
            std::none_of(plan.Streets.begin(), plan.Streets.end(),
                         [&](const sample::PlanStreet& s) { return s.Name == h.Street; }))
            plan.Streets.push_back({h.Street, {}, {}, 0, {}});
        plan.Advertised.push_back(int(plan.Houses.size()));
        plan.Houses.push_back(std::move(h));
    }
}

} // namespace

bool ImportOsm(const TImportOptions& options, TImportReport& report, QString* error) {
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuAtStart = platform::ProcessCpuMs();
    report.StartMemoryKb = platform::ResidentMemoryKb();
    TOsmExtract extract;
    if (!ReadOsmFile(options.Input, extract, error)) return false;
    report.ReadMs = timer.elapsed();
    report.ReadCpuMs = platform::ProcessCpuMs() - cpuAtStart;
    report.Load = platform::SystemLoad();
    // The reader's threads leave their freed buffers behind; the map is built without them.
    platform::ReturnFreeMemory();
    report.InputBytes = QFileInfo(options.Input).size();
    report.Counts = extract.Counts;
    report.ReadError = extract.ReadError;
    report.Features = int(extract.Features.size());

    const QDir out(options.OutDir);
    if (!out.mkpath(QStringLiteral("."))) {
        if (error) *error = QStringLiteral("Не удалось создать папку %1").arg(options.OutDir);
        return false;
    }
    report.Town = TownName(options, extract);

    TOsmMapBuilder builder(extract, report.Town);
    {
        mapdata::TMapDocument doc;
        builder.Build(doc);
        // The map holds the features now; the directory needs only the organisations.
        extract.Features = {};
        extract.AddressPoints = {};
        extract.Places = {};
        report.MapObjects = doc.ObjectCount();
        for (const mapdata::TOrbMapObjectPtr& o : doc.Objects)
            if (o->Category == 13 || o->Category == 14) {
                ++report.Houses;
                if (o->HasAddress) ++report.AddressedHouses;
            }
        const QString path = out.filePath(QStringLiteral("info1.db"));
        if (!mapdata::WriteMapFile(path, doc)) {
            if (error) *error = QStringLiteral("Не удалось записать %1").arg(path);
            return false;
        }
    }
    // The directory is written on the ground the map left.
    platform::ReturnFreeMemory();

    if (!WriteOsmDirectory(extract, builder, report.Town, out.filePath(QStringLiteral("info.db")),
                           report.Directory, error))
        return false;

    // The configuration, icon library and pictures are those of the sample deployment, made for
    // this town: the first organisations carry the banners and logos. The pictures read the map
    // file again to place the logos; the organisations are let go before.
    sample::CityPlan plan;
    plan.City = builder.MapName(report.Town);
    plan.CityGenitive = plan.City;
    plan.Mashtab = TLocalProjection::kMashtab;
    AdvertiseFirst(extract, builder, plan);
    extract.Organisations = {};
    platform::ReturnFreeMemory();
    if (!sample::WriteSampleIni(plan, out.path(), error) ||
        !sample::WriteSampleIconLibrary(plan, out.path(), error) ||
        !sample::WriteSamplePictures(plan, out.path(), error))
        return false;
    // No real-estate listings come from the map data.
    platform::TIniFile ini(out.filePath(QStringLiteral("tsivor.ini")));
    if (!ini.WriteInteger(QStringLiteral("Map"), QStringLiteral("nedv"), 0)) {
        if (error) *error = ini.LastError();
        return false;
    }
    report.NamesReplaced = builder.Names().Replaced();
    report.NamesUnknown = builder.Names().Unknown();
    report.TotalMs = timer.elapsed();
    report.PeakMemoryKb = platform::PeakMemoryKb();
    return true;
}

QString ReportText(const TImportReport& r) {
    const auto perSecond = [&r](qint64 ms) {
        return qint64(double(r.Counts.Objects()) * 1000 / double(std::max<qint64>(1, ms)));
    };
    QString s;
    s += QStringLiteral("Город: %1\n").arg(r.Town);
    s += QStringLiteral("Прочитано: %1 точек, %2 линий, %3 отношений за %4 мс (%5 объектов/с)\n")
             .arg(r.Counts.Nodes)
             .arg(r.Counts.Ways)
             .arg(r.Counts.Relations)
             .arg(r.ReadMs)
             .arg(perSecond(r.ReadMs));
    // The wall clock depends on what else the machine runs; processor time does not.
    s += QStringLiteral("Чтение заняло %1 мс процессорного времени всех потоков (%2 объектов/с); "
                        "средняя загрузка системы %3\n")
             .arg(r.ReadCpuMs)
             .arg(perSecond(r.ReadCpuMs))
             .arg(r.Load, 0, 'f', 1);
    s += QStringLiteral("Карта: %1 объектов, домов %2 (с адресом %3)\n")
             .arg(r.MapObjects)
             .arg(r.Houses)
             .arg(r.AddressedHouses);
    s += QStringLiteral("Справочник: %1 организаций в %2 рубриках, адресов %3 (на карте %4), "
                        "телефонов %5\n")
             .arg(r.Directory.Organisations)
             .arg(r.Directory.Rubrics)
             .arg(r.Directory.Addresses)
             .arg(r.Directory.OnMap)
             .arg(r.Directory.Phones);
    s += QStringLiteral("Заменено знаков вне кодовой страницы 1251: %1 (из них на «?»: %2)\n")
             .arg(r.NamesReplaced)
             .arg(r.NamesUnknown);
    if (r.Counts.PictographsDropped)
        s += QStringLiteral("Убрано значков, которых нет в шрифтах (эмодзи): %1\n")
                 .arg(r.Counts.PictographsDropped);
    if (r.Counts.WaysWithMissingNodes || r.Counts.WaysSkipped)
        s += QStringLiteral("Линий без части точек: %1, пропущено: %2\n")
                 .arg(r.Counts.WaysWithMissingNodes)
                 .arg(r.Counts.WaysSkipped);
    if (!r.ReadError.isEmpty())
        s += QStringLiteral("Файл повреждён, прочитано только начало: %1\n").arg(r.ReadError);
    s += QStringLiteral("Всего: %1 мс\n").arg(r.TotalMs);
    const auto mb = [](double kb) { return QString::number(kb / 1024, 'f', 1); };
    s += QStringLiteral("Память: пик %1 МБ, из них %2 МБ до чтения; входной файл %3 МБ "
                        "(пик в %4 раза больше)\n")
             .arg(mb(double(r.PeakMemoryKb)), mb(double(r.StartMemoryKb)),
                  mb(double(r.InputBytes) / 1024))
             .arg(double(r.PeakMemoryKb) * 1024 / double(std::max<qint64>(1, r.InputBytes)), 0, 'f',
                  2);
    return s;
}

} // namespace tsivor::importosm
