#include "directory/SearchIndex.h"

#include "directory/Database.h"
#include "directory/JetDialect.h"
#include "directory/LikeCondition.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>

namespace tsivor::directory {

namespace {

constexpr char Separator = '\xFF'; // never part of UTF-8

// A statement read row by row.
class TReader {
public:
    TReader(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            error_ = QString::fromUtf8(sqlite3_errmsg(db));
            stmt_ = nullptr;
        }
    }
    ~TReader() { sqlite3_finalize(stmt_); }
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    bool Ok() const { return stmt_ != nullptr; }
    QString Error() const { return error_; }
    bool Next() {
        if (!stmt_) return false;
        const int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc != SQLITE_DONE) {
            error_ = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
            failed_ = true;
        }
        return false;
    }
    // After the last row: whether every row was read.
    bool Failed() const { return failed_; }
    bool IsNull(int col) const { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
    int64_t Int(int col) const { return sqlite3_column_int64(stmt_, col); }
    std::string_view Text(int col) const {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, col));
        return t ? std::string_view(t, size_t(sqlite3_column_bytes(stmt_, col)))
                 : std::string_view();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    QString error_;
    bool failed_ = false;
};

// Key values to the rows that carry them (a key may repeat in an imported table).
class TKeyRows {
public:
    void Add(int64_t key, uint32_t row) { rows_[key].push_back(row); }
    const std::vector<uint32_t>* Find(int64_t key) const {
        auto it = rows_.find(key);
        return it == rows_.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<int64_t, std::vector<uint32_t>> rows_;
};

// Pairs (owner, value) into the compressed list of the values of each owner.
void Compress(size_t owners, const std::vector<std::pair<uint32_t, uint32_t>>& pairs,
              std::vector<uint32_t>& first, std::vector<uint32_t>& values,
              std::vector<uint32_t>* second = nullptr,
              const std::vector<uint32_t>* secondValues = nullptr) {
    first.assign(owners + 1, 0);
    for (const auto& [owner, v] : pairs) ++first[owner + 1];
    for (size_t i = 0; i < owners; ++i) first[i + 1] += first[i];
    values.assign(pairs.size(), 0);
    if (second) second->assign(pairs.size(), 0);
    std::vector<uint32_t> fill(first.begin(), first.end() - 1);
    for (size_t i = 0; i < pairs.size(); ++i) {
        const uint32_t at = fill[pairs[i].first]++;
        values[at] = pairs[i].second;
        if (second) (*second)[at] = (*secondValues)[i];
    }
}

void AddFolded(TFoldedColumn& column, const TReader& r, int col) {
    const std::string_view t = r.Text(col);
    column.Add(t.data(), t.size(), r.IsNull(col));
}

std::optional<TSearchIndex::Column> ColumnByName(const QString& name) {
    static const std::pair<const char*, TSearchIndex::Column> names[] = {
        {"Main.MEMO", TSearchIndex::Memo},    {"Main.Title", TSearchIndex::Title},
        {"Topics.Name", TSearchIndex::Topic}, {"Streets.Name", TSearchIndex::Street},
        {"Adr.Number", TSearchIndex::Number}, {"Phones.Phone", TSearchIndex::Phone},
        {"Main.Mail", TSearchIndex::Mail},    {"Main.WWW", TSearchIndex::Www},
    };
    for (const auto& [n, c] : names)
        if (name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0) return c;
    return std::nullopt;
}

} // namespace

// ---------------------------------------------------------------------------- TFoldedColumn

void TFoldedColumn::Add(const char* utf8, size_t size, bool isNull) {
    if (start_.empty()) start_.push_back(0);
    if (!isNull) buf_ += FoldForLike(utf8, size);
    buf_ += Separator;
    start_.push_back(uint32_t(buf_.size()));
    null_.push_back(isNull ? 1 : 0);
}

void TFoldedColumn::Finish() {
    if (start_.empty()) start_.push_back(0);
    buf_.shrink_to_fit();
}

void TFoldedColumn::Mark(std::string_view needle, bool substring,
                         std::vector<uint8_t>& marks) const {
    const size_t rows = null_.size();
    if (needle.empty()) {
        for (size_t r = 0; r < rows; ++r)
            if (!null_[r]) marks[r] = 1;
        return;
    }
    if (!substring) {
        for (size_t r = 0; r < rows; ++r) {
            const size_t len = start_[r + 1] - start_[r] - 1;
            if (len >= needle.size() &&
                std::memcmp(buf_.data() + start_[r], needle.data(), needle.size()) == 0)
                marks[r] = 1;
        }
        return;
    }
    // One pass over the whole column; a match cannot cross a separator.
    const char* base = buf_.data();
    size_t from = 0;
    while (from < buf_.size()) {
        const void* hit = memmem(base + from, buf_.size() - from, needle.data(), needle.size());
        if (!hit) break;
        const size_t pos = size_t(static_cast<const char*>(hit) - base);
        const size_t row =
            size_t(std::upper_bound(start_.begin(), start_.end(), uint32_t(pos)) - start_.begin()) -
            1;
        marks[row] = 1;
        from = start_[row + 1];
    }
}

