#include "directory/Query.h"

#include "directory/JetDialect.h"

#include <sqlite3.h>

namespace tsivor::directory {

namespace {

QVariant ColumnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)),
                                   sqlite3_column_bytes(stmt, i)));
    case SQLITE_NULL:
        return QVariant();
    default:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)),
                              sqlite3_column_bytes(stmt, i)));
    }
}

QString FromUtf8(const char* s) {
    return s ? QString::fromUtf8(s) : QString();
}

// SQLite may number repeated names ("Name:1") where a join is rewritten inside; the field
// keeps the name of its column, as Jet gives it.
QString ColumnName(sqlite3_stmt* stmt, int i) {
    const QString name = FromUtf8(sqlite3_column_name(stmt, i));
    const QString origin = FromUtf8(sqlite3_column_origin_name(stmt, i));
    if (!origin.isEmpty() && name.size() > origin.size() + 1 && name.startsWith(origin + u':')) {
        bool digits = false;
        name.mid(origin.size() + 1).toInt(&digits);
        if (digits) return origin;
    }
    return name;
}

bool OnlySeparatorsLeft(const char* tail) {
    for (; tail && *tail; ++tail)
        if (*tail != ';' && *tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n')
            return false;
    return true;
}

} // namespace

bool TQuery::Reopen(const QStringList& lines) {
    Close();
    Clear();
    for (const QString& l : lines) Add(l);
    return Open();
}

bool TQuery::Open() {
    Close();
    if (!connection_ || !connection_->IsOpen()) {
        error_ = QStringLiteral("Нет соединения с базой данных.");
        return false;
    }
    const QByteArray text = TranslateJetStatement(SQL.join(u'\n')).toUtf8();
    sqlite3* db = connection_->Handle();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt, &tail) != SQLITE_OK) {
        error_ = QStringLiteral("Ошибка в запросе: %1").arg(FromUtf8(sqlite3_errmsg(db)));
        return false;
    }
    if (!stmt || !OnlySeparatorsLeft(tail)) {
        // One statement per query: whatever follows the first is refused, never run.
        sqlite3_finalize(stmt);
        error_ = QStringLiteral("Ошибка в запросе: ожидалась одна команда.");
        return false;
    }
    const int n = sqlite3_column_count(stmt);
    columns_.reserve(size_t(n));
    for (int i = 0; i < n; ++i)
        columns_.push_back({ColumnName(stmt, i), FromUtf8(sqlite3_column_table_name(stmt, i))});
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        std::vector<QVariant> row;
        row.reserve(size_t(n));
        for (int i = 0; i < n; ++i) row.push_back(ColumnValue(stmt, i));
        rows_.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE) {
        error_ =
            QStringLiteral("Ошибка при выполнении запроса: %1").arg(FromUtf8(sqlite3_errmsg(db)));
        rows_.clear();
        columns_.clear();
        return false;
    }
    active_ = true;
    current_ = 0;
    if (AfterOpen) AfterOpen(*this);
    return true;
}

void TQuery::Close() {
    active_ = false;
    error_.clear();
    columns_.clear();
    rows_.clear();
    current_ = 0;
}

bool TQuery::MoveTo(int row) {
    if (row < 0 || row > RecordCount()) return false;
    current_ = row;
    return true;
}

bool TQuery::Locate(const QString& field, const QVariant& value, bool caseInsensitive) {
    const int c = FieldIndex(field);
    if (c < 0) return false;
    const QString wanted = value.toString();
    for (int r = 0; r < RecordCount(); ++r) {
        const QVariant& v = rows_[size_t(r)][size_t(c)];
        if (v.isNull()) continue;
        const QString s = v.toString();
        const bool same = caseInsensitive ? JetCompareText(s, wanted) == 0 : s == wanted;
        if (same) {
            current_ = r;
            return true;
        }
    }
    return false;
}

QVariant TQuery::Field(const QString& name) const {
    const int c = FieldIndex(name);
    if (c < 0 || Eof()) return {};
    return rows_[size_t(current_)][size_t(c)];
}

QString TQuery::FieldAsString(const QString& name) const {
    const QVariant v = Field(name);
    if (v.typeId() == QMetaType::Double) {
        // Whole numbers read back as integers, as Jet shows them.
        const double d = v.toDouble();
        if (d == double(qint64(d))) return QString::number(qint64(d));
    }
    return v.toString();
}

qint64 TQuery::FieldAsInteger(const QString& name) const {
    const QVariant v = Field(name);
    bool ok = false;
    const qint64 i = v.toLongLong(&ok);
    if (ok) return i;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? qint64(d) : 0;
}

QStringList TQuery::FieldNames() const {
    QStringList names;
    for (const Column& c : columns_) names << c.Name;
    return names;
}

QVariant TQuery::Value(int row, int column) const {
    if (row < 0 || row >= RecordCount() || column < 0 || column >= int(columns_.size())) return {};
    return rows_[size_t(row)][size_t(column)];
}

int TQuery::FieldIndex(const QString& name) const {
    const qsizetype dot = name.indexOf(u'.');
    if (dot > 0) {
        const QString table = name.left(dot), column = name.mid(dot + 1);
        for (size_t i = 0; i < columns_.size(); ++i)
            if (columns_[i].Table.compare(table, Qt::CaseInsensitive) == 0 &&
                columns_[i].Name.compare(column, Qt::CaseInsensitive) == 0)
                return int(i);
    }
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].Name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

} // namespace tsivor::directory
