// tsivor-search over the sample directory.
#include "SearchTool.h"

#include "directory/DataModule.h"
#include "directory/JetDialect.h"
#include "directory/MegaSearchQueries.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor;
using searchtool::RunSearchTool;

namespace {

const QString kDeploy = QStringLiteral(TSIVOR_DEPLOY_DIR);

QJsonArray Json(const searchtool::TSearchToolOutput& r) {
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    QJsonParseError e;
    const QJsonDocument d = QJsonDocument::fromJson(r.Out.toUtf8(), &e);
    EXPECT_EQ(e.error, QJsonParseError::NoError) << r.Out.left(200).toStdString();
    EXPECT_TRUE(d.isArray());
    return d.array();
}

TEST(SearchTool, CountIsTheNumberTheTabShows) {
    directory::Tdm dm;
    QString error;
    ASSERT_TRUE(dm.OpenDirectory(kDeploy, &error)) << error.toStdString();
    directory::TMegaSearchQueries queries(dm);
    directory::TSearchCriteria c;
    c[directory::TCriterion::Keyword] = QString::fromUtf8("кафе");
    c[directory::TCriterion::House] = "1";
    const auto r = RunSearchTool({"--dir", kDeploy, "--keyword", "кафе", "--house", "1", "--count"},
                                 QString());
    EXPECT_EQ(r.ExitCode, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out.trimmed().toInt(), queries.Count(c));
    EXPECT_GT(r.Out.trimmed().toInt(), 0);
}

TEST(SearchTool, OrganisationsWithDetailsInCardOrder) {
    const QJsonArray list = Json(RunSearchTool({"--dir", kDeploy, "--street", "а"}, QString()));
    ASSERT_GT(list.size(), 10);
    QString previous;
    for (const QJsonValue& v : list) {
        const QJsonObject o = v.toObject();
        EXPECT_GT(o["id"].toInt(), 0);
        const QString title = o["title"].toString();
        EXPECT_LE(directory::JetCompareText(previous, title), 0) << title.toStdString();
        previous = title;
        EXPECT_FALSE(o["rubrics"].toArray().isEmpty());
        ASSERT_FALSE(o["addresses"].toArray().isEmpty());
        const QJsonObject a = o["addresses"].toArray()[0].toObject();
        EXPECT_TRUE(a.contains("street") && a.contains("house"));
        EXPECT_TRUE(a["telephones"].isArray());
    }
}

TEST(SearchTool, NothingFoundIsAnEmptyListAndHostileTextIsJustText) {
    for (const char* w : {"нет-такого-слова", "\"; DROP TABLE Main; --", "%", "_", "["}) {
        const QJsonArray list = Json(RunSearchTool({"--dir", kDeploy, "--name", w}, QString()));
        EXPECT_TRUE(list.isEmpty()) << w;
    }
}

TEST(SearchTool, MissingOrUnreadableDirectoryFailsWithOneLine) {
    QTemporaryDir empty;
    for (const QString& dir : {empty.path(), empty.filePath("nowhere")}) {
        const auto r = RunSearchTool({"--dir", dir, "--name", "а"}, QString());
        EXPECT_NE(r.ExitCode, 0);
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_EQ(r.Err.count(u'\n'), 1) << r.Err.toStdString();
    }
    QFile bad(empty.filePath("info.db"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a database at all, just text");
    bad.close();
    const auto r = RunSearchTool({"--dir", empty.path(), "--count"}, QString());
    EXPECT_NE(r.ExitCode, 0);
    EXPECT_EQ(r.Err.count(u'\n'), 1) << r.Err.toStdString();
    EXPECT_EQ(RunSearchTool({"--colour"}, QString()).ExitCode, 2);
}

// The program itself, next to the sample directory, without --dir.
TEST(SearchTool, TheBuiltToolAnswersOnTheDirectoryBesideIt) {
    const QString tool = kDeploy + "/tsivor-search";
    if (!QFile::exists(tool)) GTEST_SKIP() << "tsivor-search not built";
    QProcess p;
    p.start(tool, {"--rubric", QString::fromUtf8("аптек"), "--count"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_GT(QString::fromUtf8(p.readAllStandardOutput()).trimmed().toInt(), 0);
}

} // namespace
