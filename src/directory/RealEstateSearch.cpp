#include "directory/RealEstateSearch.h"

#include <QStringList>

namespace tsivor::directory {

namespace {

QString Digits(const QString& s) {
    QString d;
    for (QChar c : s)
        if (c >= u'0' && c <= u'9') d += c;
    return d;
}

} // namespace

std::optional<QString> RealEstateFilterProblem(const TRealEstateFilter& f) {
    auto any = [](const auto& boxes) {
        for (bool b : boxes)
            if (b) return true;
        return false;
    };
    if (!any(f.Districts)) return QStringLiteral("Небходимо выбрать район!");
    if (!any(f.Rooms)) return QStringLiteral("Небходимо выбрать кол-во комнат!");
    return std::nullopt;
}

QString BuildRealEstateCondition(const TRealEstateFilter& f) {
    QStringList clauses;
    clauses << QStringLiteral(" (Operation=%1) ").arg(f.Operation);
    QStringList districts;
    for (size_t i = 0; i < f.Districts.size(); ++i)
        if (f.Districts[i]) districts << QStringLiteral(" (District=%1)").arg(i + 1);
    clauses << districts.join(QStringLiteral(" or "));
    QStringList rooms;
    for (size_t i = 0; i < f.Rooms.size(); ++i)
        if (f.Rooms[i])
            rooms << (i == 4 ? QStringLiteral(" (Rooms>=4)")
                             : QStringLiteral(" (Rooms=%1)").arg(i));
    clauses << rooms.join(QStringLiteral(" or "));
    if (f.Phone) clauses << QStringLiteral(" (phone=\"+\") ");
    QStringList price;
    const QString from = Digits(f.PriceFrom), to = Digits(f.PriceTo);
    if (!from.isEmpty()) price << QStringLiteral(" (Summa>= ") + from + u')';
    if (!to.isEmpty()) price << QStringLiteral(" (Summa<= ") + to + u')';
    clauses << price.join(QStringLiteral(" and "));
    QStringList parts;
    for (const QString& c : clauses)
        if (!c.isEmpty()) parts << u'(' + c + u')';
    return parts.join(QStringLiteral(" and "));
}

QString RealEstateCountText(int rows) {
    return QStringLiteral("Выбрано записей: %1").arg(rows);
}

TListingAddress ParseListingAddress(const QString& text) {
    QString street, rest;
    if (const qsizetype comma = text.indexOf(u','); comma >= 0) {
        street = text.left(comma);
        rest = text.mid(comma + 1);
    } else if (const qsizetype space = text.indexOf(u' '); space >= 0) {
        street = text.left(space);
        rest = text.mid(space + 1);
    } else {
        rest = text;
    }
    // A short trailing word (a street type such as "ул" or "пр-т") is not part of the name.
    const qsizetype last = street.lastIndexOf(u' ');
    if (last >= 5 && street.size() - last - 1 < 6) street = street.left(last);
    if (const qsizetype dash = rest.indexOf(u'-'); dash >= 0) rest = rest.left(dash);
    return {street.trimmed(), rest.trimmed()};
}

} // namespace tsivor::directory
