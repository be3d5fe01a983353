// The map's printing on pictures of the page: metrics, page plans, decorations at their true
// sizes, what a page shows, and jobs that are refused before anything is printed.
#include "PrintTestSupport.h"

#include "mapdata/OrbHugeBitmap.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace printtest;

namespace {

constexpr TColor kRed = 0x0000FF;

struct TScreenState {
    double Scale;
    float X, Y;
    const tsivor::mapview::TMapTransform* Transform;
    QImage Frame;
    bool operator==(const TScreenState& o) const {
        return Scale == o.Scale && X == o.X && Y == o.Y && Transform == o.Transform &&
               Frame == o.Frame;
    }
};

TScreenState Screen(TPrintMap& m) {
    return {m.map.Scale(), m.map.XWind(), m.map.YWind(), &m.map.Transform(), m.Frame().copy()};
}

// The first run of dark pixels on row y from x on: its start and length.
std::pair<int, int> DarkRun(const QImage& img, int y, int x) {
    auto dark = [&](int px) {
        const QRgb c = img.pixel(px, y);
        return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
    };
    while (x < img.width() && !dark(x)) ++x;
    int end = x;
    while (end < img.width() && dark(end)) ++end;
    return {x, end - x};
}

class MapPrintTest : public ::testing::Test {
protected:
    TPrintMap m;
    TMapPrint print{m.map};
    TPicturePages pages{A4Pixels(), kDpi};
    TPrinterMetrics Metrics() const {
        return ComputePrinterMetrics(print.PrinterSettings(), A4Pixels(), kDpi, kDpi);
    }
    std::optional<TPrintPlan> Plan() {
        QString error;
        auto plan = print.Plan(Metrics(), error);
        EXPECT_TRUE(plan) << error.toStdString();
        return plan;
    }
    bool Print(bool layout = false) {
        QString error;
        const bool ok = print.PrintPages(pages, layout, &error);
        EXPECT_TRUE(ok) << error.toStdString();
        return ok;
    }
    // Refused before anything is drawn, with a message, and the screen as it was.
    void ExpectRefused(const char* what) {
        const TScreenState before = Screen(m);
        pages.BeginCount = 0;
        pages.Pages.clear();
        QString error;
        EXPECT_FALSE(print.PrintPages(pages, false, &error)) << what;
        EXPECT_FALSE(error.isEmpty()) << what;
        EXPECT_EQ(pages.BeginCount, 0) << what;
        EXPECT_TRUE(pages.Pages.empty()) << what;
        EXPECT_FALSE(print.Printing());
        EXPECT_TRUE(Screen(m) == before) << what;
    }
};

} // namespace

TEST(PrinterMetrics, A4At600Dpi) {
    const tOrbMapPrinterSettings s;
    const TPrinterMetrics m = ComputePrinterMetrics(s, QSize(4960, 7014), 600, 600);
    EXPECT_NEAR(m.PixPerMm, 23.622, 0.001);
    EXPECT_EQ(m.LeftPx, 472);
    EXPECT_EQ(m.RightPx, 236);
    EXPECT_EQ(m.TopPx, 236);
    EXPECT_EQ(m.BottomPx, 472);
    EXPECT_EQ(m.AreaWidth, 4228);
    EXPECT_EQ(m.AreaHeight, 6282);
}

TEST(PrinterSettings, DefaultsAndTheCustomScaleRule) {
    tOrbMapPrinterSettings s;
    EXPECT_EQ(s.LeftMargin, 20);
    EXPECT_EQ(s.BottomMargin, 20);
    EXPECT_FLOAT_EQ(s.BorderWidth, 0.5f);
    EXPECT_EQ(s.TitleFont.pointSize(), 13);
    EXPECT_EQ(s.MashtabFont.pointSize(), 11);
    EXPECT_EQ(s.PrintRegion, CurrentEkran);
    EXPECT_EQ(s.MashtabPrint, S_x1);
    EXPECT_TRUE(s.ShowDialogPrint);
    EXPECT_DOUBLE_EQ(s.PixelSize, 0.2);
    s.SetCustomMashtab(-5); // ignored
    EXPECT_EQ(s.CustomMashtab(), 0);
    EXPECT_EQ(s.MashtabPrint, S_x1);
    s.SetCustomMashtab(0); // unchanged: ignored
    EXPECT_EQ(s.MashtabPrint, S_x1);
    s.SetCustomMashtab(5000);
    EXPECT_EQ(s.CustomMashtab(), 5000);
    EXPECT_EQ(s.MashtabPrint, S_Custom);
}

