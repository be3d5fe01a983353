// tsivor-print-map: its command line, and PDF files of the sample city read back.
#include "PrintMapJob.h"
#include "PrintTestSupport.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tsivor;
using printmap::ParseJob;

namespace {

const QString kCity = QStringLiteral(TSIVOR_DEPLOY_DIR "/info1.db");

QStringList Args(const QString& line) {
    return line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

struct TPdf {
    QPdfDocument doc;
    explicit TPdf(const QString& file) { EXPECT_EQ(doc.load(file), QPdfDocument::Error::None); }
    QString Text(int page) { return doc.getAllText(page).text(); }
    // The page at dpi as a picture.
    QImage Page(int page, int dpi) {
        const QSizeF pt = doc.pagePointSize(page);
        const QImage drawn = doc.render(page, QSize(int(std::lround(pt.width() / 72 * dpi)),
                                                    int(std::lround(pt.height() / 72 * dpi))));
        // On white paper: the renderer leaves what is not drawn transparent.
        QImage paper(drawn.size(), QImage::Format_RGB32);
        paper.fill(Qt::white);
        QPainter(&paper).drawImage(0, 0, drawn);
        return paper;
    }
};

class PrintMapJobTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Out(const char* name) { return dir.filePath(QString::fromUtf8(name)); }
    // Runs the tool's job; the number of pages.
    int Run(const QString& line) {
        QString error;
        const auto job = ParseJob(Args(line), error);
        EXPECT_TRUE(job) << error.toStdString();
        if (!job) return -1;
        mapview::TDataMap map;
        int pages = 0;
        EXPECT_TRUE(printmap::RunJob(*job, map, error, &pages)) << error.toStdString();
        return pages;
    }
};

} // namespace

TEST(PrintMapArguments, OptionsBecomeSettings) {
    QString error;
    auto job = ParseJob(Args("--region all --mashtab 5000 --page 2 3 --paper A3 --landscape "
                             "--no-title --no-border --no-scalebar --scale-text --numbers "
                             "--outlines --layout-sheet m.db o.pdf"),
                        error);
    ASSERT_TRUE(job) << error.toStdString();
    mapui::tOrbMapPrinterSettings s;
    printmap::ApplySettings(*job, s);
    EXPECT_EQ(s.PrintRegion, mapui::AllMap);
    EXPECT_EQ(s.MashtabPrint, mapui::S_Custom);
    EXPECT_EQ(s.CustomMashtab(), 5000);
    EXPECT_EQ(s.PageX, 2);
    EXPECT_EQ(s.PageY, 3);
    EXPECT_FALSE(s.Title || s.Border || s.ScaleBar);
    EXPECT_TRUE(s.Mashtab && s.NumberDom && s.ConturOnly);
    EXPECT_FALSE(s.ShowDialogPrint);
    EXPECT_EQ(job->Paper, QPageSize::A3);
    EXPECT_TRUE(job->Landscape && job->LayoutSheet);

    job = ParseJob(Args("--view 10 20 250 --as-screen m.db o.pdf"), error);
    ASSERT_TRUE(job) << error.toStdString();
    EXPECT_EQ(job->ScaleMode, mapui::S_Current);
    EXPECT_EQ(*job->Origin, QPointF(10, 20));
    EXPECT_DOUBLE_EQ(job->ViewScale, 250);
}

TEST(PrintMapArguments, BadInputGetsAMessage) {
    for (const char* line : {"m.db", "m.db o.png", "--mashtab 0 m o.pdf", "--mashtab -5000 m o.pdf",
                             "--mashtab x m o.pdf", "--region north m o.pdf", "--page 1 m o.pdf",
                             "--page -1 2 m o.pdf", "--paper A5 m o.pdf", "--view 1 2 0 m o.pdf",
                             "--layout-sheet m o.pdf", "--as-screen --mashtab 100 m o.pdf",
                             "--dpi 5 m o.pdf", "--wat m o.pdf"}) {
        QString error;
        EXPECT_FALSE(ParseJob(Args(QString::fromUtf8(line)), error)) << line;
        EXPECT_FALSE(error.isEmpty()) << line;
    }
}

