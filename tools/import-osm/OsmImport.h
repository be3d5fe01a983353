#pragma once
// tsivor-import-osm: an OpenStreetMap extract to a whole deployment folder: info1.db (the map),
// info.db (the directory), tsivor.ini, tsivor.lib and the pictures of the start page, banners
// and logos.

#include "OsmDirectory.h"
#include "OsmExtract.h"

namespace tsivor::importosm {

struct TImportOptions {
    QString Input;  // .osm, .osm.pbf (compressed forms too)
    QString OutDir; // created when missing
    QString Name;   // the town's name; empty: from the data, else the file's name
};

struct TImportReport {
    QString Town;
    TOsmCounts Counts;
    int Features = 0;
    int MapObjects = 0;
    int Houses = 0; // buildings on the map
    int AddressedHouses = 0;
    TDirectoryCounts Directory;
    int NamesReplaced = 0; // characters outside code page 1251 given a close form or '?'
    int NamesUnknown = 0;  // of them, made '?'
    QString ReadError;     // the input was damaged part way: the deployment holds what came before
    qint64 ReadMs = 0, TotalMs = 0;
    qint64 ReadCpuMs = 0; // processor time of the read, all threads together
    qint64 InputBytes = 0;
    qint64 PeakMemoryKb = 0;  // of the whole process, when the import ended
    qint64 StartMemoryKb = 0; // what the process held before reading: libraries, fonts, Qt
    double Load = 0;          // the system's load average while reading
};

// False with a Russian message; then nothing or only part of the folder was written.
bool ImportOsm(const TImportOptions& options, TImportReport& report, QString* error);

// The figures as the tool prints them.
QString ReportText(const TImportReport& report);

} // namespace tsivor::importosm