// ---------------------------------------------------------------------------- TSearchIndex

bool TSearchIndex::Build(TDatabase& db, QString* error) {
    built_ = false;
    for (TFoldedColumn& c : columns_) c = TFoldedColumn();
    orgId_.clear();
    sqlite3* h = db.Handle();
    auto fail = [&](const TReader& r) {
        if (error) *error = QStringLiteral("Не удалось прочитать справочник: %1").arg(r.Error());
        return false;
    };

    TKeyRows orgRows, topicRows, streetRows;
    {
        TReader r(h, "SELECT Id, Title, Memo, Mail, www FROM Main");
        if (!r.Ok()) return fail(r);
        while (r.Next()) {
            const uint32_t row = uint32_t(orgId_.size());
            orgId_.push_back(r.Int(0));
            if (!r.IsNull(0)) orgRows.Add(r.Int(0), row);
            AddFolded(columns_[Title], r, 1);
            AddFolded(columns_[Memo], r, 2);
            AddFolded(columns_[Mail], r, 3);
            AddFolded(columns_[Www], r, 4);
        }
        if (r.Failed()) return fail(r);
    }
    // Rubrics and streets: a key and a name each.
    auto readNames = [&](const char* sql, TKeyRows& rows, TFoldedColumn& names) {
        TReader r(h, sql);
        if (!r.Ok()) return fail(r);
        for (uint32_t row = 0; r.Next(); ++row) {
            if (!r.IsNull(0)) rows.Add(r.Int(0), row);
            AddFolded(names, r, 1);
        }
        return r.Failed() ? fail(r) : true;
    };
    if (!readNames("SELECT id, Name FROM Topics", topicRows, columns_[Topic]) ||
        !readNames("SELECT id, Name FROM Streets", streetRows, columns_[Street]))
        return false;
    std::vector<std::pair<uint32_t, uint32_t>> orgTopics;
    {
        TReader r(h, "SELECT Id_Topic, Id_Main FROM Jumps");
        if (!r.Ok()) return fail(r);
        while (r.Next()) {
            if (r.IsNull(0) || r.IsNull(1)) continue;
            const auto* topics = topicRows.Find(r.Int(0));
            const auto* orgs = orgRows.Find(r.Int(1));
            if (!topics || !orgs) continue;
            for (uint32_t o : *orgs)
                for (uint32_t t : *topics) orgTopics.emplace_back(o, t);
        }
        if (r.Failed()) return fail(r);
    }
    std::vector<std::pair<uint32_t, uint32_t>> orgAdrs;
    std::vector<uint32_t> adrStreets;
    TKeyRows adrRows;
    {
        TReader r(h, "SELECT Id, Id_Main, Id_Street, Number FROM Adr");
        if (!r.Ok()) return fail(r);
        for (uint32_t row = 0; r.Next(); ++row) {
            AddFolded(columns_[Number], r, 3);
            if (!r.IsNull(0)) adrRows.Add(r.Int(0), row);
            if (r.IsNull(1) || r.IsNull(2)) continue;
            const auto* orgs = orgRows.Find(r.Int(1));
            const auto* streets = streetRows.Find(r.Int(2));
            if (!orgs || !streets) continue;
            for (uint32_t o : *orgs)
                for (uint32_t s : *streets) {
                    orgAdrs.emplace_back(o, row);
                    adrStreets.push_back(s);
                }
        }
        if (r.Failed()) return fail(r);
    }
    std::vector<std::pair<uint32_t, uint32_t>> adrPhones;
    {
        TReader r(h, "SELECT Id_Adr, Phone FROM Phones");
        if (!r.Ok()) return fail(r);
        for (uint32_t row = 0; r.Next(); ++row) {
            AddFolded(columns_[Phone], r, 1);
            if (r.IsNull(0)) continue;
            if (const auto* adrs = adrRows.Find(r.Int(0)))
                for (uint32_t a : *adrs) adrPhones.emplace_back(a, row);
        }
        if (r.Failed()) return fail(r);
    }
    for (TFoldedColumn& c : columns_) c.Finish();
    Compress(orgId_.size(), orgTopics, orgTopicFirst_, orgTopic_);
    Compress(orgId_.size(), orgAdrs, orgAdrFirst_, orgAdr_, &orgAdrStreet_, &adrStreets);
    Compress(columns_[Number].Size(), adrPhones, adrPhoneFirst_, adrPhone_);
    built_ = true;
    return true;
}

