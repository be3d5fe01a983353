#pragma once
// The diagnostic pass of a load: every object is drawn once off-screen; those whose drawing
// fails are written to a UTF-8 text log and deleted.

#include "mapdata/MapLoader.h"

#include <QDateTime>

namespace tsivor::mapdata {

struct TDiagnosticResult {
    int Removed = 0;
    QString Error; // Russian message when the log file could not be written
};

// Objects are deleted even when the log cannot be written: the pass exists to rid the map of
// objects that cannot be drawn.
TDiagnosticResult RunDiagnosticPass(TMapDocument& doc, TMapLoadHost& host, const QString& path);

// The log entry of object index, ending with the separator line and two empty lines.
QString FormatErrorLogEntry(const TMapDocument& doc, const TORBMapObjectMem& o, int index,
                            const QDateTime& now);

} // namespace tsivor::mapdata
