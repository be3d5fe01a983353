#pragma once
// A query object in the manner of a static client cursor: the statement is a list of lines in
// the Jet dialect; opening runs it and keeps every row in memory, so counting, moving about
// and locating never go back to the database.

#include "directory/Database.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <vector>

namespace tsivor::directory {

class TQuery {
public:
    explicit TQuery(TDatabase* connection = nullptr) : connection_(connection) {}

    void SetConnection(TDatabase* connection) { connection_ = connection; }
    TDatabase* Connection() const { return connection_; }

    // The statement, line by line; the lines are joined with line breaks.
    QStringList SQL;
    void Clear() { SQL.clear(); }
    void Add(const QString& line) { SQL << line; }
    // Close, clear the statement, add the lines, open.
    bool Reopen(const QStringList& lines);

    // Runs the statement; false (with LastError and no rows) when it fails.
    bool Open();
    void Close();
    bool Active() const { return active_; }
    QString LastError() const { return error_; }

    int RecordCount() const { return int(rows_.size()); }
    // The current row counted from 0; RecordCount() when past the end.
    int RecNo() const { return current_; }
    bool Eof() const { return current_ >= RecordCount(); }
    void First() { current_ = 0; }
    void Next() {
        if (current_ < RecordCount()) ++current_;
    }
    bool MoveTo(int row);
    // Moves to the first row whose field equals value (Jet's text comparison when
    // caseInsensitive); false leaves the current row where it was.
    bool Locate(const QString& field, const QVariant& value, bool caseInsensitive = true);

    // Fields of the current row. A name is the column name ("Title") or, where several tables
    // give the same name, the table and column ("Raion.Name"); the case does not matter.
    bool HasField(const QString& name) const { return FieldIndex(name) >= 0; }
    QVariant Field(const QString& name) const;
    QString FieldAsString(const QString& name) const;
    qint64 FieldAsInteger(const QString& name) const;
    bool FieldIsNull(const QString& name) const { return Field(name).isNull(); }
    QStringList FieldNames() const;
    // The position of a field by the names above; -1 when there is none.
    int FieldIndex(const QString& name) const;
    QVariant Value(int row, int column) const;

    // Called after every successful open, the rows in place (QMain fills the cards list).
    std::function<void(TQuery&)> AfterOpen;

private:
    struct Column {
        QString Name, Table;
    };
    TDatabase* connection_;
    bool active_ = false;
    QString error_;
    std::vector<Column> columns_;
    std::vector<std::vector<QVariant>> rows_;
    int current_ = 0;
};

} // namespace tsivor::directory
