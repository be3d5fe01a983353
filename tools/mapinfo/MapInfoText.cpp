#include "MapInfoText.h"

#include "mapdata/Rounding.h"

#include <QDateTime>

#include <cmath>
#include <map>

namespace tsivor::mapinfo {

using namespace mapdata;

namespace {

QString DateText(double days) {
    if (!std::isfinite(days) || days < -657434 || days > 2958465) return QStringLiteral("?");
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    return epoch.addMSecs(qint64(NearestEven(days * 86400000.0)))
        .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

void CountTypes(const TOrbMapList& list, std::map<int, int>& counts, int& children, bool top) {
    for (const auto& o : list) {
        if (top)
            ++counts[o->ObjectType];
        else
            ++children;
        if (o->Children) CountTypes(*o->Children, counts, children, false);
    }
}

} // namespace

QString MapSummaryText(const TMapDocument& doc, const TLoadReport& report) {
    const TORBMapHeader& h = doc.Header;
    QString s;
    auto line = [&s](const QString& name, const QString& value) {
        s += QStringLiteral("%1 %2\n").arg(name + QLatin1Char(':'), -16).arg(value);
    };
    line("Caption", h.Caption);
    line("Version", QString::number(h.Version));
    line("NameMap", h.NameMap);
    line("CreatedBy", h.CreatedBy);
    line("Mashtab", QString::number(h.Mashtab));
    line("Date", QStringLiteral("%1 (%2)").arg(h.Date, 0, 'g', 12).arg(DateText(h.Date)));
    line("ObjectCount", QString::number(h.ObjectCount));
    line("NextId", QString::number(h.NextId));
    line("Scale", QString::number(h.Scale, 'g', 12));
    line("XWind", QString::number(double(h.XWind), 'g', 9));
    line("YWind", QString::number(double(h.YWind), 'g', 9));
    line("StreetCount", QString::number(h.StreetCount));
    line("NextStreetCode", QString::number(h.NextStreetCode));
    line("TownCount", QString::number(h.TownCount));
    line("NextTownCode", QString::number(h.NextTownCode));

    std::map<int, int> counts;
    int children = 0;
    CountTypes(doc.Objects, counts, children, true);
    s += QStringLiteral("Objects by type:\n");
    for (const auto& [type, n] : counts) {
        const QString name = type <= cBezierFill ? QString::fromLatin1(ObjectTypeName(type))
                                                 : QStringLiteral("code %1").arg(type);
        s += QStringLiteral("  %1 %2\n").arg(name + QLatin1Char(':'), -14).arg(n);
    }
    s += QStringLiteral("  %1 %2\n").arg(QStringLiteral("in groups:"), -14).arg(children);
    line("Streets", QString::number(doc.Streets.Count()));
    line("Towns", QString::number(doc.Towns.Count()));
    const TMapExtent& e = doc.Extent;
    line("Extent", QStringLiteral("%1 %2 %3 %4")
                       .arg(double(e.MinX), 0, 'g', 9)
                       .arg(double(e.MinY), 0, 'g', 9)
                       .arg(double(e.MaxX), 0, 'g', 9)
                       .arg(double(e.MaxY), 0, 'g', 9));
    if (report.UnknownVersion)
        s += QStringLiteral("Warning: unknown content version %1, nothing loaded\n")
                 .arg(report.Version);
    if (report.Damaged())
        s += QStringLiteral("Warning: damaged map file, %1 of %2 objects read\n")
                 .arg(report.ObjectsRead)
                 .arg(report.ObjectsAnnounced);
    if (report.Truncated) s += QStringLiteral("Warning: the content ends early\n");
    if (report.ObjectsDropped)
        s += QStringLiteral("Warning: %1 damaged objects dropped\n").arg(report.ObjectsDropped);
    return s;
}

} // namespace tsivor::mapinfo