TEST_F(MapPrintTest, TheMapsScaleIsCopiedIntoTheCustomScale) {
    print.PrinterSettings().MashtabPrint = S_x1;
    m.map.SetMashtab(2000);
    EXPECT_EQ(print.PrinterSettings().CustomMashtab(), 2000);
    EXPECT_EQ(print.PrinterSettings().MashtabPrint, S_Custom);
}

TEST_F(MapPrintTest, ScreenRegionWindowsForTheThreeScales) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.MashtabPrint = S_x1;
    const QPointF c = m.map.GetViewCenter();
    auto plan = Plan();
    ASSERT_EQ(plan->Pages.size(), 1u);
    const QRectF x1 = plan->Pages[0].Window;
    EXPECT_EQ(x1.center(), c);
    EXPECT_EQ(x1.width(), 2 * std::nearbyint(Metrics().AreaWidth / Metrics().PixPerMm / 2));

    s.SetCustomMashtab(5000); // the map is 1:1000: five times as wide
    plan = Plan();
    EXPECT_EQ(plan->Pages[0].Window.width(),
              2 * std::nearbyint(Metrics().AreaWidth / Metrics().PixPerMm / 2 * 5));
    EXPECT_EQ(plan->Pages[0].Window.center(), c);

    s.MashtabPrint = S_Current;
    m.map.SetScale(200); // 400 pixels show 200 units
    plan = Plan();
    const QRectF w = plan->Pages[0].Window;
    EXPECT_FLOAT_EQ(float(w.left()), m.map.XWind());
    EXPECT_FLOAT_EQ(float(w.top()), m.map.YWind());
    EXPECT_FLOAT_EQ(float(w.width()), 200.f);
    EXPECT_NEAR(w.height(), 200.0 * Metrics().AreaHeight / Metrics().AreaWidth, 1e-3);
}

TEST_F(MapPrintTest, WholeMapPagesRunLeftToRightThenDown) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.PrintRegion = AllMap;
    s.MashtabPrint = S_x1;
    auto plan = Plan();
    // 179 × 266 units a page over the 390 × 290 of the blocks.
    EXPECT_EQ(plan->PageW, 179);
    EXPECT_EQ(plan->PageH, 266);
    EXPECT_EQ(plan->Columns, 3);
    EXPECT_EQ(plan->Rows, 2);
    ASSERT_EQ(plan->Pages.size(), 6u);
    EXPECT_EQ(plan->Pages[1].Column, 2);
    EXPECT_EQ(plan->Pages[1].Row, 1);
    EXPECT_EQ(plan->Pages[3].Column, 1);
    EXPECT_EQ(plan->Pages[3].Row, 2);
    EXPECT_EQ(plan->Pages[4].Window.topLeft(), QPointF(5 + 179, 5 + 266));

    s.PageX = 2;
    s.PageY = 1;
    ASSERT_TRUE(Print());
    EXPECT_EQ(pages.Pages.size(), 1u);
    EXPECT_EQ(print.PagesPrinted(), 1);
    s.PageX = 3;
    s.PageY = 0; // a zero prints them all
    ASSERT_TRUE(Print());
    EXPECT_EQ(pages.Pages.size(), 6u);
}

