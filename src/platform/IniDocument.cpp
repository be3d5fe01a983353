#include "platform/IniDocument.h"

#include "platform/Cp1251Codec.h"

#include <QSet>
#include <QStringDecoder>

namespace tsivor::platform {
namespace {

const QByteArray kBom("\xEF\xBB\xBF");

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Only spaces and tabs, as the profile functions trim them.
QString TrimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.mid(b, e - b);
}

bool IsQuoted(const QString& s) {
    return s.size() >= 2 && s.front() == s.back() && (s.front() == u'"' || s.front() == u'\'');
}

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

TIniDocument TIniDocument::Parse(const QByteArray& bytes) {
    TIniDocument doc;
    QByteArray body = bytes;
    if (body.startsWith(kBom)) {
        doc.FEncoding = TIniEncoding::Utf8Bom;
        body.remove(0, kBom.size());
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString probe = utf8.decode(body); // decoding is lazy until converted
        Q_UNUSED(probe);
        doc.FEncoding = utf8.hasError() ? TIniEncoding::Cp1251 : TIniEncoding::Utf8;
    }

    qsizetype pos = 0;
    while (pos < body.size()) {
        const qsizetype nl = body.indexOf('\n', pos);
        QByteArray raw, eol;
        if (nl < 0) {
            raw = body.mid(pos);
            pos = body.size();
        } else {
            raw = body.mid(pos, nl - pos);
            eol = "\n";
            pos = nl + 1;
            if (raw.endsWith('\r')) {
                raw.chop(1);
                eol = "\r\n";
            }
        }
        TLine line = doc.ParseLine(raw);
        line.Eol = eol;
        doc.FLines.push_back(std::move(line));
    }
    doc.Renumber();
    return doc;
}

QByteArray TIniDocument::Serialize() const {
    QByteArray out;
    if (FEncoding == TIniEncoding::Utf8Bom) out += kBom;
    for (const TLine& l : FLines) out += l.Raw + l.Eol;
    return out;
}

TIniDocument::TLine TIniDocument::ParseLine(const QByteArray& raw) const {
    TLine line;
    line.Raw = raw;
    qsizetype b = 0;
    while (b < raw.size() && IsBlank(raw[b])) ++b;
    if (b == raw.size()) {
        line.Kind = LineKind::Blank;
        return line;
    }
    const char c = raw[b];
    if (c == ';' || c == '#') {
        line.Kind = LineKind::Comment;
        return line;
    }
    if (c == '[') {
        const qsizetype close = raw.indexOf(']', b + 1);
        const qsizetype end = close < 0 ? raw.size() : close;
        line.Name = TrimBlanks(Decode(raw.mid(b + 1, end - b - 1)));
        line.Kind = line.Name.isEmpty() ? LineKind::Other : LineKind::Section;
        return line;
    }
    const qsizetype eq = raw.indexOf('=', b);
    if (eq < 0) return line; // a line of no known form is kept and ignored
    line.Name = TrimBlanks(Decode(raw.mid(b, eq - b)));
    if (line.Name.isEmpty()) return line;
    qsizetype vs = eq + 1;
    while (vs < raw.size() && IsBlank(raw[vs])) ++vs;
    line.ValueStart = vs;
    line.Value = TrimBlanks(Decode(raw.mid(vs)));
    if (IsQuoted(line.Value)) line.Value = line.Value.mid(1, line.Value.size() - 2);
    line.Kind = LineKind::Key;
    return line;
}

QString TIniDocument::Decode(const QByteArray& bytes) const {
    return FEncoding == TIniEncoding::Cp1251 ? Cp1251Decode(bytes) : QString::fromUtf8(bytes);
}

QByteArray TIniDocument::Encode(const QString& text) const {
    return FEncoding == TIniEncoding::Cp1251 ? Cp1251Encode(text) : text.toUtf8();
}

QByteArray TIniDocument::NewLineEnd() const {
    for (const TLine& l : FLines)
        if (!l.Eol.isEmpty()) return l.Eol;
    return "\n";
}

void TIniDocument::Renumber() {
    int current = -1;
    for (size_t i = 0; i < FLines.size(); ++i) {
        if (FLines[i].Kind == LineKind::Section) current = int(i);
        FLines[i].Section = current;
    }
}

std::optional<size_t> TIniDocument::FindKey(const QString& section, const QString& key) const {
    const QString s = TrimBlanks(section), k = TrimBlanks(key);
    for (size_t i = 0; i < FLines.size(); ++i) {
        const TLine& l = FLines[i];
        if (l.Kind == LineKind::Key && l.Section >= 0 && SameName(l.Name, k) &&
            SameName(FLines[size_t(l.Section)].Name, s))
            return i;
    }
    return std::nullopt;
}

std::optional<QString> TIniDocument::Value(const QString& section, const QString& key) const {
    if (auto i = FindKey(section, key)) return FLines[*i].Value;
    return std::nullopt;
}

bool TIniDocument::HasSection(const QString& section) const {
    const QString s = TrimBlanks(section);
    for (const TLine& l : FLines)
        if (l.Kind == LineKind::Section && SameName(l.Name, s)) return true;
    return false;
}

QStringList TIniDocument::Keys(const QString& section) const {
    const QString s = TrimBlanks(section);
    QStringList keys;
    QSet<QString> seen;
    for (const TLine& l : FLines) {
        if (l.Kind != LineKind::Key || l.Section < 0) continue;
        if (!SameName(FLines[size_t(l.Section)].Name, s)) continue;
        const QString folded = l.Name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        keys << l.Name;
    }
    return keys;
}

QStringList TIniDocument::Sections() const {
    QStringList names;
    QSet<QString> seen;
    for (const TLine& l : FLines) {
        if (l.Kind != LineKind::Section) continue;
        const QString folded = l.Name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        names << l.Name;
    }
    return names;
}

void TIniDocument::InsertLine(size_t at, const QByteArray& raw) {
    // A last line without a line end gets one before anything follows it.
    if (at == FLines.size() && !FLines.empty() && FLines.back().Eol.isEmpty())
        FLines.back().Eol = NewLineEnd();
    TLine line = ParseLine(raw);
    line.Eol = NewLineEnd();
    FLines.insert(FLines.begin() + qsizetype(at), std::move(line));
    Renumber();
}

void TIniDocument::SetValue(const QString& section, const QString& key, const QString& value) {
    QString text = value;
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    const QString stored = (TrimBlanks(text) != text || IsQuoted(text))
                               ? QStringLiteral("\"") + text + QStringLiteral("\"")
                               : text;

    if (auto i = FindKey(section, key)) {
        TLine& l = FLines[*i];
        l.Raw = l.Raw.left(l.ValueStart) + Encode(stored);
        l.Value = text;
        return;
    }

    const QString s = TrimBlanks(section), k = TrimBlanks(key);
    const QByteArray keyLine = Encode(k + u'=' + stored);
    for (size_t i = 0; i < FLines.size(); ++i) {
        if (FLines[i].Kind != LineKind::Section || !SameName(FLines[i].Name, s)) continue;
        // After the section's last key, so comments heading the next section stay with it.
        size_t at = i + 1;
        for (size_t j = i + 1; j < FLines.size() && FLines[j].Section == int(i); ++j)
            if (FLines[j].Kind == LineKind::Key) at = j + 1;
        InsertLine(at, keyLine);
        return;
    }

    InsertLine(FLines.size(), Encode(u'[' + s + u']'));
    InsertLine(FLines.size(), keyLine);
}

bool TIniDocument::EraseSection(const QString& section) {
    const QString s = TrimBlanks(section);
    const size_t before = FLines.size();
    std::vector<TLine> kept;
    kept.reserve(before);
    for (const TLine& l : FLines)
        if (l.Section < 0 || !SameName(FLines[size_t(l.Section)].Name, s)) kept.push_back(l);
    if (kept.size() == before) return false;
    FLines = std::move(kept);
    Renumber();
    return true;
}

bool TIniDocument::DeleteKey(const QString& section, const QString& key) {
    bool changed = false;
    while (auto i = FindKey(section, key)) {
        FLines.erase(FLines.begin() + qsizetype(*i));
        Renumber();
        changed = true;
    }
    return changed;
}

} // namespace tsivor::platform