// A criterion as marks over the rows of each column it looks at; a joined row meets it when
// any of its columns is marked there.
struct TSearchIndex::Clause {
    std::vector<uint8_t> Org, Topic, Street, Number, Phone; // empty: column not looked at
    bool OrgOnly() const {
        return Topic.empty() && Street.empty() && Number.empty() && Phone.empty();
    }
};

std::vector<TSearchIndex::Column> TSearchIndex::CriterionColumns(TCriterion c,
                                                                 const TSearchCriteria& criteria) {
    std::vector<Column> columns;
    for (const QString& field : SearchWords(CriterionFields(c, criteria)))
        if (const std::optional<Column> column = ColumnByName(field)) columns.push_back(*column);
    return columns;
}

std::vector<TSearchIndex::Clause> TSearchIndex::Compile(const TSearchCriteria& criteria) const {
    std::vector<Clause> clauses;
    for (int i = 0; i < CriterionCount; ++i) {
        const auto criterion = TCriterion(i);
        const QStringList words = SearchWords(criteria[criterion]);
        if (words.isEmpty()) continue;
        const bool substring = CriterionSubstring(criterion, criteria);
        Clause clause;
        const std::vector<Column> columns = CriterionColumns(criterion, criteria);
        for (const Column column : columns) {
            const TFoldedColumn& texts = columns_[column];
            // Every word in this column's value: marks of the first, narrowed by the others.
            std::vector<uint8_t> all;
            for (const QString& word : words) {
                std::vector<uint8_t> marks(texts.Size(), 0);
                for (const QString& alt : WordAlternatives(word))
                    texts.Mark(FoldForLike(alt), substring, marks);
                if (all.empty())
                    all = std::move(marks);
                else
                    for (size_t r = 0; r < all.size(); ++r) all[r] &= marks[r];
            }
            std::vector<uint8_t>* target = nullptr;
            switch (column) {
            case Topic:
                target = &clause.Topic;
                break;
            case Street:
                target = &clause.Street;
                break;
            case Number:
                target = &clause.Number;
                break;
            case Phone:
                target = &clause.Phone;
                break;
            default:
                target = &clause.Org;
                break;
            }
            if (target->empty())
                *target = std::move(all);
            else
                for (size_t r = 0; r < all.size(); ++r) (*target)[r] |= all[r];
        }
        if (columns.empty()) continue; // no column chosen: the criterion gives no clause
        clauses.push_back(std::move(clause));
    }
    return clauses;
}

bool TSearchIndex::Matches(size_t o, const std::vector<Clause>& clauses) const {
    const uint32_t t0 = orgTopicFirst_[o], t1 = orgTopicFirst_[o + 1];
    const uint32_t a0 = orgAdrFirst_[o], a1 = orgAdrFirst_[o + 1];
    if (t0 == t1 || a0 == a1) return false; // no joined row at all
    // Criteria decided by the organisation alone.
    bool rowsNeeded = false;
    for (const Clause& c : clauses) {
        const bool org = !c.Org.empty() && c.Org[o];
        if (org) continue;
        if (c.OrgOnly()) return false;
        rowsNeeded = true;
    }
    if (!rowsNeeded) return true;
    for (uint32_t t = t0; t < t1; ++t) {
        const uint32_t topic = orgTopic_[t];
        for (uint32_t a = a0; a < a1; ++a) {
            const uint32_t adr = orgAdr_[a], street = orgAdrStreet_[a];
            const uint32_t p0 = adrPhoneFirst_[adr], p1 = adrPhoneFirst_[adr + 1];
            // The address without telephones still makes one row, its telephone null.
            for (uint32_t p = p0; p < std::max(p1, p0 + 1); ++p) {
                const bool hasPhone = p < p1;
                const uint32_t phone = hasPhone ? adrPhone_[p] : 0;
                bool all = true;
                for (const Clause& c : clauses) {
                    if ((!c.Org.empty() && c.Org[o]) || (!c.Topic.empty() && c.Topic[topic]) ||
                        (!c.Street.empty() && c.Street[street]) ||
                        (!c.Number.empty() && c.Number[adr]) ||
                        (hasPhone && !c.Phone.empty() && c.Phone[phone]))
                        continue;
                    all = false;
                    break;
                }
                if (all) return true;
            }
        }
    }
    return false;
}

std::vector<int64_t> TSearchIndex::Find(const TSearchCriteria& criteria) const {
    std::vector<int64_t> ids;
    if (!built_) return ids;
    const std::vector<Clause> clauses = Compile(criteria);
    for (size_t o = 0; o < orgId_.size(); ++o)
        if (Matches(o, clauses)) ids.push_back(orgId_[o]);
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

} // namespace tsivor::directory
