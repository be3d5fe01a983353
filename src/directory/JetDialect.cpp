#include "directory/JetDialect.h"

#include <QChar>
#include <QList>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace tsivor::directory {

namespace {

bool IsWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

char32_t Fold(char32_t c) {
    // Latin and Cyrillic, nearly every character of the directory, without the tables.
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c >= 0x410 && c <= 0x44F) return c < 0x430 ? c + 0x20 : c;
    if (c == 0x401) return 0x451; // Ё
    return QChar::toCaseFolded(c);
}

// Sort weight of a folded character, as the Windows order that Jet uses has it: blanks, then
// signs («, №, -), then digits, then letters; ё sits between е and ж as in the alphabet.
uint64_t Weight(char32_t folded) {
    const uint64_t code = folded == U'ё' ? uint64_t(U'е') * 2 + 1 : uint64_t(folded) * 2;
    const QChar::Category cat = QChar::category(folded);
    uint64_t group = 3;
    if (QChar::isSpace(folded))
        group = 0;
    else if (cat == QChar::Number_DecimalDigit)
        group = 2;
    else if (!QChar::isLetter(folded))
        group = 1;
    return (group << 40) | code;
}

// Decodes UTF-8 leniently: a broken sequence yields its bytes one by one.
class Utf8Reader {
public:
    Utf8Reader(const unsigned char* s, size_t n) : p_(s), end_(s + n) {}
    bool AtEnd() const { return p_ >= end_; }
    char32_t Next() {
        const unsigned char c = *p_++;
        if (c < 0x80) return c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra == 0 || end_ - p_ < extra) return c;
        char32_t v = c & (0x3F >> extra);
        for (int i = 0; i < extra; ++i) {
            if ((p_[i] & 0xC0) != 0x80) return c;
            v = (v << 6) | (p_[i] & 0x3F);
        }
        p_ += extra;
        return v;
    }

private:
    const unsigned char* p_;
    const unsigned char* end_;
};

void FoldUtf8Into(const unsigned char* s, size_t n, std::u32string& out) {
    out.clear();
    out.reserve(n);
    Utf8Reader r(s, n);
    while (!r.AtEnd()) out.push_back(Fold(r.Next()));
}

std::u32string FoldedUtf8(const unsigned char* s, size_t n) {
    std::u32string out;
    FoldUtf8Into(s, n, out);
    return out;
}

std::u32string FoldedString(QStringView s) {
    std::u32string out;
    out.reserve(size_t(s.size()));
    for (char32_t c : s.toUcs4()) out.push_back(Fold(c));
    return out;
}

// A like pattern compiled into single-character steps and "%" runs.
class LikePattern {
public:
    LikePattern(const std::u32string& folded, char32_t escape) {
        for (size_t i = 0; i < folded.size(); ++i) {
            const char32_t c = folded[i];
            Step s;
            if (escape && c == escape && i + 1 < folded.size()) {
                s.Literal = folded[++i];
            } else if (c == U'%') {
                s.Kind = Step::Run;
            } else if (c == U'_') {
                s.Kind = Step::One;
            } else if (c == U'[' && ParseSet(folded, i, s)) {
                s.Kind = Step::Set;
            } else {
                s.Literal = c;
            }
            steps_.push_back(std::move(s));
        }
    }

    bool Matches(const std::u32string& v) const {
        size_t p = 0, i = 0;
        size_t runStep = std::string::npos, runPos = 0;
        while (i < v.size()) {
            if (p < steps_.size() && steps_[p].Kind == Step::Run) {
                runStep = p++;
                runPos = i;
            } else if (p < steps_.size() && steps_[p].Accepts(v[i])) {
                ++p;
                ++i;
            } else if (runStep != std::string::npos) {
                p = runStep + 1;
                i = ++runPos;
            } else {
                return false;
            }
        }
        while (p < steps_.size() && steps_[p].Kind == Step::Run) ++p;
        return p == steps_.size();
    }
    // The same for a UTF-8 value; the folded text goes into a buffer kept with the pattern,
    // as a search tests the one pattern against every row.
    bool MatchesUtf8(const unsigned char* v, size_t n) {
        FoldUtf8Into(v, n, scratch_);
        return Matches(scratch_);
    }

private:
    struct Step {
        enum Kind { Char, One, Run, Set } Kind = Char;
        char32_t Literal = 0;
        bool Negated = false;
        std::vector<std::pair<char32_t, char32_t>> Ranges;
        bool Accepts(char32_t c) const {
            switch (Kind) {
            case Char:
                return c == Literal;
            case One:
                return true;
            case Run:
                return false;
            case Set: {
                bool in = false;
                for (const auto& [lo, hi] : Ranges)
                    if (c >= lo && c <= hi) in = true;
                return in != Negated;
            }
            }
            return false;
        }
    };