TEST_F(MapPrintTest, TheMapAreaIsThePaperLessMarginsAndFrame) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.PaperColor = kRed;
    s.SetCustomMashtab(10000); // the blocks take 40 × 30 mm in the middle
    ASSERT_TRUE(Print());
    ASSERT_EQ(pages.Pages.size(), 1u);
    const auto box = ColourBox(pages.Pages[0], kRed);
    ASSERT_TRUE(box);
    const double tolerance = 0.3; // mm: a pixel at 200 dpi is 0.127 mm
    EXPECT_NEAR(Mm(box->left()), 20.5, tolerance);
    EXPECT_NEAR(Mm(box->top()), 10.5, tolerance);
    EXPECT_NEAR(Mm(box->right() + 1), 210 - 10.5, tolerance);
    EXPECT_NEAR(Mm(box->bottom() + 1), 297 - 20.5, tolerance);
    // The blocks at 1:10000: 390 m of them are 39 mm on paper.
    std::optional<QRect> first = ColourBox(pages.Pages[0], 0x00C03020);
    std::optional<QRect> last =
        ColourBox(pages.Pages[0], TColor(0x20 + 7 * 0x18) | (TColor(0x30 + 5 * 0x20) << 8) |
                                      (TColor(0xC0 - 7 * 0x10) << 16));
    ASSERT_TRUE(first && last);
    EXPECT_NEAR(Mm(last->right() + 1 - first->left()), 39.0, tolerance);
    EXPECT_NEAR(Mm(last->bottom() + 1 - first->top()), 29.0, tolerance);
    EXPECT_NEAR(print.LastK(), 0.1, 0.001);
}

TEST_F(MapPrintTest, ScaleBarSegmentsAreTenMillimetresOfTheirGroundLength) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.SetCustomMashtab(10000);
    ASSERT_TRUE(Print());
    const QImage& page = pages.Pages[0];
    const TPrinterMetrics mt = print.Metrics();
    const int m1 = int(std::nearbyint(mt.PixPerMm));
    const int y = mt.PageHeight + m1 - mt.BottomPx + int(std::nearbyint(mt.PixPerMm)); // mid-bar
    // Outlines are drawn with the frame's 0.5 mm pen, half of it outside the segments.
    const double pen = 0.5, tolerance = 0.2;
    const auto [start, length] = DarkRun(page, y, 0);
    // The bar ends 1 mm right of the right margin and is 80 mm long.
    EXPECT_NEAR(Mm(start) + pen / 2, 210 - 10 + 1 - 80, tolerance);
    EXPECT_NEAR(Mm(length) - pen, 10, tolerance); // the first, black segment
    // Segments are hollow and solid by turns: the third one starts 20 mm on.
    const auto [third, thirdLength] = DarkRun(page, y, start + length + m1);
    EXPECT_NEAR(Mm(third - start), 20, tolerance);
    EXPECT_NEAR(Mm(third + thirdLength - start) - pen, 30, tolerance);
    // The right side of the last, hollow segment.
    const auto [last, lastLength] = DarkRun(page, y, start + int(std::lround(75 * kDpi / 25.4)));
    EXPECT_NEAR(Mm(last - start) + Mm(lastLength) / 2 - pen / 2, 80, 0.3); // 8 whole-pixel segments
}

TEST_F(MapPrintTest, TitleAndFrameFollowTheirSettings) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.SetCustomMashtab(10000);
    print.FPrintTitle = QStringLiteral("Заречинск");
    ASSERT_TRUE(Print());
    const TPrinterMetrics mt = print.Metrics();
    const QRect titleBand(mt.LeftPx, 0, 800, mt.TopPx - 2 * int(std::nearbyint(mt.PixPerMm)));
    const QRect frameColumn(mt.LeftPx - 12, mt.TopPx + 100, 8, 400);
    EXPECT_GT(DarkPixels(pages.Pages[0], titleBand), 100);
    EXPECT_GT(DarkPixels(pages.Pages[0], frameColumn), 300);

    s.Title = false;
    s.Border = false;
    ASSERT_TRUE(Print());
    EXPECT_EQ(DarkPixels(pages.Pages[0], titleBand), 0);
    EXPECT_EQ(DarkPixels(pages.Pages[0], frameColumn), 0);

    // A title higher than the top margin is left out; the map is printed.
    s.Title = true;
    s.TopMargin = 3;
    ASSERT_TRUE(Print());
    EXPECT_EQ(DarkPixels(pages.Pages[0], QRect(0, 0, 1654, 30)), 0);
    EXPECT_TRUE(ColourBox(pages.Pages[0], 0x00C03020));
}

