// Loads arbitrary plain content. Besides the sanitizers' checks: whatever was loaded must write
// out as content that loads back to the very same bytes.

#include "mapdata/MapLoader.h"
#include "mapdata/MapWriter.h"

#include <cstdlib>

using namespace tsivor::mapdata;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMapLoadHost host;
    TMapDocument doc;
    const QByteArray content =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    LoadFromStream(content, doc, host);
    if (doc.Header.ObjectCount != doc.ObjectCount()) std::abort();

    const QByteArray first = WriteMapContent(doc);
    TMapDocument again;
    LoadFromStream(first, again, host);
    if (again.ObjectCount() != doc.ObjectCount()) std::abort();
    if (WriteMapContent(again) != first) std::abort();
    return 0;
}