    // "[...]" starting at i; on success i is left on the closing bracket.
    static bool ParseSet(const std::u32string& f, size_t& i, Step& s) {
        size_t j = i + 1;
        if (j < f.size() && f[j] == U'!') {
            s.Negated = true;
            ++j;
        }
        const size_t first = j;
        while (j < f.size() && (f[j] != U']' || j == first)) {
            char32_t lo = f[j], hi = lo;
            if (j + 2 < f.size() && f[j + 1] == U'-' && f[j + 2] != U']') {
                hi = f[j + 2];
                j += 2;
            }
            s.Ranges.emplace_back(std::min(lo, hi), std::max(lo, hi));
            ++j;
        }
        if (j >= f.size()) {
            s.Ranges.clear();
            s.Negated = false;
            return false;
        }
        i = j;
        return true;
    }

    std::vector<Step> steps_;
    std::u32string scratch_;
};

int CompareFolded(const std::u32string& a, const std::u32string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const uint64_t wa = Weight(a[i]), wb = Weight(b[i]);
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void FreePattern(void* p) {
    delete static_cast<LikePattern*>(p);
}

void LikeFunction(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    char32_t escape = 0;
    if (argc == 3) {
        const auto* e = sqlite3_value_text(argv[2]);
        if (!e) return; // NULL escape: NULL result
        const std::u32string esc = FoldedUtf8(e, size_t(sqlite3_value_bytes(argv[2])));
        if (esc.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = esc[0];
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return;
    // The pattern is compiled once per statement and kept with it while SQLite allows.
    auto* pattern = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    std::unique_ptr<LikePattern> fresh;
    if (!pattern) {
        const auto* p = sqlite3_value_text(argv[0]);
        fresh = std::make_unique<LikePattern>(FoldedUtf8(p, size_t(sqlite3_value_bytes(argv[0]))),
                                              escape);
        pattern = fresh.get();
    }
    const auto* v = sqlite3_value_text(argv[1]);
    sqlite3_result_int(ctx, pattern->MatchesUtf8(v, size_t(sqlite3_value_bytes(argv[1]))));
    if (fresh) sqlite3_set_auxdata(ctx, 0, fresh.release(), FreePattern);
}

QString ArgText(sqlite3_value* v) {
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                             sqlite3_value_bytes(v));
}

void ResultText(sqlite3_context* ctx, const QString& s) {
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

void UCaseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    ResultText(ctx, ArgText(argv[0]).toUpper());
}

void LCaseFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    ResultText(ctx, ArgText(argv[0]).toLower());
}

void LenFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    sqlite3_result_int64(ctx, ArgText(argv[0]).size());
}

// Grouping, sorting and DISTINCT call this for nearly every row: equal bytes are skipped
// (GROUP BY mostly compares a name with itself), then it folds as it goes and stops at the
// first difference instead of folding both texts whole.
int NoCaseCollation(void*, int na, const void* a, int nb, const void* b) {
    const auto* pa = static_cast<const unsigned char*>(a);
    const auto* pb = static_cast<const unsigned char*>(b);
    size_t same = 0;
    const size_t shorter = size_t(std::min(na, nb));
    while (same < shorter && pa[same] == pb[same]) ++same;
    if (same == size_t(na) && na == nb) return 0;
    while (same > 0 && (pa[same] & 0xC0) == 0x80) --same; // back to a character's first byte
    Utf8Reader ra(pa + same, size_t(na) - same);
    Utf8Reader rb(pb + same, size_t(nb) - same);
    while (!ra.AtEnd() && !rb.AtEnd()) {
        const uint64_t wa = Weight(Fold(ra.Next())), wb = Weight(Fold(rb.Next()));
        if (wa != wb) return wa < wb ? -1 : 1;
    }
    return ra.AtEnd() == rb.AtEnd() ? 0 : (ra.AtEnd() ? -1 : 1);
}

} // namespace