TEST_F(MapPrintTest, AWholeMapPageShowsWhatAnExportOfItsRectangleShows) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.PrintRegion = AllMap;
    s.MashtabPrint = S_x1;
    s.PageX = 2;
    s.PageY = 1;
    ASSERT_TRUE(Print());
    const auto plan = Plan();
    QRectF window;
    for (const TPrintPage& p : plan->Pages)
        if (p.Column == 2 && p.Row == 1) window = p.Window;
    const TPrinterMetrics mt = print.Metrics();
    const double scale = print.LastK() * mt.PixPerMm * 100;
    const QImage exported =
        m.map.Render().RenderImage(float(window.left()), float(window.top()), float(window.right()),
                                   float(window.bottom()), scale);
    const QImage& page = pages.Pages[0];
    const int left = mt.LeftPx + int(std::nearbyint(0.5 * mt.PixPerMm));
    const int top = mt.TopPx + int(std::nearbyint(0.5 * mt.PixPerMm));
    int same = 0, total = 0;
    for (int y = 0; y < exported.height() && top + y < page.height(); y += 3)
        for (int x = 0; x < exported.width() && left + x < mt.PageWidth - mt.RightPx; x += 3) {
            ++total;
            if (exported.pixel(x, y) == page.pixel(left + x, top + y)) ++same;
        }
    ASSERT_GT(total, 10000);
    EXPECT_GT(double(same) / total, 0.99) << same << " of " << total;
}

TEST_F(MapPrintTest, OutlinesOnlyLeaveTheInsideOnThePaper) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.SetCustomMashtab(2000);
    s.PaperColor = kRed;
    s.ConturOnly = true;
    ASSERT_TRUE(Print());
    // The first block's outline is in its colour, its inside on the paper.
    const auto outline = ColourBox(pages.Pages[0], 0x00C03020);
    ASSERT_TRUE(outline);
    EXPECT_EQ(PixelColor(pages.Pages[0], outline->center().x(), outline->center().y()), kRed);
    s.ConturOnly = false;
    ASSERT_TRUE(Print());
    EXPECT_EQ(ColourBox(pages.Pages[0], 0x00C03020), outline);
    EXPECT_EQ(PixelColor(pages.Pages[0], outline->center().x(), outline->center().y()),
              0x00C03020u);
}

TEST_F(MapPrintTest, ThePrinterTransformIsSwappedInForThePageAndPutBack) {
    const TScreenState before = Screen(m);
    std::vector<QPointF> seen;
    m.map.Render().Painter().OnPaintObject = [&](const auto&, uint8_t&, QPen&, QBrush&) {
        float x = 5, y = 5;
        m.map.MapToScreen(x, y);
        seen.emplace_back(x, y);
    };
    print.PrinterSettings().SetCustomMashtab(10000);
    ASSERT_TRUE(Print());
    ASSERT_FALSE(seen.empty());
    // During the page the map converts to printer pixels, not screen pixels.
    float sx = 5, sy = 5;
    m.map.Viewport().MapToScreen(sx, sy);
    EXPECT_NE(seen[0], QPointF(sx, sy));
    EXPECT_GT(seen[0].x(), print.Metrics().LeftPx);
    m.map.Render().Painter().OnPaintObject = {};
    EXPECT_TRUE(Screen(m) == before);
}

TEST_F(MapPrintTest, AFailingDrawingLeavesNoPagesAndTheScreenAsItWas) {
    const TScreenState before = Screen(m);
    m.map.Render().Painter().OnPaintObject = [&](const auto&, uint8_t&, QPen&, QBrush&) {
        throw std::runtime_error("сбой");
    };
    QString error;
    EXPECT_FALSE(print.PrintPages(pages, false, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("сбой")));
    EXPECT_TRUE(pages.Pages.empty());
    EXPECT_FALSE(print.Printing());
    m.map.Render().Painter().OnPaintObject = {};
    EXPECT_TRUE(Screen(m) == before);
}

TEST_F(MapPrintTest, LayoutSheetShowsThePageGridOnOnePage) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    ASSERT_TRUE(Print(true)); // screen region: nothing, and no job begun
    EXPECT_EQ(pages.BeginCount, 0);
    s.PrintRegion = AllMap;
    s.MashtabPrint = S_x1;
    s.NumberDom = true;
    ASSERT_TRUE(Print(true));
    ASSERT_EQ(pages.Pages.size(), 1u);
    EXPECT_TRUE(s.NumberDom); // put back
    // The whole map fits the area's width; the frame between columns 1 and 2 crosses the
    // blocks' row at 179 units from the left.
    const TPrinterMetrics mt = print.Metrics();
    const double k2 = print.LastK();
    const int x = mt.LeftPx + int(std::nearbyint(0.5 * mt.PixPerMm)) +
                  int(std::nearbyint(179 * k2 * mt.PixPerMm));
    const int y = mt.TopPx + int(std::nearbyint(150 * k2 * mt.PixPerMm));
    EXPECT_GT(DarkPixels(pages.Pages[0], QRect(x - 2, y - 20, 5, 40)), 20);
}

