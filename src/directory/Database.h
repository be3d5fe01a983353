#pragma once
// One SQLite connection with the Jet functions installed; closes itself when destroyed.

#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tsivor::directory {

class TDatabase {
public:
    // Create makes the file when missing and writes without a journal (for files made anew).
    enum class Mode { ReadOnly, ReadWrite, Create };

    TDatabase() = default;
    ~TDatabase();
    TDatabase(const TDatabase&) = delete;
    TDatabase& operator=(const TDatabase&) = delete;

    // Opens an SQLite file and checks that it is one. On failure the connection stays closed
    // and error holds a Russian message naming the file.
    bool Open(const QString& path, Mode mode, QString* error);
    void Close();
    bool IsOpen() const { return db_ != nullptr; }
    QString Path() const { return path_; }

    // Runs statements in SQLite's own dialect (schema, imports); false with the message.
    bool Exec(const QString& sql, QString* error = nullptr);
    // Runs one statement with positional values bound to ?1, ?2, ...
    bool Exec(const QString& sql, const std::vector<QVariant>& values, QString* error = nullptr);
    bool HasTable(const QString& table) const;

    sqlite3* Handle() const { return db_; }
    QString LastError() const;

private:
    sqlite3* db_ = nullptr;
    QString path_;
};

// Binds a value to a prepared statement: null, integers, doubles, byte arrays, else text.
bool BindValue(sqlite3_stmt* stmt, int index, const QVariant& v);

} // namespace tsivor::directory
