#include "platform/IniFile.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <limits>

namespace tsivor::platform {
namespace {

bool ValidName(const QString& name, bool isKey) {
    const QString t = name.trimmed();
    if (t.isEmpty() || t.contains(u'\r') || t.contains(u'\n')) return false;
    if (!isKey) return !t.contains(u']');
    return !t.contains(u'=') && !t.startsWith(u'[') && !t.startsWith(u';') && !t.startsWith(u'#');
}

std::optional<double> ParseWith(const QLocale& locale, const QString& text) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = l.toDouble(text, &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

} // namespace

TIniFile::TIniFile(QString fileName, QString underlay)
    : FFileName(std::move(fileName)), FUnderlay(std::move(underlay)) {}

TIniDocument TIniFile::Load(const QString& fileName) {
    if (fileName.isEmpty()) return {};
    QFile f(fileName);
    if (f.size() > MaxFileSize || !f.open(QIODevice::ReadOnly)) return {};
    return TIniDocument::Parse(f.readAll());
}

std::optional<QString> TIniFile::Value(const QString& section, const QString& key) const {
    if (auto v = Load(FFileName).Value(section, key)) return v;
    return Load(FUnderlay).Value(section, key);
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    return Value(section, key).value_or(def);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    const auto text = Value(section, key);
    if (!text) return def;
    return ParseInteger(*text).value_or(def);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const {
    const auto text = Value(section, key);
    if (!text) return def;
    return ParseFloat(*text).value_or(def);
}

bool TIniFile::SectionExists(const QString& section) const {
    return Load(FFileName).HasSection(section) || Load(FUnderlay).HasSection(section);
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    return Value(section, key).has_value();
}

namespace {

QStringList Merged(QStringList first, const QStringList& second) {
    for (const QString& name : second)
        if (!first.contains(name, Qt::CaseInsensitive)) first << name;
    return first;
}

} // namespace

QStringList TIniFile::ReadSection(const QString& section) const {
    return Merged(Load(FFileName).Keys(section), Load(FUnderlay).Keys(section));
}

QStringList TIniFile::ReadSections() const {
    return Merged(Load(FFileName).Sections(), Load(FUnderlay).Sections());
}

bool TIniFile::LoadForChange(TIniDocument& doc) {
    const QFileInfo info(FFileName);
    if (!info.absoluteDir().exists()) {
        FLastError = QStringLiteral("Не удалось сохранить настройки: папка «%1» не существует.")
                         .arg(QDir::toNativeSeparators(info.absolutePath()));
        return false;
    }
    if (!info.exists()) {
        doc = TIniDocument();
        return true;
    }
    QFile f(FFileName);
    if (!info.isFile() || info.size() > MaxFileSize || !f.open(QIODevice::ReadOnly)) {
        FLastError = QStringLiteral("Не удалось прочитать файл настроек «%1»; он оставлен "
                                    "без изменений.")
                         .arg(QDir::toNativeSeparators(FFileName));
        return false;
    }
    doc = TIniDocument::Parse(f.readAll());
    return true;
}

bool TIniFile::Store(const TIniDocument& doc) {
    QString error;
    if (!TAtomicFile::Write(FFileName, doc.Serialize(), &error)) {
        FLastError = error;
        return false;
    }
    FLastError.clear();
    return true;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    if (!ValidName(section, false) || !ValidName(key, true)) {
        FLastError = QStringLiteral("Недопустимое имя раздела или ключа «%1/%2» в файле "
                                    "настроек.")
                         .arg(section, key);
        return false;
    }
    TIniDocument doc;
    if (!LoadForChange(doc)) return false;
    if (doc.Value(section, key) == value) {
        FLastError.clear();
        return true;
    }
    doc.SetValue(section, key, value);
    return Store(doc);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool TIniFile::WriteFloat(const QString& section, const QString& key, double value) {
    return WriteString(section, key, FormatFloat(value));
}

bool TIniFile::EraseSection(const QString& section) {
    TIniDocument doc;
    if (!LoadForChange(doc)) return false;
    FLastError.clear();
    return doc.EraseSection(section) ? Store(doc) : true;
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    TIniDocument doc;
    if (!LoadForChange(doc)) return false;
    FLastError.clear();
    return doc.DeleteKey(section, key) ? Store(doc) : true;
}

std::optional<int> TIniFile::ParseInteger(const QString& text) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.startsWith(u'-');
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    // Only digits: toLongLong alone would accept spaces or a second sign.
    if (t.isEmpty()) return std::nullopt;
    for (QChar c : t)
        if (!(c.isDigit() || (base == 16 && QStringLiteral("abcdefABCDEF").contains(c))) ||
            c.unicode() > 0x7F)
            return std::nullopt;
    bool ok = false;
    const qlonglong v = t.toLongLong(&ok, base) * (negative ? -1 : 1);
    if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(v);
}

std::optional<double> TIniFile::ParseFloat(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return std::nullopt;
    if (auto v = ParseWith(QLocale(), t)) return v;
    if (auto v = ParseWith(QLocale::c(), t)) return v;
    // A file written under a locale with a decimal comma, read under another.
    if (!t.contains(u'.')) return ParseWith(QLocale::c(), QString(t).replace(u',', u'.'));
    return std::nullopt;
}

QString TIniFile::FormatFloat(double value) {
    QLocale l; // the user's locale unless the program chose another
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    const double a = std::fabs(value);
    const char format = (a == 0 || (a >= 1e-4 && a < 1e15)) ? 'f' : 'g';
    return l.toString(value, format, QLocale::FloatingPointShortest);
}

} // namespace tsivor::platform
