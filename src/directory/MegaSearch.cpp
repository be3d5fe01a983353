#include "directory/MegaSearch.h"

#include "directory/LikeCondition.h"

namespace tsivor::directory {

namespace {

// The five join lines shared by the count and the search.
const QStringList& JoinLines() {
    static const QStringList lines = {
        QStringLiteral("FROM Topics INNER JOIN (Streets INNER JOIN"),
        QStringLiteral(" ((Main INNER JOIN (Adr LEFT JOIN Phones ON Adr.Id"),
        QStringLiteral(" = Phones.Id_Adr) ON Main.Id = Adr.Id_Main) INNER JOIN"),
        QStringLiteral(" Jumps ON Main.Id = Jumps.Id_Main) ON Streets.id = Adr.Id_Street)"),
        QStringLiteral(" ON Topics.id = Jumps.Id_Topic"),
    };
    return lines;
}

QStringList Statement(const QString& select, const QString& condition) {
    QStringList lines{select};
    lines << JoinLines();
    lines << QStringLiteral("WHERE 1=1") + condition << QStringLiteral("order by Main.Title");
    return lines;
}

} // namespace

QString TKeywordColumns::Fields() const {
    QString f;
    if (Comment) f += QStringLiteral("Main.MEMO ");
    if (Title) f += QStringLiteral("Main.Title ");
    if (Rubrica) f += QStringLiteral("Topics.Name ");
    if (Street) f += QStringLiteral("Streets.Name ");
    if (House) f += QStringLiteral("Adr.Number ");
    if (Phone) f += QStringLiteral("Phones.Phone ");
    return f;
}

bool TSearchCriteria::Empty() const {
    for (const QString& t : Text)
        if (!t.isEmpty()) return false;
    return true;
}

QString CriterionFields(TCriterion c, const TSearchCriteria& criteria) {
    switch (c) {
    case TCriterion::Keyword:
        return criteria.KeywordColumns.Fields();
    case TCriterion::Name:
        return QStringLiteral("Main.Title");
    case TCriterion::Rubric:
        return QStringLiteral("Topics.Name");
    case TCriterion::Street:
        return QStringLiteral("Streets.Name");
    case TCriterion::House:
        return QStringLiteral("Adr.Number");
    case TCriterion::Phone:
        return QStringLiteral("Phones.Phone");
    case TCriterion::Mail:
        return QStringLiteral("Main.Mail");
    case TCriterion::WWW:
        return QStringLiteral("Main.WWW");
    }
    return {};
}

bool CriterionSubstring(TCriterion c, const TSearchCriteria& criteria) {
    if (c == TCriterion::House) return false;
    if (c == TCriterion::Phone) return criteria.PhoneSubstring;
    return true;
}

QString BuildSearchCondition(const TSearchCriteria& criteria) {
    QStringList clauses;
    for (int i = 0; i < CriterionCount; ++i) {
        const auto c = TCriterion(i);
        const QString clause =
            BuildLikeCondition(CriterionFields(c, criteria), criteria[c], QStringLiteral("and"),
                               CriterionSubstring(c, criteria));
        if (!clause.isEmpty()) clauses << QStringLiteral("( ") + clause + QStringLiteral(" )");
    }
    return clauses.isEmpty() ? QString() : QStringLiteral(" and ") + clauses.join(" and ");
}

QStringList MegaCountStatement(const QString& condition) {
    return Statement(QStringLiteral("SELECT DISTINCTrow Main.Id, Main.Title"), condition);
}

QStringList MegaSearchStatement(const QString& condition) {
    return Statement(QStringLiteral("SELECT distinctrow Main.*"), condition);
}

QString MegaSearchKey(const TSearchCriteria& c) {
    return QStringLiteral("Мегапоиск1:") + c[TCriterion::Name] + QStringLiteral("2:") +
           c[TCriterion::Rubric] + QStringLiteral("3:") + c[TCriterion::Street] +
           QStringLiteral("4:") + c[TCriterion::House] + QStringLiteral("5:") +
           c[TCriterion::Phone] + QStringLiteral("6:") + c[TCriterion::Keyword] +
           QStringLiteral("7:") + c[TCriterion::Mail] + QStringLiteral("8:") + c[TCriterion::WWW];
}

QString MegaSearchTitle(int rows) {
    return QStringLiteral("Мегапоиск (%1 шт.)").arg(rows);
}

QString NoFilterLabel() {
    return QStringLiteral("Задайте критерии для поиска");
}

QString NoFilterButton() {
    return QStringLiteral("Фильтр не задан");
}

TMegaVerdict JudgeMegaCount(const TSearchCriteria& criteria, int count) {
    TMegaVerdict v;
    v.Found = count > 0;
    if (criteria.Empty()) {
        v.Label = NoFilterLabel();
        v.Button = NoFilterButton();
        return v;
    }
    v.Label = QStringLiteral("%1 карточек удовлетворяют критериям поиска").arg(count);
    if (count >= 1 && count <= MaxShownResult) {
        v.Button = QStringLiteral("Отобразить результат");
        v.Enabled = true;
    } else if (count > MaxShownResult) {
        v.Button = QStringLiteral("Более 400 записей");
    } else {
        v.Button = QStringLiteral("Нет результатов");
    }
    return v;
}

} // namespace tsivor::directory