TEST_F(PrintMapJobTest, WholeCityPagesAtAChosenScale) {
    const QString out = Out("город.pdf");
    const int pages = Run(QStringLiteral("--region all --mashtab 10000 --scale-text --dpi 300 ") +
                          kCity + QLatin1Char(' ') + out);
    ASSERT_GT(pages, 1);
    TPdf pdf(out);
    ASSERT_EQ(pdf.doc.pageCount(), pages);
    const QSizeF a4 = pdf.doc.pagePointSize(0);
    EXPECT_NEAR(a4.width(), 595.3, 0.5);
    EXPECT_NEAR(a4.height(), 841.9, 0.5);
    const QString first = pdf.Text(0);
    EXPECT_TRUE(first.contains(QStringLiteral("1:10000"))) << first.toStdString();
    EXPECT_TRUE(first.contains(QStringLiteral("1:1"))); // the page label
    // A 10 mm segment at 1:10000 is 100 m of ground: the labels read 0, 200, 400, 600 m.
    // (The text layer keeps one of the two blanks before the m.)
    for (const char* label : {"0", "200", "400", "600"})
        EXPECT_TRUE(first.contains(
            QRegularExpression(QStringLiteral("\\b%1\\s+m\\b").arg(QString::fromUtf8(label)))))
            << label;
    EXPECT_FALSE(first.contains(QRegularExpression(QStringLiteral("\\b800\\s+m\\b"))));
    EXPECT_TRUE(pdf.Text(pages - 1).contains(QStringLiteral("1:")));
}

TEST_F(PrintMapJobTest, TheScreenRegionOnOnePageWithItsTitleAndFrame) {
    const QString out = Out("экран.pdf");
    ASSERT_EQ(Run(QStringLiteral("--region screen --mashtab 5000 --numbers ") + kCity +
                  QLatin1Char(' ') + out),
              1);
    TPdf pdf(out);
    ASSERT_EQ(pdf.doc.pageCount(), 1);
    mapview::TDataMap map;
    QString error;
    ASSERT_TRUE(map.MapLoad(kCity, &error));
    EXPECT_TRUE(pdf.Text(0).contains(map.NameMap())) << pdf.Text(0).toStdString();
    // The frame runs 1 mm outside the margins: at 19 mm from the left edge.
    const QImage page = pdf.Page(0, 200);
    const int frameX = int(std::lround(19 / 25.4 * 200));
    EXPECT_GT(printtest::DarkPixels(page, QRect(frameX - 2, 300, 5, 1000)), 900);
    EXPECT_EQ(printtest::DarkPixels(page, QRect(frameX - 40, 300, 20, 1000)), 0);
}

TEST_F(PrintMapJobTest, OnePageOfTheGridAndTheLayoutSheet) {
    const QString one = Out("лист.pdf"), sheet = Out("макет.pdf");
    ASSERT_EQ(Run(QStringLiteral("--region all --mashtab 5000 --page 2 1 ") + kCity +
                  QLatin1Char(' ') + one),
              1);
    EXPECT_TRUE(TPdf(one).Text(0).contains(QStringLiteral("2:1")));
    ASSERT_EQ(Run(QStringLiteral("--region all --mashtab 5000 --layout-sheet --landscape ") +
                  kCity + QLatin1Char(' ') + sheet),
              1);
    TPdf pdf(sheet);
    ASSERT_EQ(pdf.doc.pageCount(), 1);
    EXPECT_GT(pdf.doc.pagePointSize(0).width(), pdf.doc.pagePointSize(0).height());
    EXPECT_TRUE(pdf.Text(0).contains(QStringLiteral("Макет распечатки карты масштаба 1:5000")))
        << pdf.Text(0).toStdString();
}

TEST_F(PrintMapJobTest, APageOutsideTheGridWritesNoFile) {
    const QString out = Out("нет.pdf");
    QString error;
    const auto job = ParseJob(Args(QStringLiteral("--region all --mashtab 5000 --page 40 1 ") +
                                   kCity + QLatin1Char(' ') + out),
                              error);
    ASSERT_TRUE(job);
    mapview::TDataMap map;
    EXPECT_FALSE(printmap::RunJob(*job, map, error));
    EXPECT_TRUE(error.contains(QStringLiteral("40:1"))) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(out));
}
