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

namespace tsivor::importosm {
namespace {

QString TownName(const TImportOptions& o, const TOsmExtract& x) {
    if (!o.Name.trimmed().isEmpty()) return o.Name.trimmed();
    if (!x.TownName.isEmpty()) return x.TownName;
    QString base = QFileInfo(o.Input).fileName();
    base = base.left(base.indexOf(u'.'));
    return base.isEmpty() ? QStringLiteral("Город") : base;
}

} // namespace

bool ImportOsm(const TImportOptions& options, TImportReport& report, QString* error) {
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuAtStart = platform::ProcessCpuMs();
    TOsmExtract extract;
    if (!ReadOsmFile(options.Input, extract, error)) return false;
    report.ReadMs = timer.elapsed();
    report.ReadCpuMs = platform::ProcessCpuMs() - cpuAtStart;
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

    if (!WriteOsmDirectory(extract, builder, report.Town, out.filePath(QStringLiteral("info.db")),
                           report.Directory, error))
        return false;

    // The configuration, icon library and pictures are those of the sample deployment, made for
    // this town: the first organisations carry the banners and logos.
    sample::CityPlan plan;
    plan.City = builder.MapName(report.Town);
    plan.CityGenitive = plan.City;
    plan.Mashtab = TLocalProjection::kMashtab;
    for (size_t i = 0; i < extract.Organisations.size() && plan.AdvertisedNames.size() < 20; ++i)
        plan.AdvertisedNames.push_back(extract.Organisations[i].Title);
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
    const double seconds = std::max<qint64>(1, r.ReadMs) / 1000.0;
    QString s;
    s += QStringLiteral("Город: %1\n").arg(r.Town);
    s += QStringLiteral("Прочитано: %1 точек, %2 линий, %3 отношений за %4 мс (%5 объектов/с)\n")
             .arg(r.Counts.Nodes)
             .arg(r.Counts.Ways)
             .arg(r.Counts.Relations)
             .arg(r.ReadMs)
             .arg(qint64(double(r.Counts.Objects()) / seconds));
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
    if (r.Counts.WaysWithMissingNodes || r.Counts.WaysSkipped)
        s += QStringLiteral("Линий без части точек: %1, пропущено: %2\n")
                 .arg(r.Counts.WaysWithMissingNodes)
                 .arg(r.Counts.WaysSkipped);
    if (!r.ReadError.isEmpty())
        s += QStringLiteral("Файл повреждён, прочитано только начало: %1\n").arg(r.ReadError);
    s += QStringLiteral("Всего: %1 мс; чтение заняло %2 мс процессорного времени\n")
             .arg(r.TotalMs)
             .arg(r.ReadCpuMs);
    s += QStringLiteral("Память: пик %1 МБ при входном файле %2 МБ\n")
             .arg(double(r.PeakMemoryKb) / 1024, 0, 'f', 1)
             .arg(double(r.InputBytes) / (1024 * 1024), 0, 'f', 1);
    return s;
}

} // namespace tsivor::importosm
