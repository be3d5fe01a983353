#pragma once
// The fast path of the multi-criteria search: the directory held in memory with its texts
// folded as like compares them, so that the count keeps up with typing at 100,000
// organisations. It answers with the very organisations of the counting statement: the same
// joins (an organisation needs an address on a known street and a rubric that exists; the
// telephone may be missing), the same prefix or substring per criterion, "/" alternatives, all
// words of a criterion in one column, and the criteria met together by one joined row.

#include "directory/MegaSearch.h"

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsivor::directory {

class TDatabase;

// The texts of one column, folded, one after another with a separator no text contains.
class TFoldedColumn {
public:
    void Add(const char* utf8, size_t size, bool isNull);
    void Finish(); // after the last Add
    size_t Size() const { return null_.size(); }
    // Sets marks[row] for every row whose text contains (or begins with) the folded needle;
    // an empty needle marks every row that is not null, as like "%" does.
    void Mark(std::string_view needle, bool substring, std::vector<uint8_t>& marks) const;
    std::string_view Text(size_t row) const {
        return std::string_view(buf_).substr(start_[row], start_[row + 1] - start_[row] - 1);
    }
    bool IsNull(size_t row) const { return null_[row] != 0; }

private:
    std::string buf_;
    std::vector<uint32_t> start_;
    std::vector<uint8_t> null_;
};

class TSearchIndex {
public:
    // Reads the directory; false with the message when one of its tables cannot be read.
    bool Build(TDatabase& db, QString* error);
    bool Built() const { return built_; }

    // The numbers of the organisations found, ascending.
    std::vector<int64_t> Find(const TSearchCriteria& criteria) const;
    int Count(const TSearchCriteria& criteria) const { return int(Find(criteria).size()); }

    int Organisations() const { return int(orgId_.size()); }

    // The searched columns, as the criteria name them.
    enum Column { Memo, Title, Topic, Street, Number, Phone, Mail, Www, ColumnCount };
    const TFoldedColumn& Texts(Column c) const { return columns_[c]; }
    // The columns a criterion looks at (the keyword's as chosen in the criteria).
    static std::vector<Column> CriterionColumns(TCriterion c, const TSearchCriteria& criteria);

private:
    struct Clause;
    std::vector<Clause> Compile(const TSearchCriteria& criteria) const;
    bool Matches(size_t org, const std::vector<Clause>& clauses) const;

    bool built_ = false;
    TFoldedColumn columns_[ColumnCount];
    std::vector<int64_t> orgId_;
    // Compressed lists: the entries of org o are [first[o], first[o + 1]).
    std::vector<uint32_t> orgTopicFirst_, orgTopic_;            // topic rows of an organisation
    std::vector<uint32_t> orgAdrFirst_, orgAdr_, orgAdrStreet_; // address rows, street rows
    std::vector<uint32_t> adrPhoneFirst_, adrPhone_;            // phone rows of an address row
};

} // namespace tsivor::directory
