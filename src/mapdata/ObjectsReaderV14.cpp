#include "mapdata/ObjectsReaderV14.h"

#include "mapdata/MapContentReader.h"
#include "platform/WorkerThread.h"

#include <vector>

namespace tsivor::mapdata {
namespace {

// A label's box needs the measurer, and so does a group's that holds one at any depth.
bool NeedsMeasurer(const TORBMapObjectMem& o) {
    if (o.ObjectType == cText) return true;
    if (o.ObjectType != cGroup || !o.Children) return false;
    for (const auto& child : *o.Children)
        if (NeedsMeasurer(*child)) return true;
    return false;
}

// The records of the second half as the worker leaves them: one slot a record, null for a
// dropped one; boxes computed except where a label is measured.
struct TSecondHalf {
    bool Found = false; // the first half's records were all there to skip
    std::vector<TOrbMapObjectPtr> Objects;
    bool Truncated = false;
};

void ReadSecondHalf(TByteReader r, int64_t skip, int64_t n, const TMapDocument& doc,
                    TSecondHalf& half) {
    // The boundary comes from a pass over the lengths of the first half's records.
    if (SkipObjectsV14(r, skip) != TReadStatus::Ok) return;
    half.Found = true;
    TShortStringPool houses;
    half.Objects.reserve(size_t(n));
    for (int64_t k = 0; k < n; ++k) {
        TOrbMapObjectPtr o;
        const TReadStatus st = ReadObjectV14(r, o, houses);
        if (st == TReadStatus::EndOfStream) {
            half.Truncated = true;
            return;
        }
        if (st == TReadStatus::Ok && !NeedsMeasurer(*o)) doc.CalcObjectBox(*o);
        half.Objects.push_back(std::move(o));
    }
}

} // namespace

void ReadObjectsV14(TByteReader& r, int64_t n, TMapDocument& doc, TLoadProgress& progress,
                    TLoadReport& report) {
    TShortStringPool houses;
    for (int64_t k = 0; k < n; ++k) {
        TOrbMapObjectPtr o;
        const TReadStatus st = ReadObjectV14(r, o, houses);
        if (st == TReadStatus::EndOfStream) {
            // Without framing nothing after a cut record can be found again; the partly read
            // record is dropped.
            report.Truncated = true;
            break;
        }
        if (st == TReadStatus::Ok) {
            doc.CalcObjectBox(*o); // children first, inside
            doc.Append(std::move(o));
        } else {
            ++report.ObjectsDropped;
        }
        progress.ObjectDone();
    }
}

void ReadObjectsV14InHalves(TByteReader& r, int64_t n, TMapDocument& doc, TLoadProgress& progress,
                            TLoadReport& report, int64_t splitFrom) {
    if (n < splitFrom) {
        ReadObjectsV14(r, n, doc, progress, report);
        return;
    }
    const int64_t first = n / 2;
    const TByteReader start = r;
    TSecondHalf half;
    platform::TWorkerThread worker;
    worker.Start([&] { ReadSecondHalf(start, first, n - first, doc, half); });
    ReadObjectsV14(r, first, doc, progress, report);
    worker.Wait();
    if (report.Truncated) return; // the content ended inside the first half
    if (!half.Found) {
        // The skipping pass stopped where the reading did not; the rest is read here.
        ReadObjectsV14(r, n - first, doc, progress, report);
        return;
    }
    for (TOrbMapObjectPtr& o : half.Objects) {
        if (o) {
            if (NeedsMeasurer(*o)) doc.CalcObjectBox(*o);
            doc.Append(std::move(o));
        } else {
            ++report.ObjectsDropped;
        }
        progress.ObjectDone();
    }
    if (half.Truncated) report.Truncated = true;
}

} // namespace tsivor::mapdata
