#pragma once
// Suggestions for a search that found nothing: the words of the directory closest to a typed
// word that exists nowhere in its columns (one letter wrong, missing, extra or two swapped),
// and the word as it reads when typed on the other keyboard layout ("rfat" for "кафе").

#include "directory/MegaSearch.h"
#include "directory/SearchIndex.h"

#include <QString>

#include <string>
#include <vector>

namespace tsivor::directory {

struct TSearchSuggestion {
    TCriterion Criterion;
    QString Typed;    // the word as typed
    QString Word;     // the word offered instead
    QString Criteria; // the criterion's text with the word replaced
    int Count = 0;    // organisations found with it
};

// The text typed on the other layout: Latin keys as the Russian layout has them, and back.
QString SwitchKeyboardLayout(const QString& word);

class TSearchSuggester {
public:
    // Reads the distinct words of every column of the index (the index must outlive this).
    explicit TSearchSuggester(const TSearchIndex& index);

    // For criteria that find nothing: up to limit replacements that do find organisations,
    // the closest first.
    std::vector<TSearchSuggestion> Suggest(const TSearchCriteria& criteria, int limit = 5) const;

private:
    struct TWord {
        std::u32string Text;
        int Rows = 0; // rows of the column holding it
    };
    bool ExistsIn(const std::vector<TSearchIndex::Column>& columns, const QString& word,
                  bool substring) const;
    void Candidates(const std::vector<TSearchIndex::Column>& columns, const QString& word,
                    bool substring, std::vector<std::pair<int, QString>>& out) const;

    const TSearchIndex& index_;
    std::vector<TWord> words_[TSearchIndex::ColumnCount];
};

} // namespace tsivor::directory
