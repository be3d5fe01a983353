#pragma once
// TIniFile: a Windows profile file read and written key by key. Every call reads the file
// afresh and every write stores it at once, so several objects on one file stay in step.
// A file that is missing, unreadable or damaged reads as empty: every key gives its default.
// A file may lie over another one (an underlay): keys missing in the file are read from the
// underlay, and changes go to the file only.

#include "platform/IniDocument.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tsivor::platform {

class TIniFile {
public:
    explicit TIniFile(QString fileName, QString underlay = {});
    const QString& FileName() const { return FFileName; }
    const QString& Underlay() const { return FUnderlay; }

    QString ReadString(const QString& section, const QString& key, const QString& def) const;
    // Decimal (or $/0x hexadecimal) integers; anything else gives def.
    int ReadInteger(const QString& section, const QString& key, int def) const;
    // Read as an integer: 0 is false, any other number true.
    bool ReadBool(const QString& section, const QString& key, bool def) const;
    // Accepts the decimal separator of the user's locale as well as '.' and ','.
    double ReadFloat(const QString& section, const QString& key, double def) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    QStringList ReadSection(const QString& section) const; // the key names, in file order
    QStringList ReadSections() const;

    // Writes return false when the file could not be stored; LastError then tells why, in
    // Russian, for the caller to show. A file that exists but cannot be read is never
    // overwritten.
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteBool(const QString& section, const QString& key, bool value); // as 1 or 0
    bool WriteFloat(const QString& section, const QString& key, double value);
    bool EraseSection(const QString& section);
    bool DeleteKey(const QString& section, const QString& key);
    const QString& LastError() const { return FLastError; }

    // The number rules of the reads and writes above.
    static std::optional<int> ParseInteger(const QString& text);
    static std::optional<double> ParseFloat(const QString& text);
    static QString FormatFloat(double value);

    // Larger files are treated as damaged rather than read into memory.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;

    // The whole file read once, for readers of many keys; missing or damaged reads as empty.
    static TIniDocument Load(const QString& fileName);

private:
    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Reads the file for a change; false with FLastError set when it must not be touched.
    bool LoadForChange(TIniDocument& doc);
    bool Store(const TIniDocument& doc);

    QString FFileName;
    QString FUnderlay;
    QString FLastError;
};

} // namespace tsivor::platform
