#pragma once
// The multi-criteria search: eight typed criteria turned into one condition over the joined
// organisations, addresses, telephones and rubrics; its statements, key, texts and the rule
// that decides whether the result may be shown.

#include <QString>
#include <QStringList>

#include <array>

namespace tsivor::directory {

// The columns in which the keyword is looked up (the search tuning).
struct TKeywordColumns {
    bool Comment = true;
    bool Title = true;
    bool Rubrica = true;
    bool Street = false;
    bool House = false;
    bool Phone = false;

    // The chosen column names, each followed by a space, in the fixed order.
    QString Fields() const;
    friend bool operator==(const TKeywordColumns&, const TKeywordColumns&) = default;
};

// The criteria in the order the condition joins them.
enum class TCriterion { Keyword, Name, Rubric, Street, House, Phone, Mail, WWW };
inline constexpr int CriterionCount = 8;

struct TSearchCriteria {
    std::array<QString, CriterionCount> Text; // by TCriterion
    bool PhoneSubstring = false;              // the telephone anywhere in the number
    TKeywordColumns KeywordColumns;

    QString& operator[](TCriterion c) { return Text[size_t(c)]; }
    const QString& operator[](TCriterion c) const { return Text[size_t(c)]; }
    // All eight edits empty.
    bool Empty() const;
};

// The column list of a criterion ("Main.Title", the keyword's chosen columns, ...).
QString CriterionFields(TCriterion c, const TSearchCriteria& criteria);
// Whether a criterion matches anywhere in the value (else at its beginning).
bool CriterionSubstring(TCriterion c, const TSearchCriteria& criteria);

// " and ( clause ) and ( clause )...": empty when no criterion gives a clause.
QString BuildSearchCondition(const TSearchCriteria& criteria);

// The organisations (Id, Title) that the condition finds, once each, by name; only those with
// an address and a rubric can be found, those without telephones can.
QStringList MegaCountStatement(const QString& condition);
// The same organisations with every column, for the cards.
QStringList MegaSearchStatement(const QString& condition);

// The current result key of a search: "Мегапоиск1:" name "2:" rubric ... "8:" web.
QString MegaSearchKey(const TSearchCriteria& criteria);
// "Мегапоиск (" rows " шт.)".
QString MegaSearchTitle(int rows);

// What the count label and the search button show after an evaluation.
struct TMegaVerdict {
    QString Label;
    QString Button;
    bool Enabled = false;
    bool Found = false; // teal label; red with a beep when false
};
inline constexpr int MaxShownResult = 400;
TMegaVerdict JudgeMegaCount(const TSearchCriteria& criteria, int count);
// Before the start page is closed, and while every edit is empty.
QString NoFilterLabel();
QString NoFilterButton();

} // namespace tsivor::directory
