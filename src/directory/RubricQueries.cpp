#include "directory/RubricQueries.h"

#include "directory/LikeCondition.h"
#include "platform/Platform.h"

namespace tsivor::directory {

namespace {

QStringList RubricListStatement(const QString& condition) {
    QStringList lines{QStringLiteral("SELECT Topics.id, Topics.Name"),
                      QStringLiteral("FROM Topics INNER JOIN Jumps ON Topics.id = Jumps.Id_Topic")};
    if (!condition.isEmpty()) lines << QStringLiteral("where ") + condition;
    lines << QStringLiteral("GROUP BY Topics.id, Topics.Name")
          << QStringLiteral("HAVING (((Count(Jumps.Id))>0))")
          << QStringLiteral("ORDER BY Topics.Name;");
    return lines;
}

} // namespace

const std::vector<TQuickRubric>& QuickRubrics() {
    static const std::vector<TQuickRubric> table = {
        {1, QStringLiteral("ImageHotel"), QStringLiteral("Гостиницы"), QStringLiteral("424")},
        {2, QStringLiteral("Image1"), QStringLiteral("Театры/Кино"), QStringLiteral("855/724")},
        {3, QStringLiteral("Image2"), QStringLiteral("Столовые/Рестораны"),
         QStringLiteral("1129/567")},
        {4, QStringLiteral("Image4"), QStringLiteral("Банки/Банкоматы"), QStringLiteral("690")},
        {5, QStringLiteral("Image3"), QStringLiteral("Медицина/Аптеки"),
         QStringLiteral("471/468/718")},
        {6, QStringLiteral("Image5"), QStringLiteral("Библиотеки"), QStringLiteral("1004")},
        {7, QStringLiteral("Image6"), QStringLiteral("Сотовая связь"), QStringLiteral("562")},
        {8, QStringLiteral("Image7"), QStringLiteral("Газеты/Журналы"), QStringLiteral("985")},
        {9, QStringLiteral("Image8"), QStringLiteral("Почтовые отделения"), QStringLiteral("525")},
        {10, QStringLiteral("Image10"), QStringLiteral("Спортивные клубы / центры"),
         QStringLiteral("532/530")},
        {11, QStringLiteral("Image11"), QStringLiteral("СТО/Автомагазины"), QStringLiteral("389")},
    };
    return table;
}

QString TRubricQueries::RubricKey(const QString& ids) {
    return QStringLiteral("id_topic") + ids;
}

QString TRubricQueries::RubricTitle(const QString& name, int rows) {
    return QStringLiteral("Рубрика: ") + name + QStringLiteral(" (") + QString::number(rows) +
           QStringLiteral("шт.)");
}

bool TRubricQueries::ReopenOrReport(TQuery& q, const QStringList& lines) {
    if (q.Reopen(lines)) return true;
    platform::ShowMessage(q.LastError(), platform::MessageKind::Error);
    return false;
}

bool TRubricQueries::OpenRubricLists() {
    const QStringList lines = RubricListStatement(QStringLiteral("name like '%' "));
    const bool a = ReopenOrReport(dm_.QJumps, lines);
    const bool b = ReopenOrReport(dm_.QJumpsAll, lines);
    return a && b;
}

bool TRubricQueries::FilterTooLong(const QString& filter) {
    return LikeTermCount(filter) > MaxLikeTerms;
}

bool TRubricQueries::FilterRubrics(const QString& filter) {
    if (FilterTooLong(filter)) return dm_.QJumps.RecordCount() > 0;
    const QString c =
        BuildLikeCondition(QStringLiteral("name"), filter, QStringLiteral("and"), true);
    ReopenOrReport(dm_.QJumps, RubricListStatement(c));
    return dm_.QJumps.RecordCount() > 0;
}

bool TRubricQueries::LoadRubrics(const QString& ids, const QString& currentKey) {
    if (RubricKey(ids) == currentKey) return false;
    QStringList numbers;
    for (const QString& piece : ids.split(u'/')) {
        // The numbers come from the program itself; anything else would only break the query.
        bool ok = false;
        const qint64 n = piece.trimmed().toLongLong(&ok);
        if (ok) numbers << QString::number(n);
    }
    // Each organisation once, however many of the rubrics (or links to one rubric) it has.
    const QString condition =
        numbers.isEmpty() ? QStringLiteral("1=0")
                          : QStringLiteral("Main.Id IN (SELECT Jumps.Id_Main FROM Jumps WHERE "
                                           "Jumps.Id_Topic IN (") +
                                numbers.join(QStringLiteral(", ")) + QStringLiteral("))");
    ReopenOrReport(dm_.QMain,
                   {QStringLiteral("SELECT Main.*"), QStringLiteral("FROM Main"),
                    QStringLiteral("WHERE ") + condition, QStringLiteral("order by title")});
    return true;
}

TDirectoryResult TRubricQueries::Result(const QString& key, const QString& name) const {
    const int rows = dm_.QMain.RecordCount();
    return {key, RubricTitle(name, rows), rows};
}

std::optional<TDirectoryResult> TRubricQueries::ChooseCurrentRubric(const QString& currentKey) {
    TQuery& q = dm_.QJumps;
    if (!q.Active() || q.Eof()) return std::nullopt;
    const QString id = q.FieldAsString(QStringLiteral("id"));
    const QString name = q.FieldAsString(QStringLiteral("Name"));
    if (RubricKey(id) == currentKey) return std::nullopt;
    LoadRubrics(id, currentKey);
    return Result(RubricKey(id), name);
}

std::optional<TDirectoryResult> TRubricQueries::ShowRubricByName(const QString& name,
                                                                 const QString& currentKey) {
    TQuery& q = dm_.QJumpsAll;
    if (!q.Active() || q.RecordCount() == 0) return std::nullopt;
    q.First();
    if (!q.Locate(QStringLiteral("name"), name)) q.First();
    const QString id = q.FieldAsString(QStringLiteral("id"));
    const QString rubric = q.FieldAsString(QStringLiteral("Name"));
    if (RubricKey(id) == currentKey) {
        platform::ShowMessage(QStringLiteral("Рубрика \"") + name +
                              QStringLiteral("\" уже загружена!"));
        return std::nullopt;
    }
    LoadRubrics(id, currentKey);
    return Result(RubricKey(id), rubric);
}

TDirectoryResult TRubricQueries::ShowAutoLoad() {
    ReopenOrReport(dm_.QMain, {QStringLiteral("SELECT Main.*"), QStringLiteral("FROM Main"),
                               QStringLiteral("WHERE (AutoLoad <> 0)"),
                               QStringLiteral("order by AutoLoad desc")});
    return Result(AutoLoadKey(), QStringLiteral("Автозагрузка"));
}

std::optional<TDirectoryResult> TRubricQueries::ShowQuickRubric(int tag,
                                                                const QString& currentKey) {
    for (const TQuickRubric& r : QuickRubrics()) {
        if (r.Tag != tag) continue;
        LoadRubrics(r.RubricIds, currentKey);
        return Result(RubricKey(r.RubricIds), r.Hint);
    }
    return std::nullopt;
}

} // namespace tsivor::directory
