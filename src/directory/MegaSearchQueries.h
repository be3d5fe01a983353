#pragma once
// The multi-criteria search on the data module: the count while typing and the search that
// shows the cards. Both answer through the in-memory index, built from the directory on first
// use; when it cannot be built they fall back on the counting and search statements.

#include "directory/DataModule.h"
#include "directory/MegaSearch.h"
#include "directory/RubricQueries.h"
#include "directory/SearchIndex.h"
#include "directory/SearchSuggestions.h"

#include <cstdint>
#include <future>
#include <memory>
#include <vector>

namespace tsivor::directory {

class TMegaSearchQueries {
public:
    explicit TMegaSearchQueries(Tdm& dm) : dm_(dm) {}

    // The number of organisations the criteria find.
    int Count(const TSearchCriteria& criteria);
    // Their numbers, ascending.
    std::vector<int64_t> Find(const TSearchCriteria& criteria);
    // Opens QMain with them by name (the cards are filled); the key and title of the result.
    TDirectoryResult Search(const TSearchCriteria& criteria);

    // Words that would find something, for criteria that find nothing (empty without the
    // index).
    std::vector<TSearchSuggestion> Suggest(const TSearchCriteria& criteria);

    // Starts building the index on a connection of its own while the user is busy elsewhere;
    // the first search that needs it waits for it.
    void Prepare();
    // The index, built when needed; nullptr when the directory cannot be read into it.
    const TSearchIndex* Index();
    // The directory was reopened: the next search reads it again.
    void Reset() {
        if (pending_.valid()) pending_.wait();
        pending_ = {};
        suggester_.reset();
        index_.reset();
        indexFailed_ = false;
    }

    // The organisations with these numbers, every column, by name.
    static QStringList ResultStatement(const std::vector<int64_t>& ids);

private:
    std::vector<int64_t> FindByStatement(const TSearchCriteria& criteria);

    Tdm& dm_;
    std::unique_ptr<TSearchIndex> index_;
    struct TPrepared {
        std::unique_ptr<TSearchIndex> Index;
        std::unique_ptr<TSearchSuggester> Suggester;
    };
    std::future<TPrepared> pending_;              // what Prepare reads
    std::unique_ptr<TSearchSuggester> suggester_; // the words of the index, read on first need
    bool indexFailed_ = false;
};

} // namespace tsivor::directory
