#include "OsmNames.h"

#include "mapdata/Cp1251.h"

#include <QHash>

#include <algorithm>

namespace tsivor::importosm {
namespace {

// Letters without a decomposition into a base letter and accents.
const QHash<char32_t, QString>& CloseForms() {
    static const QHash<char32_t, QString> forms = {
        {U'ł', "l"},  {U'Ł', "L"},  {U'ß', "ss"}, {U'ẞ', "SS"},  {U'đ', "d"},      {U'Đ', "D"},
        {U'ø', "o"},  {U'Ø', "O"},  {U'æ', "ae"}, {U'Æ', "AE"},  {U'œ', "oe"},     {U'Œ', "OE"},
        {U'þ', "th"}, {U'Þ', "Th"}, {U'ð', "d"},  {U'Ð', "D"},   {U'ı', "i"},      {U'ħ', "h"},
        {U'Ħ', "H"},  {U'ŧ', "t"},  {U'Ŧ', "T"},  {U'ŀ', "l"},   {U'Ŀ', "L"},      {U'ĸ', "k"},
        {U'ŋ', "n"},  {U'Ŋ', "N"},  {U'ə', "e"},  {U'Ə', "E"},   {U'ǝ', "e"},      {U'ʼ', "'"},
        {U'‘', "'"},  {U'’', "'"},  {U'′', "'"},  {U'″', "\""},  {U'−', "-"},      {U'‐', "-"},
        {U'‑', "-"},  {U'‒', "-"},  {U'―', "-"},  {U'…', "..."}, {U'\u2009', " "}, {U'\u202F', " "},
        {U'α', "a"},  {U'β', "b"},  {U'γ', "g"},  {U'δ', "d"},   {U'ε', "e"},      {U'ζ', "z"},
        {U'η', "i"},  {U'θ', "th"}, {U'ι', "i"},  {U'κ', "k"},   {U'λ', "l"},      {U'μ', "m"},
        {U'ν', "n"},  {U'ξ', "x"},  {U'ο', "o"},  {U'π', "p"},   {U'ρ', "r"},      {U'σ', "s"},
        {U'ς', "s"},  {U'τ', "t"},  {U'υ', "y"},  {U'φ', "f"},   {U'χ', "ch"},     {U'ψ', "ps"},
        {U'ω', "o"},  {U'Α', "A"},  {U'Β', "B"},  {U'Γ', "G"},   {U'Δ', "D"},      {U'Ε', "E"},
        {U'Ζ', "Z"},  {U'Η', "I"},  {U'Θ', "Th"}, {U'Ι', "I"},   {U'Κ', "K"},      {U'Λ', "L"},
        {U'Μ', "M"},  {U'Ν', "N"},  {U'Ξ', "X"},  {U'Ο', "O"},   {U'Π', "P"},      {U'Ρ', "R"},
        {U'Σ', "S"},  {U'Τ', "T"},  {U'Υ', "Y"},  {U'Φ', "F"},   {U'Χ', "Ch"},     {U'Ψ', "Ps"},
        {U'Ω', "O"},  {U'ә', "а"},  {U'Ә', "А"},  {U'ғ', "г"},   {U'Ғ', "Г"},      {U'қ', "к"},
        {U'Қ', "К"},  {U'ң', "н"},  {U'Ң', "Н"},  {U'ө', "о"},   {U'Ө', "О"},      {U'ұ', "у"},
        {U'Ұ', "У"},  {U'ү', "у"},  {U'Ү', "У"},  {U'һ', "х"},   {U'Һ', "Х"},      {U'ҳ', "х"},
        {U'Ҳ', "Х"},  {U'ӣ', "и"},  {U'Ӣ', "И"},  {U'ӯ', "у"},   {U'Ӯ', "У"},      {U'ҷ', "ч"},
        {U'Ҷ', "Ч"},  {U'ӑ', "а"},  {U'Ӑ', "А"},  {U'ӗ', "е"},   {U'Ӗ', "Е"},      {U'ҫ', "с"},
        {U'Ҫ', "С"},  {U'ӳ', "у"},  {U'Ӳ', "У"},
    };
    return forms;
}

// The base letters of an accented one (é -> e, ά -> a), or empty when there are none.
QString WithoutAccents(char32_t c) {
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_KD);
    if (decomposed == QString::fromUcs4(&c, 1)) return {};
    QString base;
    for (const char32_t b : decomposed.toUcs4()) {
        const QString one = QString::fromUcs4(&b, 1);
        const QChar::Category cat = one.at(0).category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_Enclosing ||
            cat == QChar::Mark_SpacingCombining)
            continue;
        if (cp1251::Representable(one))
            base += one;
        else if (const auto it = CloseForms().constFind(b); it != CloseForms().constEnd())
            base += *it;
        else
            return {};
    }
    return base;
}

bool Pictograph(char32_t c) {
    if (c == 0x200D || c == 0x20E3 || (c >= 0xFE00 && c <= 0xFE0F) ||
        (c >= 0xE0000 && c <= 0xE01EF)) // joiner, keycap, variation selectors, tags
        return true;
    if (c < 0x10000) return false;
    const QChar::Category cat = QChar::category(c);
    return cat == QChar::Symbol_Other || cat == QChar::Symbol_Modifier;
}

} // namespace

QString WithoutPictographs(const QString& text, int64_t& dropped) {
    // Most names hold none of them: only surrogates and a few marks of the basic plane can be.
    if (std::none_of(text.begin(), text.end(), [](QChar c) {
            return c.isSurrogate() || c.unicode() == 0x200D || c.unicode() == 0x20E3 ||
                   (c.unicode() >= 0xFE00 && c.unicode() <= 0xFE0F);
        }))
        return text;
    QString out;
    out.reserve(text.size());
    bool gap = false; // a pictograph was dropped since the last character kept
    for (const char32_t c : text.toUcs4()) {
        if (Pictograph(c)) {
            ++dropped;
            gap = true;
            continue;
        }
        if (c == U' ' && gap && (out.isEmpty() || out.endsWith(u' '))) continue;
        out += QString::fromUcs4(&c, 1);
        gap = false;
    }
    if (gap && out.endsWith(u' ')) out.chop(1);
    return out;
}

QString TCp1251Names::Convert(const QString& text) {
    if (cp1251::Representable(text)) return text;
    QString out;
    out.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        if (cp1251::Representable(one)) {
            out += one;
            continue;
        }
        ++FReplaced;
        if (const auto it = CloseForms().constFind(c); it != CloseForms().constEnd()) {
            out += *it;
            continue;
        }
        if (const QString base = WithoutAccents(c); !base.isEmpty()) {
            out += base;
            continue;
        }
        ++FUnknown;
        out += u'?';
    }
    return out;
}

} // namespace tsivor::importosm
