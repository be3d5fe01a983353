#include "directory/JetImport.h"

#include "directory/Database.h"
#include "directory/DirectorySchema.h"
#include "platform/AtomicFile.h"
#include "platform/FileLocation.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mdbtools.h>
#include <sqlite3.h>

#include <cstdlib>
#include <iconv.h>
#include <memory>
#include <optional>
#include <vector>

namespace tsivor::directory {

namespace {

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Sets an environment variable for the life of the object (mdbtools reads its character sets
// from the environment when a file is opened).
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = QByteArray(old);
        setenv(name, value, 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->constData(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<QByteArray> old_;
};

struct MdbCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};

QString Quoted(const QString& name) {
    QString n = name;
    n.replace(u'"', QStringLiteral("\"\""));
    return u'"' + n + u'"';
}

enum class Kind { Integer, Real, Text, Skip };

Kind KindOf(int colType) {
    switch (colType) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        return Kind::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
        return Kind::Real;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_DATETIME:
    case MDB_REPID:
        return Kind::Text;
    default:
        return Kind::Skip; // pictures and attachments: nothing the program reads
    }
}

const char* SqlType(Kind k) {
    switch (k) {
    case Kind::Integer:
        return "INTEGER";
    case Kind::Real:
        return "REAL";
    case Kind::Text:
        return "TEXT COLLATE NOCASE";
    case Kind::Skip:
        return "BLOB";
    }
    return "BLOB";
}

constexpr size_t kBindSize = 256 * 1024; // longest memo text carried over

class StatementGuard {
public:
    explicit StatementGuard(sqlite3_stmt* s) : s_(s) {}
    ~StatementGuard() { sqlite3_finalize(s_); }
    StatementGuard(const StatementGuard&) = delete;
    StatementGuard& operator=(const StatementGuard&) = delete;

private:
    sqlite3_stmt* s_;
};

bool CopyTable(MdbCatalogEntry* entry, TDatabase& out, QString* why) {
    std::unique_ptr<MdbTableDef, TableFreer> table(mdb_read_table(entry));
    if (!table) {
        *why =
            QStringLiteral("таблица \"%1\" не читается").arg(QString::fromUtf8(entry->object_name));
        return false;
    }
    const QString tableName = QString::fromUtf8(table->name);
    if (!mdb_read_columns(table.get()) || !table->columns) {
        *why = QStringLiteral("столбцы таблицы \"%1\" не читаются").arg(tableName);
        return false;
    }
    mdb_rewind_table(table.get());

    struct Bound {
        QString Name;
        Kind Type;
        std::vector<char> Buffer;
        int Length = 0;
    };
    std::vector<Bound> cols(table->num_cols);
    QStringList defs, names, marks;
    for (unsigned i = 0; i < table->num_cols; ++i) {
        auto* col = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
        Bound& b = cols[i];
        b.Name = QString::fromUtf8(col->name);
        b.Type = KindOf(col->col_type);
        defs << Quoted(b.Name) + u' ' + QLatin1String(SqlType(b.Type));
        names << Quoted(b.Name);
        marks << QStringLiteral("?%1").arg(i + 1);
        if (b.Type != Kind::Skip) {
            b.Buffer.assign(kBindSize, 0);
            mdb_bind_column(table.get(), int(i) + 1, b.Buffer.data(), &b.Length);
        }
    }
    QString sql = QStringLiteral("CREATE TABLE %1 (%2);").arg(Quoted(tableName), defs.join(u','));
    QStringList indexable; // a link is a number: an Id_ column of another type is left out
    for (const Bound& b : cols)
        if (b.Type != Kind::Skip && (b.Type == Kind::Integer ||
                                     !b.Name.startsWith(QLatin1String("Id_"), Qt::CaseInsensitive)))
            indexable << b.Name;
    sql += LinkIndexStatements(tableName, indexable);
    if (!out.Exec(sql, why)) return false;

    const QByteArray insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                  .arg(Quoted(tableName), names.join(u','), marks.join(u','))
                                  .toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(out.Handle(), insert.constData(), -1, &stmt, nullptr) != SQLITE_OK) {
        *why = out.LastError();
        return false;
    }
    StatementGuard guard(stmt);
    while (mdb_fetch_row(table.get())) {
        for (size_t i = 0; i < cols.size(); ++i) {
            Bound& b = cols[i];
            const int idx = int(i) + 1;
            const int len = std::clamp(b.Length, 0, int(kBindSize) - 1);
            if (b.Type == Kind::Skip || len == 0) {
                sqlite3_bind_null(stmt, idx);
                continue;
            }
            const QByteArray text(b.Buffer.data(), len);
            bool ok = false;
            if (b.Type == Kind::Integer) {
                const qint64 v = text.trimmed().toLongLong(&ok);
                if (ok) sqlite3_bind_int64(stmt, idx, v);
            } else if (b.Type == Kind::Real) {
                const double v = text.trimmed().toDouble(&ok);
                if (ok) sqlite3_bind_double(stmt, idx, v);
            }
            if (!ok)
                sqlite3_bind_text(stmt, idx, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            *why = out.LastError();
            return false;
        }
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
    return true;
}

bool CopyAllTables(MdbHandle* mdb, TDatabase& out, QString* why) {
    if (!mdb_read_catalog(mdb, MDB_TABLE)) {
        *why = QStringLiteral("каталог базы не читается");
        return false;
    }
    if (!out.Exec(QStringLiteral("BEGIN"), why)) return false;
    int copied = 0;
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
        if (!CopyTable(entry, out, why)) return false;
        ++copied;
    }
    // A catalogue that cannot be followed reads as empty: a database without tables is taken
    // for a damaged one.
    if (copied == 0) {
        *why = QStringLiteral("в файле не найдено ни одной таблицы, файл повреждён");
        return false;
    }
    return out.Exec(QStringLiteral("COMMIT"), why);
}

// Reads the Jet 3 texts of an opened file in a code page: false when iconv lacks it.
bool UseJet3CodePage(MdbHandle* mdb, int codePage) {
    const QByteArray name = "CP" + QByteArray::number(codePage);
    const iconv_t probe = iconv_open("UTF-8", name.constData());
    if (probe == iconv_t(-1)) return false;
    iconv_close(probe);
    ScopedEnv jet3("MDB_JET3_CHARSET", name.constData());
    mdb_iconv_close(mdb);
    mdb_iconv_init(mdb);
    return true;
}

} // namespace

int JetCodePageOfLanguage(int languageId) {
    const int primary = languageId & 0x3FF;
    switch (primary) {
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x2F: // Macedonian
    case 0x3F: // Kazakh
    case 0x40: // Kyrgyz
    case 0x44: // Tatar
    case 0x50: // Mongolian
        return 1251;
    case 0x1A: // Croatian (Latin) and Serbian, whose Cyrillic forms have their own ids
        return (languageId == 0x0C1A || languageId == 0x1C1A) ? 1251 : 1250;
    case 0x05: // Czech
    case 0x0E: // Hungarian
    case 0x15: // Polish
    case 0x18: // Romanian
    case 0x1B: // Slovak
    case 0x1C: // Albanian
    case 0x24: // Slovenian
        return 1250;
    case 0x08:
        return 1253; // Greek
    case 0x1F:
        return 1254; // Turkish
    case 0x0D:
        return 1255; // Hebrew
    case 0x01:       // Arabic
    case 0x20:       // Urdu
    case 0x29:       // Farsi
        return 1256;
    case 0x25: // Estonian
    case 0x26: // Latvian
    case 0x27: // Lithuanian
        return 1257;
    case 0x2A:
        return 1258; // Vietnamese
    case 0x1E:
        return 874; // Thai
    case 0x11:
        return 932; // Japanese
    case 0x12:
        return 949; // Korean
    case 0x04: // Chinese: the People's Republic and Singapore simplified, the others traditional
        return (languageId == 0x0804 || languageId == 0x1004) ? 936 : 950;
    default:
        return 1252; // General and the other Western European orders
    }
}

TDatabaseFormat DetectDatabaseFormat(const QString& path) {
    QFile f(path);
    if (!f.exists()) return TDatabaseFormat::Missing;
    if (!f.open(QIODevice::ReadOnly)) return TDatabaseFormat::Unknown;
    const QByteArray head = f.read(32);
    if (head.startsWith("SQLite format 3")) return TDatabaseFormat::SQLite;
    if (head.size() >= 19 &&
        (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB"))
        return TDatabaseFormat::Jet;
    return TDatabaseFormat::Unknown;
}

bool ImportJetDatabase(const QString& jetPath, const QString& sqlitePath, QString* error,
                       int codePage) {
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Не удалось прочитать базу данных Access \"%1\": %2.")
                         .arg(Shown(jetPath), why);
        return false;
    };
    if (DetectDatabaseFormat(jetPath) != TDatabaseFormat::Jet)
        return fail(QStringLiteral("файл повреждён или не является базой данных Access"));

    std::unique_ptr<MdbHandle, MdbCloser> mdb;
    {
        ScopedEnv target("MDBICONV", "UTF-8");
        mdb.reset(mdb_open(QFile::encodeName(jetPath).constData(), MDB_NOFLAGS));
    }
    if (!mdb) return fail(QStringLiteral("файл повреждён или не является базой данных Access"));
    // Jet 4 stores Unicode; Jet 3 stores texts in the code page of its sort order.
    if (mdb->f->jet_version == MDB_VER_JET3) {
        const int cp = codePage != 0 ? codePage : JetCodePageOfLanguage(mdb->f->lang_id);
        ScopedEnv target("MDBICONV", "UTF-8");
        if (!UseJet3CodePage(mdb.get(), cp))
            return fail(QStringLiteral("кодовая страница %1 не поддерживается").arg(cp));
    }
    mdb_set_bind_size(mdb.get(), kBindSize);
    mdb_set_date_fmt(mdb.get(), "%Y-%m-%d %H:%M:%S");
    mdb_set_shortdate_fmt(mdb.get(), "%Y-%m-%d");
    mdb_set_boolean_fmt_numbers(mdb.get());

    const QString part = sqlitePath + QStringLiteral(".part");
    QFile::remove(part);
    QString why;
    bool ok;
    {
        TDatabase out;
        ok = out.Open(part, TDatabase::Mode::Create, &why) && CopyAllTables(mdb.get(), out, &why);
    }
    if (ok) {
        ok = platform::TAtomicFile::Replace(part, sqlitePath);
        if (!ok) why = QStringLiteral("не удалось записать файл \"%1\"").arg(Shown(sqlitePath));
    }
    if (!ok) {
        QFile::remove(part);
        return fail(why);
    }
    return true;
}

QString ResolveDatabaseFile(const QString& path, QString* error) {
    switch (DetectDatabaseFormat(path)) {
    case TDatabaseFormat::SQLite:
        return path;
    case TDatabaseFormat::Missing:
        if (error) *error = QStringLiteral("Не найден файл базы данных \"%1\".").arg(Shown(path));
        return {};
    case TDatabaseFormat::Unknown:
        if (error)
            *error =
                QStringLiteral("Файл базы данных \"%1\" повреждён или имеет неизвестный формат.")
                    .arg(Shown(path));
        return {};
    case TDatabaseFormat::Jet:
        break;
    }
    // The import lies beside the Access file, or in the user's folder when that one takes no
    // new files; a copy already made there is used first.
    const platform::TFileLocation location = platform::TFileLocation::ForFile(path);
    const QString name = QFileInfo(path).fileName() + QStringLiteral(".sqlite");
    const QFileInfo jet(path);
    const QString existing = location.ReadPath(name);
    const QFileInfo copy(existing);
    if (copy.exists() && copy.lastModified() >= jet.lastModified() &&
        DetectDatabaseFormat(existing) == TDatabaseFormat::SQLite)
        return existing;
    const QString imported = location.WritePath(name);
    if (!ImportJetDatabase(path, imported, error)) return {};
    return imported;
}

} // namespace tsivor::directory
