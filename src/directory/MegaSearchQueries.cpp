#include "directory/MegaSearchQueries.h"

#include <algorithm>

namespace tsivor::directory {

void TMegaSearchQueries::Prepare() {
    if (index_ || indexFailed_ || pending_.valid() || !dm_.ADOConnection1.IsOpen()) return;
    pending_ = std::async(std::launch::async, [path = dm_.ADOConnection1.Path()] {
        TPrepared p;
        TDatabase db;
        p.Index = std::make_unique<TSearchIndex>();
        if (db.Open(path, TDatabase::Mode::ReadOnly, nullptr) && p.Index->Build(db, nullptr))
            p.Suggester = std::make_unique<TSearchSuggester>(*p.Index);
        else
            p.Index.reset();
        return p;
    });
}

const TSearchIndex* TMegaSearchQueries::Index() {
    if (pending_.valid()) {
        TPrepared p = pending_.get();
        index_ = std::move(p.Index);
        suggester_ = std::move(p.Suggester);
        indexFailed_ = !index_; // as when built here: the statements answer instead
    }
    if (!index_ && !indexFailed_ && dm_.ADOConnection1.IsOpen()) {
        auto index = std::make_unique<TSearchIndex>();
        QString error;
        if (index->Build(dm_.ADOConnection1, &error))
            index_ = std::move(index);
        else
            indexFailed_ = true; // the statements still answer, only slower
    }
    return index_.get();
}

std::vector<int64_t> TMegaSearchQueries::FindByStatement(const TSearchCriteria& criteria) {
    TQuery& q = dm_.QStrPhone;
    std::vector<int64_t> ids;
    if (!q.Reopen(MegaCountStatement(BuildSearchCondition(criteria)))) return ids;
    for (q.First(); !q.Eof(); q.Next()) ids.push_back(q.FieldAsInteger(QStringLiteral("Id")));
    q.Close();
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    return ids;
}

std::vector<int64_t> TMegaSearchQueries::Find(const TSearchCriteria& criteria) {
    if (const TSearchIndex* index = Index()) return index->Find(criteria);
    return FindByStatement(criteria);
}

int TMegaSearchQueries::Count(const TSearchCriteria& criteria) {
    return int(Find(criteria).size());
}

std::vector<TSearchSuggestion> TMegaSearchQueries::Suggest(const TSearchCriteria& criteria) {
    const TSearchIndex* index = Index();
    if (!index) return {};
    if (!suggester_) suggester_ = std::make_unique<TSearchSuggester>(*index);
    return suggester_->Suggest(criteria);
}

QStringList TMegaSearchQueries::ResultStatement(const std::vector<int64_t>& ids) {
    QStringList list;
    list.reserve(qsizetype(ids.size()));
    for (int64_t id : ids) list << QString::number(id);
    return {QStringLiteral("SELECT Main.*"), QStringLiteral("FROM Main"),
            list.isEmpty() ? QStringLiteral("WHERE 1=0")
                           : QStringLiteral("WHERE Main.Id IN (") + list.join(u',') + u')',
            QStringLiteral("order by Main.Title")};
}

TDirectoryResult TMegaSearchQueries::Search(const TSearchCriteria& criteria) {
    TRubricQueries::ReopenOrReport(dm_.QMain, ResultStatement(Find(criteria)));
    TDirectoryResult r;
    r.Key = MegaSearchKey(criteria);
    r.Rows = dm_.QMain.RecordCount();
    r.Title = MegaSearchTitle(r.Rows);
    return r;
}

} // namespace tsivor::directory
