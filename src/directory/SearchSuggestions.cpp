#include "directory/SearchSuggestions.h"

#include "directory/JetDialect.h"
#include "directory/LikeCondition.h"

#include <QChar>
#include <QStringList>

#include <algorithm>
#include <unordered_map>

namespace tsivor::directory {

namespace {

// One character of a folded text (valid UTF-8, as the folding writes it) and its length.
char32_t DecodeAt(std::string_view utf8, size_t i, size_t& len) {
    const auto c = uint8_t(utf8[i]);
    const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t v = extra ? c & (0x3F >> extra) : c;
    for (int k = 1; k <= extra && i + size_t(k) < utf8.size(); ++k)
        v = (v << 6) | (uint8_t(utf8[i + size_t(k)]) & 0x3F);
    len = size_t(extra) + 1;
    return v;
}

std::u32string Decode(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    size_t len = 1;
    for (size_t i = 0; i < utf8.size(); i += len) out.push_back(DecodeAt(utf8, i, len));
    return out;
}

QString Encode(const std::u32string& s) {
    return QString::fromUcs4(s.data(), qsizetype(s.size()));
}

bool IsWordChar(char32_t c) {
    if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return c > 0xFFFF || QChar::isLetterOrNumber(c);
}

bool AllDigits(const std::u32string& s) {
    return std::all_of(s.begin(), s.end(), [](char32_t c) { return c >= '0' && c <= '9'; });
}

constexpr size_t MaxWord = 40; // longer words are not guessed at

// Edit distance with adjacent swaps between w and t, giving up above 1. With freeStart the
// match may begin anywhere in t, with freeEnd end anywhere: prefix and substring matches.
int Distance(const std::u32string& w, const std::u32string& t, bool freeStart, bool freeEnd) {
    const size_t n = w.size(), m = t.size();
    int rows[3][MaxWord + 2];
    int* prev2 = rows[0];
    int* prev = rows[1];
    int* cur = rows[2];
    for (size_t j = 0; j <= m; ++j) prev[j] = freeStart ? 0 : int(j);
    for (size_t i = 1; i <= n; ++i) {
        cur[0] = int(i);
        int best = cur[0];
        for (size_t j = 1; j <= m; ++j) {
            int d = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (w[i - 1] != t[j - 1])});
            if (i > 1 && j > 1 && w[i - 1] == t[j - 2] && w[i - 2] == t[j - 1])
                d = std::min(d, prev2[j - 2] + 1);
            cur[j] = d;
            best = std::min(best, d);
        }
        if (best > 1) return 2;
        std::swap(prev2, prev);
        std::swap(prev, cur);
    }
    if (!freeEnd) return prev[m];
    return *std::min_element(prev, prev + m + 1);
}

} // namespace

QString SwitchKeyboardLayout(const QString& word) {
    static const QString latin = QStringLiteral("qwertyuiop[]asdfghjkl;'zxcvbnm,.`");
    static const QString russian = QStringLiteral("йцукенгшщзхъфывапролджэячсмитьбюё");
    QString out;
    out.reserve(word.size());
    for (QChar c : word) {
        const QChar lower = c.toLower();
        qsizetype at = latin.indexOf(lower);
        if (at >= 0) {
            out += russian[at];
            continue;
        }
        at = russian.indexOf(lower);
        out += at >= 0 ? latin[at] : c;
    }
    return out;
}

TSearchSuggester::TSearchSuggester(const TSearchIndex& index) : index_(index) {
    for (int c = 0; c < TSearchIndex::ColumnCount; ++c) {
        const TFoldedColumn& texts = index.Texts(TSearchIndex::Column(c));
        // Words by their folded UTF-8; a row counts once for each word it holds.
        std::unordered_map<std::string_view, std::pair<int, size_t>> counts; // rows, last row
        for (size_t r = 0; r < texts.Size(); ++r) {
            const std::string_view text = texts.Text(r);
            size_t i = 0;
            while (i < text.size()) {
                size_t len = 1;
                while (i < text.size() && !IsWordChar(DecodeAt(text, i, len))) i += len;
                const size_t start = i;
                while (i < text.size() && IsWordChar(DecodeAt(text, i, len))) i += len;
                if (i == start) continue;
                auto& [rows, last] = counts[text.substr(start, i - start)];
                if (rows == 0 || last != r) ++rows;
                last = r;
            }
        }
        words_[c].reserve(counts.size());
        for (const auto& [w, n] : counts) {
            std::u32string text = Decode(w);
            if (text.size() <= MaxWord) words_[c].push_back({std::move(text), n.first});
        }
        std::sort(words_[c].begin(), words_[c].end(),
                  [](const TWord& a, const TWord& b) { return a.Rows > b.Rows; });
    }
}

