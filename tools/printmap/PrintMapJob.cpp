#include "PrintMapJob.h"

#include "MapPictureJob.h"
#include "ToolArguments.h"

#include <QPageLayout>
#include <QPrinter>

namespace tsivor::printmap {

QString UsageText() {
    return QStringLiteral(
        "Использование: tsivor-print-map [параметры] КАРТА ВЫХОДНОЙ_ФАЙЛ.pdf\n"
        "  --plain            файл карты без внешней оболочки\n"
        "  --region screen|all  текущий экран на одном листе или вся карта по листам\n"
        "  --mashtab N        масштаб печати 1:N (иначе масштаб карты)\n"
        "  --as-screen        масштаб как на экране (ширина экрана на лист)\n"
        "  --view X Y SCALE   экран: точка карты в левом верхнем углу и масштаб\n"
        "                     (по умолчанию вся карта)\n"
        "  --window WxH       размер окна карты в пикселях (1024x768)\n"
        "  --page C R         только лист в столбце C и строке R (для --region all)\n"
        "  --paper A4|A3      формат бумаги (A4)\n"
        "  --landscape        альбомная ориентация\n"
        "  --no-title         без заголовка\n"
        "  --no-border        без рамки\n"
        "  --no-scalebar      без масштабной линейки\n"
        "  --scale-text       подпись масштаба 1:N\n"
        "  --numbers          номера домов\n"
        "  --outlines         только контуры\n"
        "  --layout-sheet     макет распечатки (для --region all)\n"
        "  --dpi N            разрешение PDF (600)\n"
        "  --icons ФАЙЛ       библиотека значков (по умолчанию tsivor.lib рядом с картой)\n");
}

std::optional<TPrintMapJob> ParseJob(const QStringList& args, QString& error) {
    TPrintMapJob job;
    QStringList positional;
    bool screenScale = false;
    render::TToolArguments a(args);
    while (a.Next()) {
        if (a.Is("--plain")) {
            job.Plain = true;
        } else if (a.Is("--region")) {
            const QString v = a.Text().value_or(QString());
            if (v == QLatin1String("screen")) {
                job.Region = mapui::CurrentEkran;
            } else if (v == QLatin1String("all")) {
                job.Region = mapui::AllMap;
            } else {
                error = QStringLiteral("Неверная область печати: нужно screen или all");
                return std::nullopt;
            }
        } else if (a.Is("--mashtab")) {
            const auto v = a.Integer();
            if (!v || *v <= 0) {
                error = QStringLiteral("Неверный масштаб печати: нужно целое число больше нуля "
                                       "(1:N)");
                return std::nullopt;
            }
            job.ScaleMode = mapui::S_Custom;
            job.CustomMashtab = *v;
        } else if (a.Is("--as-screen")) {
            screenScale = true;
        } else if (a.Is("--view")) {
            const auto x = a.Number(), y = a.Number(), s = a.Number();
            if (!x || !y || !s || *s <= 0) {
                error = QStringLiteral("Неверный экран: нужно --view X Y МАСШТАБ, масштаб больше "
                                       "нуля");
                return std::nullopt;
            }
            job.Origin = QPointF(*x, *y);
            job.ViewScale = *s;
        } else if (a.Is("--window")) {
            const auto size = a.Size();
            if (!size) {
                error = QStringLiteral("Неверный размер окна: нужно ШxВ от 1x1 до 20000x20000");
                return std::nullopt;
            }
            job.WindowSize = *size;
        } else if (a.Is("--page")) {
            const auto c = a.Integer(), r = a.Integer();
            if (!c || !r || *c < 0 || *r < 0) {
                error = QStringLiteral("Неверный лист: нужно --page СТОЛБЕЦ СТРОКА, числа от 1");
                return std::nullopt;
            }
            job.PageX = *c;
            job.PageY = *r;
        } else if (a.Is("--paper")) {
            const QString v = a.Text().value_or(QString()).toUpper();
            if (v == QLatin1String("A4")) {
                job.Paper = QPageSize::A4;
            } else if (v == QLatin1String("A3")) {
                job.Paper = QPageSize::A3;
            } else {
                error = QStringLiteral("Неверный формат бумаги: нужно A4 или A3");
                return std::nullopt;
            }
        } else if (a.Is("--landscape")) {
            job.Landscape = true;
        } else if (a.Is("--no-title")) {
            job.Title = false;
        } else if (a.Is("--no-border")) {
            job.Border = false;
        } else if (a.Is("--no-scalebar")) {
            job.ScaleBar = false;
        } else if (a.Is("--scale-text")) {
            job.ScaleText = true;
        } else if (a.Is("--numbers")) {
            job.Numbers = true;
        } else if (a.Is("--outlines")) {
            job.Outlines = true;
        } else if (a.Is("--layout-sheet")) {
            job.LayoutSheet = true;
        } else if (a.Is("--dpi")) {
            const auto v = a.Integer();
            if (!v || *v < 72 || *v > 2400) {
                error = QStringLiteral("Неверное разрешение: нужно от 72 до 2400 точек на дюйм");
                return std::nullopt;
            }
            job.Dpi = *v;
        } else if (a.Is("--icons")) {
            job.IconFile = a.Text().value_or(QString());
            if (job.IconFile.isEmpty()) {
                error = QStringLiteral("После --icons нужно указать файл библиотеки значков");
                return std::nullopt;
            }
        } else if (a.Current().startsWith(QLatin1String("--"))) {
            error = a.UnknownOption();
            return std::nullopt;
        } else {
            positional << a.Current();
        }
    }
    if (positional.size() != 2) {
        error = QStringLiteral("Нужно указать файл карты и выходной файл PDF");
        return std::nullopt;
    }
    job.MapFile = positional[0];
    job.OutFile = positional[1];
    if (!job.OutFile.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        error = QStringLiteral("Выходной файл должен иметь расширение .pdf");
        return std::nullopt;
    }
    if (screenScale && job.ScaleMode == mapui::S_Custom) {
        error = QStringLiteral("--as-screen нельзя сочетать с --mashtab");
        return std::nullopt;
    }
    if (screenScale) job.ScaleMode = mapui::S_Current;
    if (job.LayoutSheet && job.Region != mapui::AllMap) {
        error = QStringLiteral("Макет распечатки печатается только для всей карты (--region all)");
        return std::nullopt;
    }
    return job;
}

void ApplySettings(const TPrintMapJob& job, mapui::tOrbMapPrinterSettings& s) {
    s.ShowDialogPrint = false;
    s.PrintRegion = job.Region;
    if (job.ScaleMode == mapui::S_Custom) s.SetCustomMashtab(job.CustomMashtab);
    s.MashtabPrint = job.ScaleMode;
    s.PageX = job.PageX;
    s.PageY = job.PageY;
    s.Title = job.Title;
    s.Border = job.Border;
    s.ScaleBar = job.ScaleBar;
    s.Mashtab = job.ScaleText;
    s.NumberDom = job.Numbers;
    s.ConturOnly = job.Outlines;
}

bool RunJob(const TPrintMapJob& job, mapview::TDataMap& map, QString& error, int* pages) {
    render::ApplyApplicationLook(map);
    mapdata::TOrbIcon icons;
    struct TDetach {
        mapview::TDataMap& Map;
        ~TDetach() { render::DetachIcons(Map); }
    } detach{map};
    if (!render::LoadMapWithIcons(job.MapFile, job.Plain, job.IconFile, map, icons, error))
        return false;

    // The screen the print is asked from: the window size, and the view given or the whole map.
    map.resize(job.WindowSize);
    if (job.Origin) {
        map.SetScale(job.ViewScale);
        map.SetXWind(float(job.Origin->x()));
        map.SetYWind(float(job.Origin->y()));
    } else {
        const mapdata::TMapExtent& e = map.MapExtent();
        map.ZoomToRect(e.MinX, e.MinY, e.MaxX, e.MaxY);
    }

    mapui::TMapPrint print(map);
    ApplySettings(job, print.PrinterSettings());
    QPrinter printer(QPrinter::HighResolution);
    mapui::SetUpPdfPrinter(printer, job.OutFile, job.Dpi);
    printer.setPageSize(QPageSize(job.Paper));
    printer.setPageOrientation(job.Landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    mapui::TPrinterTarget target(printer);
    print.FPrintTitle = map.NameMap();
    if (!print.PrintPages(target, job.LayoutSheet, &error)) return false;
    if (pages) *pages = print.PagesPrinted();
    return true;
}

} // namespace tsivor::printmap
