#include "mapdata/MapLoader.h"

#include "mapdata/LoadProgress.h"
#include "mapdata/MapContentReader.h"
#include "mapdata/MapEnvelope.h"
#include "mapdata/MapErrorLog.h"
#include "mapdata/MapLegacyReader.h"
#include "mapdata/MeasureOnce.h"
#include "platform/MemoryAhead.h"

#include <QFile>

#include <algorithm>

namespace tsivor::mapdata {
namespace {

void ReadObjectsV14(TByteReader& r, int64_t n, TMapDocument& doc, TLoadProgress& progress,
                    TLoadReport& report) {
    for (int64_t k = 0; k < n; ++k) {
        TOrbMapObjectPtr o;
        const TReadStatus st = ReadObjectV14(r, o);
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

// Steps 7 to 12: header, name tables and objects into doc, which is already cleared.
int64_t ReadContent(TByteReader& r, TMapDocument& doc, TMapLoadHost& host, int maxObjects,
                    TLoadReport& report) {
    if (!r.Has(kVersionPeekSize)) {
        // Too short to hold even the version: what there was of the file is lost.
        report.Truncated = true;
        return 0;
    }
    const int32_t version = PeekVersion(r);
    report.Version = version;
    if (version < 1 || version > 14) {
        report.UnknownVersion = true;
        return 0;
    }
    if (!ReadHeader(r, version, doc.Header)) {
        report.Truncated = true;
        return 0;
    }
    const int32_t announced = doc.Header.ObjectCount;
    report.ObjectsAnnounced = std::max<int32_t>(announced, 0);
    // A damaged count must not reserve more than the content could hold.
    const int64_t fits = int64_t(r.Remaining() / kRecordFixedSize);
    doc.Reserve(int(std::clamp<int64_t>(announced, 0, fits) + 100));
    if (announced == 0) return 100;

    if (!ReadNameTable(r, doc.Header.StreetCount, doc.Streets) ||
        !ReadNameTable(r, doc.Header.TownCount, doc.Towns)) {
        report.Truncated = true;
        return 0;
    }
    int64_t n = std::max<int32_t>(announced, 0);
    if (version == 14 && maxObjects >= 1) n = std::min<int64_t>(n, maxObjects);
    TLoadProgress progress(host, n);
    const TMeasureOnce measureOnce(doc);
    if (version == 14)
        ReadObjectsV14(r, n, doc, progress, report);
    else
        ReadLegacyObjects(r, version, doc, progress, report);
    return progress.Counter();
}

} // namespace

TLoadReport LoadFromStream(const QByteArray& content, TMapDocument& doc, TMapLoadHost& host,
                           bool writeErrorLog, int maxObjects, const QString& errorLogPath) {
    TByteReader r(content);
    return LoadFromReader(r, doc, host, writeErrorLog, maxObjects, errorLogPath);
}

TLoadReport LoadFromReader(TByteReader& r, TMapDocument& doc, TMapLoadHost& host,
                           bool writeErrorLog, int maxObjects, const QString& errorLogPath) {
    TLoadReport report;
    host.ClearUndo();
    const bool wasLocked = host.Locked();
    host.SetLocked(false);
    host.BeforeLoad();
    doc.Clear();
    host.ClearView();
    const bool indexWasOn = host.SwitchIndexOff();

    const int64_t objectsRead = ReadContent(r, doc, host, maxObjects, report);
    host.PhaseDone("map: objects decoded");
    doc.Header.ObjectCount = doc.ObjectCount();
    report.ObjectsRead = doc.ObjectCount();
    host.Progress(TLoadProgress::Percent(objectsRead, doc.Header.ObjectCount));

    if (writeErrorLog) {
        const TDiagnosticResult diag = RunDiagnosticPass(doc, host, errorLogPath);
        report.DiagnosticRemoved = diag.Removed;
        report.LogError = diag.Error;
    }
    // Nothing has changed a record since it was listed; the diagnostic pass only deletes.
    doc.RecalcExtentFromColumn();
    host.PhaseDone("map: extent");
    host.RestoreIndex(indexWasOn);
    host.PhaseDone("map: spatial index");
    host.ClearSelection();
    host.ApplyLoadedView();
    host.MarkDirty();
    host.AfterLoad();
    host.SyncLinkedMaps();
    host.CopyMashtabToPrinter(doc.Header.Mashtab);
    host.SetLocked(wasLocked);
    host.PhaseDone("map: view after load");
    return report;
}

QString LoadReportMessage(const TLoadReport& report) {
    if (report.UnknownVersion)
        return QStringLiteral("Неизвестная версия файла карты: %1. Карта не загружена.")
            .arg(report.Version);
    if (report.Damaged())
        return QStringLiteral("Файл карты повреждён: прочитано объектов %1 из %2.")
            .arg(report.ObjectsRead)
            .arg(report.ObjectsAnnounced);
    return {};
}

namespace {

// A version-14 content is read through a window of this many bytes: a large map is decoded as
// it comes in, never held whole.
constexpr size_t kReadWindow = size_t(1) << 20;

// The content of an envelope file, unscrambled as it is read; the file stands after the
// preamble.
class TUnscrambledFile : public TByteSource {
public:
    explicit TUnscrambledFile(QFile& file) : FFile(file) {}

    size_t Read(uint8_t* out, size_t n) override {
        size_t got = 0;
        while (got < n) {
            const qint64 r = FFile.read(reinterpret_cast<char*>(out) + got, qint64(n - got));
            if (r <= 0) {
                FFailed = FFailed || r < 0;
                break;
            }
            got += size_t(r);
        }
        XorInPlace(out, qsizetype(got), FOffset);
        FOffset += qint64(got);
        return got;
    }
    bool Failed() const { return FFailed; }

private:
    QFile& FFile;
    qint64 FOffset = 0; // of the next content byte
    bool FFailed = false;
};

// The whole file, its content unscrambled piece by piece as it comes in, while each piece is
// still in the cache; held once, not twice. False when a read fails.
bool ReadUnscrambled(QFile& file, QByteArray& data) {
    constexpr qint64 kPiece = 256 * 1024;
    // One byte more than the file's size tells whether it grew meanwhile without a second read.
    data = QByteArray(qsizetype(std::max<qint64>(file.size(), 0) + 1), Qt::Uninitialized);
    platform::MapPagesNow(data.data(), size_t(data.size()));
    qint64 got = 0;
    for (;;) {
        if (got == data.size()) data.resize(got + kPiece);
        const qint64 n = file.read(data.data() + got, std::min<qint64>(kPiece, data.size() - got));
        if (n < 0) return false;
        if (n == 0) break;
        // The preamble is not scrambled; the key runs from the first content byte.
        const qint64 from = std::max<qint64>(got, kPreambleSize);
        if (got + n > from)
            XorInPlace(reinterpret_cast<uint8_t*>(data.data()) + from, got + n - from,
                       from - kPreambleSize);
        got += n;
    }
    data.resize(qsizetype(got));
    return true;
}

} // namespace

bool MapLoad(const QString& fileName, TMapDocument& doc, TMapLoadHost& host, QString* error,
             TLoadReport* report) {
    QFile file(fileName);
    const auto unreadable = [&] {
        if (error) *error = QStringLiteral("Не удалось прочитать файл карты «%1»").arg(fileName);
        return false;
    };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        if (error) *error = QStringLiteral("Не удалось открыть файл карты «%1»").arg(fileName);
        return false;
    }
    const qint64 fileSize = std::max<qint64>(file.size(), 0);
    // The records take about three times the content's size; their memory is mapped on another
    // thread while the file is read and decoded.
    const platform::THeapAhead heapAhead(size_t(fileSize) * 3);
    // The current version is decoded as it is read. Older ones, and files too short for a
    // version, are read whole first.
    TUnscrambledFile content(file);
    TByteReader streamed(content, size_t(std::max<qint64>(fileSize - kPreambleSize, 0)),
                         kReadWindow);
    if (fileSize > kPreambleSize && file.seek(kPreambleSize) && streamed.Has(kVersionPeekSize) &&
        PeekVersion(streamed) == 14) {
        host.PhaseDone("map: file read");
        host.PhaseDone("map: unscrambled");
        const TLoadReport r = LoadFromReader(streamed, doc, host, false, 0);
        if (report) *report = r;
        return true;
    }
    if (content.Failed()) return unreadable();
    QByteArray data;
    if (!file.seek(0) || !ReadUnscrambled(file, data)) return unreadable();
    file.close();
    host.PhaseDone("map: file read");
    const qsizetype contentSize = std::max<qsizetype>(0, data.size() - kPreambleSize);
    const QByteArray plain = QByteArray::fromRawData(
        data.constData() + (contentSize > 0 ? kPreambleSize : 0), contentSize);
    host.PhaseDone("map: unscrambled");
    const TLoadReport r = LoadFromStream(plain, doc, host, false, 0);
    if (report) *report = r;
    return true;
}

} // namespace tsivor::mapdata
