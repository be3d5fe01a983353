#pragma once
// The top-level records of version-14 content, read one after another or, on a large map, in
// two halves at once: the second half on a worker thread, from the record boundary that a quick
// pass over the lengths finds. Both give the same list, the same counts and the same progress.

#include "mapdata/ByteReader.h"
#include "mapdata/LoadProgress.h"
#include "mapdata/MapDocument.h"
#include "mapdata/MapLoader.h"

#include <cstdint>

namespace tsivor::mapdata {

// Below this many records a second thread costs more than it saves.
constexpr int64_t kReadInHalvesFrom = 20000;

// Reads n top-level records into doc with their boxes. A record cut by the end of the content
// ends the reading (report.Truncated); a damaged one is dropped and counted.
void ReadObjectsV14(TByteReader& r, int64_t n, TMapDocument& doc, TLoadProgress& progress,
                    TLoadReport& report);

// The same, the records from n/2 on decoded on a second thread when n is at least splitFrom.
// Labels are measured on the calling thread only: the view's measurer uses its fonts.
void ReadObjectsV14InHalves(TByteReader& r, int64_t n, TMapDocument& doc, TLoadProgress& progress,
                            TLoadReport& report, int64_t splitFrom = kReadInHalvesFrom);

} // namespace tsivor::mapdata
