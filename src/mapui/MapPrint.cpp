#include "mapui/MapPrint.h"

#include "mapdata/Rounding.h"
#include "mapui/OrbMapPrint.h"
#include "mapview/DrawPrimitives.h"

#include <QFontMetrics>

#include <cmath>
#include <stdexcept>

namespace tsivor::mapui {

using mapdata::RoundToInt;

namespace {

// The map draws through the printer's transform while one of these lives.
class TTransformSwap {
public:
    TTransformSwap(mapview::TDataMap& map, const mapview::TMapTransform& t)
        : FMap(map), FSaved(&map.Transform()) {
        FMap.SetTransform(&t);
    }
    ~TTransformSwap() { FMap.SetTransform(FSaved); }
    TTransformSwap(const TTransformSwap&) = delete;
    TTransformSwap& operator=(const TTransformSwap&) = delete;

private:
    mapview::TDataMap& FMap;
    const mapview::TMapTransform* FSaved;
};

// Sets a value for a scope and puts the old one back.
template <class T> class TValueScope {
public:
    TValueScope(T& target, T value) : FTarget(target), FSaved(target) { FTarget = value; }
    ~TValueScope() { FTarget = FSaved; }
    TValueScope(const TValueScope&) = delete;
    TValueScope& operator=(const TValueScope&) = delete;

private:
    T& FTarget;
    T FSaved;
};

class TPainterState {
public:
    explicit TPainterState(QPainter& p) : FPainter(p) { FPainter.save(); }
    ~TPainterState() { FPainter.restore(); }
    TPainterState(const TPainterState&) = delete;
    TPainterState& operator=(const TPainterState&) = delete;

private:
    QPainter& FPainter;
};

QFont PrinterFont(const QString& family, int points) {
    mapview::InstallMapFontSubstitutes();
    QFont f(family);
    f.setPointSize(points);
    return f;
}

// Text whose top-left corner is (x, y), as the old canvas placed text.
void TextAt(QPainter& canvas, int x, int y, const QString& text) {
    const QFontMetrics fm(canvas.font(), canvas.device());
    canvas.drawText(x, y + fm.ascent(), text);
}

} // namespace

TPrinterMetrics ComputePrinterMetrics(const tOrbMapPrinterSettings& s, QSize page, int dpiX,
                                      int dpiY) {
    TPrinterMetrics m;
    m.DpiX = dpiX;
    m.DpiY = dpiY;
    m.PixPerMm = float(dpiX / 25.4);
    const double ppm = m.PixPerMm;
    m.LeftPx = RoundToInt(s.LeftMargin * ppm);
    m.RightPx = RoundToInt(s.RightMargin * ppm);
    m.TopPx = RoundToInt(s.TopMargin * ppm);
    m.BottomPx = RoundToInt(s.BottomMargin * ppm);
    const int b2 = RoundToInt(s.BorderWidth * ppm * 2);
    m.BorderPx = RoundToInt(s.BorderWidth * ppm);
    m.PageWidth = page.width();
    m.PageHeight = page.height();
    m.AreaWidth = m.PageWidth - m.LeftPx - m.RightPx - b2;
    m.AreaHeight = m.PageHeight - m.TopPx - m.BottomPx - b2;
    return m;
}

TMapPrint::TMapPrint(mapview::TDataMap& map) : FMap(map) {
    // As if the map in it now had been loaded with the settings present.
    FSettings.SetCustomMashtab(FMap.Mashtab());
    FMap.MashtabToPrinter = [this](int32_t v) { FSettings.SetCustomMashtab(v); };
}

TMapPrint::~TMapPrint() {
    FMap.MashtabToPrinter = {};
}

bool TMapPrint::PrintMap(TPrintTarget& target, QString* error) {
    FPrintTitle = FMap.NameMap();
    if (!FSettings.ShowDialogPrint) return PrintPages(target, false, error);
    switch (ShowPrintDialog()) {
    case 1:
        return PrintPages(target, false, error);
    case 2:
        return PrintPages(target, true, error);
    default:
        return true;
    }
}

int TMapPrint::ShowPrintDialog() {
    if (DialogRunner) return DialogRunner(FSettings, FPrintTitle);
    TOrbMapPrint dialog(FSettings, Printer, DialogParent);
    switch (dialog.Execute(FPrintTitle)) {
    case TOrbMapPrint::mrOk:
        return 1;
    case TOrbMapPrint::mrYes:
        return 2;
    default:
        return 0;
    }
}

double TMapPrint::ScaleFactor() const {
    return double(FSettings.CustomMashtab()) / FMap.Mashtab();
}

void TMapPrint::UpdatePrinterMetrics(const TPrintTarget& target) {
    FMetrics = ComputePrinterMetrics(FSettings, target.PageSize(), target.DpiX(), target.DpiY());
}

QRect TMapPrint::AreaRect() const {
    const TPrinterMetrics& m = FMetrics;
    const int left = m.LeftPx + m.BorderPx, top = m.TopPx + m.BorderPx;
    return QRect(left, top, m.PageWidth - m.RightPx - m.BorderPx - left,
                 m.PageHeight - m.BottomPx - m.BorderPx - top);
}

std::optional<TPrintPlan> TMapPrint::Plan(const TPrinterMetrics& m, QString& error) const {
    const tOrbMapPrinterSettings& s = FSettings;
    if (s.LeftMargin < 0 || s.RightMargin < 0 || s.TopMargin < 0 || s.BottomMargin < 0 ||
        !(s.BorderWidth >= 0)) {
        error = QStringLiteral("Поля листа и толщина рамки не могут быть отрицательными");
        return std::nullopt;
    }
    if (m.PixPerMm <= 0 || m.PageWidth <= 0 || m.PageHeight <= 0) {
        error = QStringLiteral("Принтер не сообщил размер листа");
        return std::nullopt;
    }
    if (m.AreaWidth <= 0 || m.AreaHeight <= 0) {
        error = QStringLiteral("Поля листа (%1 + %2 мм по ширине, %3 + %4 мм по высоте) "
                               "больше листа бумаги: для карты не остаётся места")
                    .arg(s.LeftMargin)
                    .arg(s.RightMargin)
                    .arg(s.TopMargin)
                    .arg(s.BottomMargin);
        return std::nullopt;
    }
    const int32_t mashtab = FMap.Mashtab();
    const bool custom = s.MashtabPrint == S_Custom && mashtab != 0;
    if (custom && s.CustomMashtab() <= 0) {
        error = QStringLiteral("Не задан масштаб печати: 1:%1").arg(s.CustomMashtab());
        return std::nullopt;
    }
    const double aw = m.AreaWidth / double(m.PixPerMm), ah = m.AreaHeight / double(m.PixPerMm);
    const double vw = FMap.Viewport().Width() * 100.0 / FMap.Scale();
    if (s.MashtabPrint == S_Current && !(vw > 0)) {
        error = QStringLiteral("Окно карты не имеет размера: печать \"как на экране\" невозможна");
        return std::nullopt;
    }
    const double f = custom ? ScaleFactor() : 1.0;
    // A page's size in map units.
    double pw = 0, ph = 0;
    if (s.MashtabPrint == S_Current) {
        pw = vw;
        ph = vw * m.AreaHeight / m.AreaWidth;
    } else {
        pw = aw * f;
        ph = ah * f;
    }

    TPrintPlan plan;
    if (s.PrintRegion == CurrentEkran) {
        QRectF window;
        if (s.MashtabPrint == S_Current) {
            window = QRectF(FMap.XWind(), FMap.YWind(), pw, ph);
        } else {
            const QPointF c = FMap.GetViewCenter();
            const int hw = RoundToInt(pw / 2), hh = RoundToInt(ph / 2);
            window = QRectF(QPointF(c.x() - hw, c.y() - hh), QPointF(c.x() + hw, c.y() + hh));
        }
        if (!(window.width() > 0 && window.height() > 0)) {
            error = QStringLiteral("Масштаб печати слишком крупный: на листе не помещается ни "
                                   "одной единицы карты");
            return std::nullopt;
        }
        plan.Pages.push_back({1, 1, window});
        plan.PageW = window.width();
        plan.PageH = window.height();
        return plan;
    }

    if (FMap.ObjectCount() == 0) {
        error = QStringLiteral("На карте нет объектов: печатать нечего");
        return std::nullopt;
    }
    pw = RoundToInt(pw);
    ph = RoundToInt(ph);
    // A page of less than one map unit would never finish the grid.
    if (pw < 1 || ph < 1) {
        error = QStringLiteral("Масштаб печати слишком крупный: лист меньше одной единицы карты");
        return std::nullopt;
    }
    const mapdata::TMapExtent& e = FMap.MapExtent();
    plan.Extent = e;
    plan.PageW = pw;
    plan.PageH = ph;
    plan.Columns = std::max(1, int(std::ceil((double(e.MaxX) - e.MinX) / pw)));
    plan.Rows = std::max(1, int(std::ceil((double(e.MaxY) - e.MinY) / ph)));
    if (double(plan.Columns) * plan.Rows > 10000) {
        error = QStringLiteral("Слишком много листов (%1 × %2): выберите более мелкий масштаб")
                    .arg(plan.Columns)
                    .arg(plan.Rows);
        return std::nullopt;
    }
    const bool one = s.PageX != 0 && s.PageY != 0;
    if (one && (s.PageX < 0 || s.PageY < 0 || s.PageX > plan.Columns || s.PageY > plan.Rows)) {
        error = QStringLiteral("Лист %1:%2 лежит вне карты: карта занимает %3 × %4 листов")
                    .arg(s.PageX)
                    .arg(s.PageY)
                    .arg(plan.Columns)
                    .arg(plan.Rows);
        return std::nullopt;
    }
    for (int row = 1; row <= plan.Rows; ++row)
        for (int col = 1; col <= plan.Columns; ++col) {
            if (one && (col != s.PageX || row != s.PageY)) continue;
            const double x = e.MinX + (col - 1) * pw, y = e.MinY + (row - 1) * ph;
            plan.Pages.push_back({col, row, QRectF(x, y, pw, ph)});
        }
    return plan;
}

bool TMapPrint::PrintPages(TPrintTarget& target, bool LayoutSheet, QString* error) {
    QString message;
    auto fail = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (FPrinting) return fail(QStringLiteral("Печать карты уже идёт"));
    // The layout sheet belongs to the whole map; for the screen region nothing is printed.
    if (LayoutSheet && FSettings.PrintRegion == CurrentEkran) return true;
    TValueScope<bool> printing(FPrinting, true);
    FPageColumn = FPageRow = 1;
    FPagesPrinted = 0;
    UpdatePrinterMetrics(target);
    if (FSettings.PrintRegion == AllMap) FMap.Document().RecalcExtent();
    const auto plan = Plan(FMetrics, message);
    if (!plan) return fail(message);
    if (!target.Begin(message)) return fail(message);
    try {
        if (LayoutSheet) {
            PrintLayoutSheet(target.Canvas(), *plan);
            FPagesPrinted = 1;
        } else {
            bool printed = false;
            for (const TPrintPage& page : plan->Pages) {
                if (printed && !target.NewPage())
                    throw std::runtime_error("Не удалось начать новый лист");
                FPageColumn = page.Column;
                FPageRow = page.Row;
                PrintWindow(target.Canvas(), page.Window);
                printed = true;
                ++FPagesPrinted;
            }
        }
    } catch (const std::exception& ex) {
        FPagesPrinted = 0;
        target.Abort();
        return fail(QStringLiteral("Ошибка печати: %1").arg(QString::fromUtf8(ex.what())));
    }
    if (!target.End(message)) {
        FPagesPrinted = 0;
        target.Abort();
        return fail(message);
    }
    return true;
}

void TMapPrint::PrintWindow(QPainter& canvas, const QRectF& window) {
    const TPrinterMetrics& m = FMetrics;
    const double ppm = m.PixPerMm;
    const QRectF w = window.normalized();
    const double K = std::min(m.AreaWidth / ppm / w.width(), m.AreaHeight / ppm / w.height());
    FLastK = K;
    PrintDecorations(canvas, K);

    TPainterState state(canvas);
    const QRect area = AreaRect();
    canvas.setClipRect(area);
    const QImage& texture = FSettings.PaperTexture();
    if (texture.isNull()) {
        canvas.fillRect(area, mapview::ToQColor(FSettings.PaperColor));
    } else {
        const int tw = texture.width(), th = texture.height();
        const int nx = std::max(1, RoundToInt(double(m.AreaWidth) / tw));
        const int ny = std::max(1, RoundToInt(double(m.AreaHeight) / th));
        for (int i = 0; i <= nx; ++i)
            for (int j = 0; j <= ny; ++j)
                canvas.drawImage(area.left() + i * tw, area.top() + j * th, texture);
    }

    // The printer transform: the window's corner at the map area's corner, K millimetres of
    // paper per map unit.
    mapview::TMapViewport printer;
    printer.StoreScale(K * 100);
    printer.UpdatePixelsPerUnit();
    printer.SetDeviceFactor(m.PixPerMm);
    printer.SetControlSize(QSize(m.PageWidth, m.PageHeight));
    const double k = float(printer.PixelsPerUnit() * printer.DeviceFactor());
    printer.SetOrigin(float(w.left() - area.left() / k), float(w.top() - area.top() / k));
    TTransformSwap swap(FMap, printer);
    mapview::TPrintPass pass;
    pass.ConturOnly = FSettings.ConturOnly;
    pass.NumberDom = FSettings.NumberDom;
    pass.PixelSize = FSettings.PixelSize;
    pass.Dpi = m.DpiY;
    // Objects just outside reach in with their texts and pens: 5 mm of paper around.
    const double reach = 5 / K;
    FMap.Render().DrawPrintWindow(canvas, printer, float(w.left() - reach), float(w.top() - reach),
                                  float(w.right() + reach), float(w.bottom() + reach), pass);
}

void TMapPrint::PrintDecorations(QPainter& canvas, double K) {
    const TPrinterMetrics& m = FMetrics;
    const tOrbMapPrinterSettings& s = FSettings;
    const double ppm = m.PixPerMm;
    const int m1 = RoundToInt(ppm);
    const int penWidth = RoundToInt(s.BorderWidth * ppm);
    const int32_t mashtab = FMap.Mashtab();
    TPainterState state(canvas);
    canvas.setBackgroundMode(Qt::TransparentMode);

    if (s.Border) {
        canvas.setPen(QPen(mapview::ToQColor(s.BorderColor), penWidth, Qt::SolidLine, Qt::SquareCap,
                           Qt::MiterJoin));
        canvas.setBrush(Qt::NoBrush);
        const int l = m.LeftPx - m1, t = m.TopPx - m1;
        const int r = m.PageWidth - m.RightPx + m1, b = m.PageHeight - m.BottomPx + m1;
        canvas.drawRect(QRect(l, t, r - l, b - t));
    }
    if (s.Title) {
        canvas.setFont(s.TitleFont);
        canvas.setPen(mapview::ToQColor(s.TitleColor));
        const int th = QFontMetrics(s.TitleFont, canvas.device()).height();
        const int y = m.TopPx - th - m1 - RoundToInt(ppm * s.BorderWidth);
        // A title that does not fit into the top margin is left out.
        if (y > 0) TextAt(canvas, m.LeftPx, y, FPrintTitle);
    }
    if (s.ScaleBar && mashtab != 0) {
        const int seg = RoundToInt(10 * ppm), bh = RoundToInt(2 * ppm);
        const int x0 = m.PageWidth + m1 - m.RightPx - RoundToInt(80 * ppm);
        const int y0 = m.PageHeight + m1 - m.BottomPx;
        // Ground metres of one 10 mm segment, for maps whose Mashtab is a multiple of 1000.
        const int step = RoundToInt(((mashtab / 1000) * 10) / K);
        canvas.setPen(QPen(Qt::black, penWidth));
        canvas.setBrush(Qt::black);
        canvas.setFont(PrinterFont(FMap.Options().FontSystem(), 8));
        for (int c = 0; c < 8; ++c) {
            const int x = x0 + c * seg;
            if (c % 2 == 0) {
                canvas.setBrush(Qt::black);
                canvas.drawRect(QRect(x, y0, seg, bh));
                canvas.drawLine(x, y0, x, y0 + bh + bh / 2);
                TextAt(canvas, x + 3, y0 + bh + bh / 2 + 3,
                       QString::number(c * step) + QStringLiteral("  m"));
            } else {
                canvas.setBrush(Qt::NoBrush);
                canvas.drawRect(QRect(x, y0, seg, bh));
            }
        }
    }
    if (!FLayoutSheet && s.Mashtab && mashtab != 0) {
        const int n = RoundToInt(mashtab / K / 100) * 100;
        const QString text = QStringLiteral("1:%1").arg(n);
        canvas.setFont(s.MashtabFont);
        canvas.setPen(mapview::ToQColor(s.MashtabColor));
        const QFontMetrics fm(s.MashtabFont, canvas.device());
        const int y = m.PageHeight + RoundToInt(11 * ppm) - m.BottomPx;
        const int x = m.PageWidth / 2 - fm.horizontalAdvance(text) / 2;
        if (y + fm.height() < m.PageHeight) TextAt(canvas, x, y, text);
    }
    if (s.PrintRegion == AllMap) {
        const QString text = QStringLiteral("%1:%2").arg(FPageColumn).arg(FPageRow);
        // Measured in the font the decorations above left on the canvas.
        const int width = QFontMetrics(canvas.font(), canvas.device()).horizontalAdvance(text);
        const int y = m.PageHeight + RoundToInt(11 * ppm) - m.BottomPx;
        const int x = m.RightPx - width;
        canvas.setFont(PrinterFont(QStringLiteral("Arial"), 8));
        canvas.setPen(Qt::black);
        const int h = QFontMetrics(canvas.font(), canvas.device()).height();
        if (y + h < m.PageHeight) TextAt(canvas, x, y, text);
    }
}

void TMapPrint::PrintLayoutSheet(QPainter& canvas, const TPrintPlan& plan) {
    const TPrinterMetrics& m = FMetrics;
    const double ppm = m.PixPerMm;
    const mapdata::TMapExtent& e = plan.Extent;
    TValueScope<bool> numbers(FSettings.NumberDom, false);
    TValueScope<bool> sheet(FLayoutSheet, true);

    {
        TPainterState state(canvas);
        const double k1 = m.AreaWidth / ppm / plan.PageW;
        const int n = RoundToInt(FMap.Mashtab() / k1 / 100) * 100;
        const QString caption = QStringLiteral("Макет распечатки карты масштаба 1:%1").arg(n);
        // The caption's own font; the settings' scale font stays as the user chose it.
        QFont font = FSettings.MashtabFont;
        font.setFamily(QStringLiteral("Arial Cyr"));
        font.setPointSize(14);
        canvas.setFont(font);
        canvas.setPen(Qt::black);
        const int w = QFontMetrics(font, canvas.device()).horizontalAdvance(caption);
        TextAt(canvas, m.PageWidth / 2 - w / 2, m.PageHeight + RoundToInt(7 * ppm) - m.BottomPx,
               caption);
    }

    FPageColumn = FPageRow = 1;
    const QRectF whole(QPointF(e.MinX, e.MinY), QPointF(e.MaxX, e.MaxY));
    PrintWindow(canvas, whole.width() > 0 && whole.height() > 0
                            ? whole
                            : QRectF(e.MinX, e.MinY, plan.PageW, plan.PageH));
    const double k2 = FLastK;

    TPainterState state(canvas);
    const QRect area = AreaRect();
    canvas.setClipRect(area);
    const int pen = RoundToInt(0.17 * ppm);
    const QFont numberFont = PrinterFont(QStringLiteral("Arial"), 9);
    for (int row = 1; row <= plan.Rows; ++row)
        for (int col = 1; col <= plan.Columns; ++col) {
            const double x = e.MinX + (col - 1) * plan.PageW, y = e.MinY + (row - 1) * plan.PageH;
            auto dev = [&](double v, double origin, int offset) {
                return offset + RoundToInt((v - origin) * k2 * ppm);
            };
            const QPoint a(dev(x, e.MinX, area.left()), dev(y, e.MinY, area.top()));
            const QPoint b(dev(x + plan.PageW, e.MinX, area.left()),
                           dev(y + plan.PageH, e.MinY, area.top()));
            canvas.setPen(QPen(Qt::black, pen));
            canvas.setBrush(Qt::NoBrush);
            canvas.drawRect(QRect(a, b - QPoint(1, 1)));
            QString label;
            if (row == 1)
                label = QString::number(col);
            else if (col == 1)
                label = QString::number(row);
            if (label.isEmpty()) continue;
            canvas.setFont(numberFont);
            const QFontMetrics fm(numberFont, canvas.device());
            const QRect box(a.x() + pen, a.y() + pen, fm.horizontalAdvance(label), fm.height());
            canvas.fillRect(box, Qt::white);
            TextAt(canvas, box.left(), box.top(), label);
        }
}

} // namespace tsivor::mapui