TEST_F(MapPrintTest, RefusedJobsPrintNothing) {
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.SetCustomMashtab(0); // 1:0
    EXPECT_EQ(s.MashtabPrint, S_Custom);
    ExpectRefused("scale 0");
    s.SetCustomMashtab(-100);
    EXPECT_EQ(s.CustomMashtab(), 0);
    ExpectRefused("negative scale");

    s.MashtabPrint = S_x1;
    s.LeftMargin = 150;
    s.RightMargin = 100;
    ExpectRefused("margins wider than the paper");
    s.LeftMargin = 20;
    s.RightMargin = 10;
    s.BottomMargin = -5;
    ExpectRefused("negative margin");
    s.BottomMargin = 20;

    s.PrintRegion = AllMap;
    s.PageX = 4; // of 3 columns
    s.PageY = 1;
    ExpectRefused("page outside the grid");
    s.PageX = 1;
    s.PageY = -1;
    ExpectRefused("negative page");
}

TEST_F(MapPrintTest, MissingPrinterAndUnwritableFileAreReported) {
    const TScreenState before = Screen(m);
    QPrinter missing;
    missing.setPrinterName(QStringLiteral("Нет такого принтера"));
    TPrinterTarget target(missing);
    QString error;
    EXPECT_FALSE(print.PrintPages(target, false, &error));
    EXPECT_FALSE(error.isEmpty());

    QTemporaryDir dir;
    // A folder where the file should be (unwritable also for the superuser), and a folder
    // that does not exist.
    const QString folder = dir.filePath(QStringLiteral("карта.pdf"));
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& out : {folder, dir.filePath(QStringLiteral("нет/такой/папки/карта.pdf"))}) {
        QPrinter pdf;
        SetUpPdfPrinter(pdf, out, 150);
        TPrinterTarget file(pdf);
        error.clear();
        EXPECT_FALSE(print.PrintPages(file, false, &error));
        EXPECT_TRUE(error.contains(out)) << error.toStdString();
        EXPECT_FALSE(QFileInfo(out).isFile());
    }
    EXPECT_TRUE(Screen(m) == before);
}

TEST_F(MapPrintTest, TheRasterLayerIsPrintedUnderOrOverTheObjectsButNotInOutlines) {
    QImage red(8, 6, QImage::Format_RGB32);
    red.fill(QColor(255, 0, 0));
    tsivor::mapdata::TOrbHugeBitmap layer;
    ASSERT_TRUE(layer.AddTile(QStringLiteral("plan"), red, 0, 0, 400, 300));
    layer.SetEnabled(true);
    m.map.SetScanMap(&layer);
    tOrbMapPrinterSettings& s = print.PrinterSettings();
    s.SetCustomMashtab(2000);
    ASSERT_TRUE(Print());
    const auto block = ColourBox(pages.Pages[0], 0x00C03020);
    ASSERT_TRUE(block);
    const QPoint centre = block->center(), gap(block->right() + 6, block->center().y());
    EXPECT_EQ(PixelColor(pages.Pages[0], centre.x(), centre.y()), 0x00C03020u);
    EXPECT_EQ(PixelColor(pages.Pages[0], gap.x(), gap.y()), kRed); // the plan between the blocks

    layer.SetLayerType(tsivor::mapdata::orbFront);
    ASSERT_TRUE(Print());
    EXPECT_EQ(PixelColor(pages.Pages[0], centre.x(), centre.y()), kRed);

    s.ConturOnly = true;
    ASSERT_TRUE(Print());
    EXPECT_EQ(PixelColor(pages.Pages[0], gap.x(), gap.y()), 0x00FFFFFFu); // the paper
    m.map.SetScanMap(nullptr);
}
