#pragma once
// tsivor-search: the organisations the "Мегапоиск" tab would find, as its count or as one JSON
// document (id, title, rubrics, addresses with their telephones) in the order of the cards.

#include <QString>
#include <QStringList>

namespace tsivor::searchtool {

struct TSearchToolOutput {
    int ExitCode = 0;
    QString Out; // the count or the JSON document
    QString Err; // one line on failure, the usage on a wrong call
};

// args without the program name; programDir is where the directory is looked for without --dir.
TSearchToolOutput RunSearchTool(const QStringList& args, const QString& programDir);

} // namespace tsivor::searchtool