bool TSearchSuggester::ExistsIn(const std::vector<TSearchIndex::Column>& columns,
                                const QString& word, bool substring) const {
    const std::string folded = FoldForLike(word);
    for (TSearchIndex::Column c : columns) {
        const TFoldedColumn& texts = index_.Texts(c);
        std::vector<uint8_t> marks(texts.Size(), 0);
        texts.Mark(folded, substring, marks);
        if (std::find(marks.begin(), marks.end(), 1) != marks.end()) return true;
    }
    return false;
}

void TSearchSuggester::Candidates(const std::vector<TSearchIndex::Column>& columns,
                                  const QString& word, bool substring,
                                  std::vector<std::pair<int, QString>>& out) const {
    const std::u32string w = Decode(FoldForLike(word));
    if (w.size() < 3 || w.size() > MaxWord) return; // a letter or two is too short to guess from
    const bool digits = AllDigits(w);
    for (TSearchIndex::Column c : columns) {
        for (const TWord& t : words_[c]) {
            if (t.Text.size() + 1 < w.size() || t.Text == w) continue;
            if (digits != AllDigits(t.Text)) continue; // numbers are not words and back
            // The loosest match first, as it rules out most words; then the closest rank: the
            // whole word one edit away, then its beginning, then any part.
            const bool part = Distance(w, t.Text, substring, true) <= 1;
            if (!part) continue;
            int rank = 2;
            if (t.Text.size() <= w.size() + 1 && Distance(w, t.Text, false, false) <= 1)
                rank = 0;
            else if (!substring || Distance(w, t.Text, false, true) <= 1)
                rank = 1;
            out.emplace_back(rank * 100000000 - t.Rows, Encode(t.Text));
        }
    }
}

std::vector<TSearchSuggestion> TSearchSuggester::Suggest(const TSearchCriteria& criteria,
                                                         int limit) const {
    std::vector<TSearchSuggestion> found;
    for (int k = 0; k < CriterionCount && int(found.size()) < limit; ++k) {
        const auto criterion = TCriterion(k);
        const QStringList words = SearchWords(criteria[criterion]);
        const std::vector<TSearchIndex::Column> columns =
            TSearchIndex::CriterionColumns(criterion, criteria);
        if (words.isEmpty() || columns.empty()) continue;
        const bool substring = CriterionSubstring(criterion, criteria);
        for (qsizetype wi = 0; wi < words.size() && int(found.size()) < limit; ++wi) {
            const QString& typed = words[wi];
            if (WordAlternatives(typed).size() > 1 || ExistsIn(columns, typed, substring)) continue;
            std::vector<std::pair<int, QString>> candidates;
            const QString switched = SwitchKeyboardLayout(typed);
            if (switched != typed) {
                if (ExistsIn(columns, switched, substring))
                    candidates.emplace_back(-1, switched.toLower());
                else
                    Candidates(columns, switched, substring, candidates);
            }
            Candidates(columns, typed, substring, candidates);
            std::stable_sort(candidates.begin(), candidates.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            QStringList tried;
            for (const auto& [rank, word] : candidates) {
                if (int(found.size()) >= limit || tried.size() >= limit) break;
                if (tried.contains(word)) continue;
                tried << word;
                QStringList replaced = words;
                replaced[wi] = word;
                TSearchCriteria changed = criteria;
                changed[criterion] = replaced.join(u' ');
                const int n = index_.Count(changed);
                if (n > 0) found.push_back({criterion, typed, word, changed[criterion], n});
            }
        }
    }
    return found;
}

} // namespace tsivor::directory
