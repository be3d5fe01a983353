#pragma once
// One statement prepared once and run many times with new values, for writing many rows.

#include <QString>
#include <QVariant>

#include <vector>

struct sqlite3_stmt;

namespace tsivor::directory {

class TDatabase;

class TStatement {
public:
    // The connection must outlive the statement.
    TStatement(const TDatabase& db, const QString& sql);
    ~TStatement();
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    // Binds the values to ?1, ?2, ... and runs the statement through; false with the message
    // (also when it could not be prepared).
    bool Run(const std::vector<QVariant>& values, QString* error = nullptr);

private:
    const TDatabase& db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString prepareError_;
};

} // namespace tsivor::directory
