// Replays the fuzzer's seed corpus, and every cut of a few seeds: loading a file cut at any
// byte never crashes and never keeps a half-read object.

#include "TestMaps.h"

#include "mapdata/MapWriter.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tsivor::mapdata;
using namespace tsivor::mapdata::testmaps;

namespace {

QDir CorpusDir() {
    return QDir(QStringLiteral(TSIVOR_SOURCE_DIR "/fuzz/corpus/load"));
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(CorpusReplay, EverySeedLoadsAndWritesBackUnchanged) {
    const QStringList files = CorpusDir().entryList(QDir::Files);
    ASSERT_GE(files.size(), 5);
    for (const QString& name : files) {
        const QByteArray content = ReadAll(CorpusDir().filePath(name));
        TMapDocument doc;
        RecordingHost host;
        const TLoadReport rep = LoadFromStream(content, doc, host);
        EXPECT_FALSE(rep.Damaged()) << qPrintable(name);
        if (rep.Version == 14) {
            EXPECT_EQ(WriteMapContent(doc), content) << qPrintable(name);
            continue;
        }
        // An old file converts once: written today's way it loads back to the same bytes.
        const QByteArray converted = WriteMapContent(doc);
        TMapDocument again;
        LoadFromStream(converted, again, host);
        EXPECT_EQ(WriteMapContent(again), converted) << qPrintable(name);
    }
}

TEST(CorpusReplay, CutAtAnyByteLoadsWholeObjectsOnly) {
    QStringList names = {"every_type.map", "nested_group.map", "type4.map"};
    names += CorpusDir().entryList({QStringLiteral("legacy_v*.map")}, QDir::Files);
    ASSERT_EQ(names.size(), 16);
    for (const QString& file : names) {
        const std::string name = file.toStdString();
        const QByteArray full = ReadAll(CorpusDir().filePath(file));
        ASSERT_FALSE(full.isEmpty()) << name;
        TMapDocument whole;
        TMapLoadHost host;
        LoadFromStream(full, whole, host);
        int previous = 0;
        for (qsizetype n = 0; n < full.size(); ++n) {
            TMapDocument doc;
            LoadFromStream(full.left(n), doc, host);
            // Objects come in file order, so a longer cut never has fewer of them.
            ASSERT_GE(doc.ObjectCount(), previous) << name << " cut at " << n;
            ASSERT_LT(doc.ObjectCount(), whole.ObjectCount() + (n == full.size() ? 1 : 0));
            previous = doc.ObjectCount();
            for (int i = 0; i < doc.ObjectCount(); ++i)
                ASSERT_EQ(doc.Object(i)->ID, whole.Object(i)->ID);
        }
    }
}
