#pragma once
// The text of a Windows profile file held as lines. Lines that are not changed keep their bytes
// exactly, so comments, odd lines, spacing and line ends survive a key being written.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tsivor::platform {

enum class TIniEncoding {
    Utf8,    // also plain ASCII and new files
    Utf8Bom, // UTF-8 starting with a byte order mark
    Cp1251,  // anything that is not valid UTF-8
};

class TIniDocument {
public:
    // Valid UTF-8 (with or without a byte order mark) is read as UTF-8, anything else as cp1251.
    static TIniDocument Parse(const QByteArray& bytes);
    QByteArray Serialize() const;

    TIniEncoding Encoding() const { return FEncoding; }

    // Section and key names compare without regard to case. Keys before the first section
    // belong to no section and are never found. With a section or key given twice, the first
    // occurrence wins.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    bool HasSection(const QString& section) const;
    QStringList Keys(const QString& section) const;
    QStringList Sections() const;

    // Replaces the value of an existing key in place, else adds the key at the end of the
    // section's keys, else appends the section. Values that would not read back as written
    // (surrounding spaces or quotes) are quoted; line breaks become spaces.
    void SetValue(const QString& section, const QString& key, const QString& value);
    // Each returns whether anything changed.
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);

private:
    enum class LineKind { Blank, Comment, Section, Key, Other };
    struct TLine {
        QByteArray Raw; // without the line end
        QByteArray Eol; // "\r\n", "\n" or empty for a last line without one
        LineKind Kind = LineKind::Other;
        QString Name;             // section or key name
        QString Value;            // key value as read
        qsizetype ValueStart = 0; // byte offset of the value within Raw
        int Section = -1;         // index of the section line this line lies under
    };

    TLine ParseLine(const QByteArray& raw) const;
    QString Decode(const QByteArray& bytes) const;
    QByteArray Encode(const QString& text) const;
    QByteArray NewLineEnd() const;
    void Renumber();
    std::optional<size_t> FindKey(const QString& section, const QString& key) const;
    void InsertLine(size_t at, const QByteArray& raw);

    TIniEncoding FEncoding = TIniEncoding::Utf8;
    std::vector<TLine> FLines;
};

} // namespace tsivor::platform
