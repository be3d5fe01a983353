#include "directory/Database.h"

#include "directory/JetDialect.h"
#include "directory/Statement.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace tsivor::directory {

TDatabase::~TDatabase() {
    Close();
}

bool TDatabase::Open(const QString& path, Mode mode, QString* error) {
    Close();
    const QString shown = QDir::toNativeSeparators(path);
    auto fail = [&](const QString& why) {
        if (error)
            *error = QStringLiteral("Не удалось открыть базу данных \"%1\": %2").arg(shown, why);
        Close();
        return false;
    };
    if (mode != Mode::Create && !QFileInfo(path).isFile())
        return fail(QStringLiteral("файл не найден."));
    const int flags = mode == Mode::ReadOnly    ? SQLITE_OPEN_READONLY
                      : mode == Mode::ReadWrite ? SQLITE_OPEN_READWRITE
                                                : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db_, flags, nullptr) != SQLITE_OK) {
        const QString why =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("недостаточно памяти.");
        return fail(why);
    }
    sqlite3_extended_result_codes(db_, 1);
    // SQLite reads the file lazily; reading the catalogue tells a damaged file at once.
    if (sqlite3_exec(db_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
        const int code = sqlite3_errcode(db_) & 0xFF;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT)
            return fail(QStringLiteral("файл повреждён или имеет неизвестный формат."));
        return fail(QString::fromUtf8(sqlite3_errmsg(db_)));
    }
    if (!RegisterJetFunctions(db_))
        return fail(QStringLiteral("не удалось подготовить соединение."));
    // The searches join every table of the directory; a page cache that holds a large
    // directory whole (grown only as pages are read) keeps them off the disk.
    sqlite3_exec(db_, "PRAGMA cache_size=-65536", nullptr, nullptr, nullptr);
    if (mode == Mode::Create) {
        // A new file is written in one go and thrown away if that fails: no journal needed.
        sqlite3_exec(db_, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr,
                     nullptr);
    }
    path_ = path;
    return true;
}

void TDatabase::Close() {
    if (db_) sqlite3_close_v2(db_);
    db_ = nullptr;
    path_.clear();
}

bool TDatabase::Exec(const QString& sql, QString* error) {
    if (!db_) {
        if (error) *error = QStringLiteral("Нет соединения с базой данных.");
        return false;
    }
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &msg) != SQLITE_OK) {
        if (error) *error = QString::fromUtf8(msg ? msg : sqlite3_errmsg(db_));
        sqlite3_free(msg);
        return false;
    }
    return true;
}

bool TDatabase::Exec(const QString& sql, const std::vector<QVariant>& values, QString* error) {
    return TStatement(*this, sql).Run(values, error);
}

bool TDatabase::HasTable(const QString& table) const {
    if (!db_) return false;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_,
                           "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND "
                           "name = ?1 COLLATE NOCASE",
                           -1, &stmt, nullptr) != SQLITE_OK)
        return false;
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(stmt, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    const bool found = sqlite3_step(stmt) == SQLITE_ROW;
    sqlite3_finalize(stmt);
    return found;
}

QString TDatabase::LastError() const {
    return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString();
}

bool BindValue(sqlite3_stmt* stmt, int index, const QVariant& v) {
    int rc;
    if (v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob(stmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text(stmt, index, t.constData(), int(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
    return rc == SQLITE_OK;
}

} // namespace tsivor::directory
