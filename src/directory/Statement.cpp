#include "directory/Statement.h"

#include "directory/Database.h"

#include <sqlite3.h>

namespace tsivor::directory {

TStatement::TStatement(const TDatabase& db, const QString& sql) : db_(db) {
    if (!db.Handle()) {
        prepareError_ = QStringLiteral("Нет соединения с базой данных.");
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db.Handle(), text.constData(), int(text.size()), &stmt_, nullptr) !=
        SQLITE_OK) {
        prepareError_ = db.LastError();
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
    }
}

TStatement::~TStatement() {
    sqlite3_finalize(stmt_);
}

bool TStatement::Run(const std::vector<QVariant>& values, QString* error) {
    if (!stmt_) {
        if (error) *error = prepareError_;
        return false;
    }
    bool ok = true;
    for (size_t i = 0; i < values.size() && ok; ++i) ok = BindValue(stmt_, int(i) + 1, values[i]);
    if (ok) {
        int rc;
        while ((rc = sqlite3_step(stmt_)) == SQLITE_ROW) {
        }
        ok = rc == SQLITE_DONE;
    }
    if (!ok && error) *error = db_.LastError();
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
    return ok;
}

} // namespace tsivor::directory