QString TranslateJetStatement(QStringView jet) {
    QString out;
    out.reserve(jet.size() + 16);
    const qsizetype n = jet.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = jet[i];
        if (c == u'\'') {
            // A single-quoted string means the same in both dialects: copied as it stands.
            qsizetype j = i + 1;
            while (j < n) {
                if (jet[j] == u'\'') {
                    if (j + 1 < n && jet[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            j = std::min(j + 1, n);
            out += jet.mid(i, j - i);
            i = j;
        } else if (c == u'"') {
            // Jet: a string constant, "" standing for one quote. SQLite: 'text', '' for '.
            QString text;
            qsizetype j = i + 1;
            bool closed = false;
            while (j < n) {
                if (jet[j] == u'"') {
                    if (j + 1 < n && jet[j + 1] == u'"') {
                        text += u'"';
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                text += jet[j++];
            }
            if (!closed) {
                // Left unterminated so that SQLite reports the statement as broken.
                out += jet.mid(i);
                break;
            }
            text.replace(u'\'', QStringLiteral("''"));
            out += u'\'';
            out += text;
            out += u'\'';
            i = j;
        } else if (c == u'[') {
            const qsizetype close = jet.indexOf(u']', i + 1);
            const qsizetype j = close < 0 ? n : close + 1;
            out += jet.mid(i, j - i);
            i = j;
        } else if (c == u'&') {
            out += QStringLiteral(" || ");
            ++i;
        } else if (IsWordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && IsWordChar(jet[j])) ++j;
            const QStringView word = jet.mid(i, j - i);
            if (word.compare(QLatin1String("DISTINCTROW"), Qt::CaseInsensitive) == 0)
                out += QStringLiteral("DISTINCT");
            else
                out += word;
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

std::string FoldForLike(const char* utf8, size_t size) {
    std::string out;
    out.reserve(size);
    Utf8Reader r(reinterpret_cast<const unsigned char*>(utf8), size);
    while (!r.AtEnd()) {
        const char32_t c = Fold(r.Next());
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

bool JetLike(QStringView value, QStringView pattern) {
    return LikePattern(FoldedString(pattern), 0).Matches(FoldedString(value));
}

int JetCompareText(QStringView a, QStringView b) {
    return CompareFolded(FoldedString(a), FoldedString(b));
}

QString EscapeLikeText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'[' || c == u'#' || c == u'*' || c == u'?') {
            // * ? # are Jet's own wildcards in its other mode; bracketing keeps them literal too.
            out += u'[';
            out += c;
            out += u']';
        } else {
            out += c;
        }
    }
    return out;
}

bool RegisterJetFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    bool ok = true;
    ok &= sqlite3_create_function(db, "like", 2, flags, nullptr, LikeFunction, nullptr, nullptr) ==
          SQLITE_OK;
    ok &= sqlite3_create_function(db, "like", 3, flags, nullptr, LikeFunction, nullptr, nullptr) ==
          SQLITE_OK;
    ok &= sqlite3_create_function(db, "ucase", 1, flags, nullptr, UCaseFunction, nullptr,
                                  nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "lcase", 1, flags, nullptr, LCaseFunction, nullptr,
                                  nullptr) == SQLITE_OK;
    ok &= sqlite3_create_function(db, "len", 1, flags, nullptr, LenFunction, nullptr, nullptr) ==
          SQLITE_OK;
    ok &=
        sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr, NoCaseCollation) == SQLITE_OK;
    return ok;
}

} // namespace tsivor::directory
