#include "MapPictureJob.h"

#include "ToolArguments.h"

#include "app/Config.h"
#include "app/MapDesign.h"
#include "app/MapZoom.h"

#include "mapdata/OrbIcon.h"
#include "mapview/MapCursors.h"
#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tsivor::render {

QString UsageText() {
    return QStringLiteral(
        "Использование: tsivor-render [параметры] КАРТА ВЫХОДНОЙ_ФАЙЛ(.png|.bmp)\n"
        "  --plain          файл карты без внешней оболочки\n"
        "  --scale S        масштаб (100 = один пиксель на единицу карты)\n"
        "  --origin X Y     точка карты в левом верхнем углу\n"
        "  --fit            вся карта в заданный размер (по умолчанию)\n"
        "  --size WxH       размер изображения в пикселях (1024x768)\n"
        "  --16bit          BMP с 16 битами на пиксель\n"
        "  --icons ФАЙЛ     библиотека значков (по умолчанию tsivor.lib рядом с картой)\n"
        "  --plain-look     без оформления программы (зелёный фон, без номеров домов)\n"
        "  --3d             объёмный вид домов при любом масштабе\n"
        "  --antialias      сглаживание линий, заливок, кривых и текстов\n"
        "  --raster ФАЙЛ X1 Y1 X2 Y2\n"
        "                   изображение (план, снимок) под картой на прямоугольнике карты;\n"
        "                   можно несколько раз; нечитаемый файл пропускается с сообщением\n"
        "  --raster-alpha N непрозрачность изображений под картой, 0..255 (255)\n");
}

std::optional<TMapPictureJob> ParseJob(const QStringList& args, QString& error) {
    TMapPictureJob job;
    QStringList positional;
    TToolArguments a(args);
    while (a.Next()) {
        if (a.Is("--plain")) {
            job.Plain = true;
        } else if (a.Is("--fit")) {
            job.Fit = true;
        } else if (a.Is("--16bit")) {
            job.Bits16 = true;
        } else if (a.Is("--plain-look")) {
            job.AppLook = false;
        } else if (a.Is("--scale")) {
            job.Scale = a.Number();
            if (!job.Scale || *job.Scale <= 0) {
                error = QStringLiteral("Неверный масштаб: нужно положительное число");
                return std::nullopt;
            }
        } else if (a.Is("--origin")) {
            const auto x = a.Number(), y = a.Number();
            if (!x || !y) {
                error = QStringLiteral("Неверная точка: нужно два числа после --origin");
                return std::nullopt;
            }
            job.Origin = QPointF(*x, *y);
        } else if (a.Is("--size")) {
            const auto size = a.Size();
            if (!size) {
                error = QStringLiteral("Неверный размер: нужно ШxВ от 1x1 до 20000x20000");
                return std::nullopt;
            }
            job.Size = *size;
        } else if (a.Is("--icons")) {
            const auto v = a.Text();
            if (!v) {
                error = QStringLiteral("После --icons нужно указать файл библиотеки значков");
                return std::nullopt;
            }
            job.IconFile = *v;
        } else if (a.Is("--3d")) {
            job.View3D = true;
        } else if (a.Is("--antialias")) {
            job.Antialias = true;
        } else if (a.Is("--raster")) {
            const auto file = a.Text();
            const auto x1 = a.Integer(), y1 = a.Integer(), x2 = a.Integer(), y2 = a.Integer();
            if (!file || !x1 || !y1 || !x2 || !y2) {
                error = QStringLiteral("После --raster нужно указать файл изображения и четыре "
                                       "целых числа X1 Y1 X2 Y2");
                return std::nullopt;
            }
            if (*x1 == *x2 || *y1 == *y2) {
                error = QStringLiteral("Прямоугольник изображения %1 на карте пуст").arg(*file);
                return std::nullopt;
            }
            job.Raster.push_back({*file, *x1, *y1, *x2, *y2});
        } else if (a.Is("--raster-alpha")) {
            const auto alpha = a.Integer();
            if (!alpha || *alpha < 0 || *alpha > 255) {
                error = QStringLiteral("Непрозрачность изображений: целое число от 0 до 255");
                return std::nullopt;
            }
            job.RasterAlpha = *alpha;
        } else if (a.Current().startsWith(QLatin1String("--"))) {
            error = a.UnknownOption();
            return std::nullopt;
        } else {
            positional << a.Current();
        }
    }
    if (positional.size() != 2) {
        error = QStringLiteral("Нужно указать файл карты и выходной файл");
        return std::nullopt;
    }
    job.MapFile = positional[0];
    job.OutFile = positional[1];
    if (job.Fit && (job.Scale || job.Origin)) {
        error = QStringLiteral("--fit нельзя сочетать с --scale и --origin");
        return std::nullopt;
    }
    if (!job.Scale && !job.Origin) job.Fit = true;
    const QString suffix = QFileInfo(job.OutFile).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("bmp")) {
        error = QStringLiteral("Выходной файл должен иметь расширение .png или .bmp");
        return std::nullopt;
    }
    return job;
}

void ApplyApplicationLook(mapview::TDataMap& map) {
    app::ApplyDesignOptions(map);
    map.Options().SetMinScaleAddress(150);
    map.Render().BackgroundColor = 237 | (211 << 8) | (174 << 16);
}

bool LoadMapWithIcons(const QString& mapFile, bool plain, const QString& iconFile,
                      mapview::TDataMap& map, mapdata::TOrbIcon& icons, QString& error) {
    // Notes show their icons from the library; without one they show the error icon.
    mapview::LoadBuiltInIcons(icons);
    QString library = iconFile;
    if (library.isEmpty()) {
        const QString beside = QFileInfo(mapFile).dir().filePath(QStringLiteral("tsivor.lib"));
        if (QFileInfo::exists(beside)) library = beside;
    }
    if (!library.isEmpty() && !icons.LoadIconLibrary(library, &error)) return false;
    map.Render().Painter().IconLookup = [&icons](const QString& lib, const QString& pic) {
        const QImage* icon = icons.GetIcon(lib, pic);
        return icon ? *icon : QImage();
    };
    if (plain) {
        QFile file(mapFile);
        if (!file.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("Не удалось открыть файл карты %1").arg(mapFile);
            return false;
        }
        map.LoadFromStream(file.readAll());
    } else if (!map.MapLoad(mapFile, &error)) {
        if (error.isEmpty()) error = QStringLiteral("Не удалось загрузить карту %1").arg(mapFile);
        return false;
    }
    if (map.ObjectCount() == 0) {
        error = QStringLiteral("В файле карты нет объектов: %1").arg(mapFile);
        return false;
    }
    return true;
}

void DetachIcons(mapview::TDataMap& map) {
    map.Render().Painter().IconLookup = {};
}

bool RunJob(const TMapPictureJob& job, mapview::TDataMap& map, QString& error,
            QStringList* warnings) {
    if (job.AppLook) ApplyApplicationLook(map);
    mapdata::TOrbIcon icons;
    struct TDetach { // the library goes away with this call
        mapview::TDataMap& Map;
        ~TDetach() { DetachIcons(Map); }
    } detach{map};
    if (!LoadMapWithIcons(job.MapFile, job.Plain, job.IconFile, map, icons, error)) return false;
    // The raster layer lives as long as this call; the map forgets it when it goes.
    mapdata::TOrbHugeBitmap raster;
    for (const TRasterTileArg& t : job.Raster) {
        QString message;
        if (raster.AddTile(t.File, t.X1, t.Y1, t.X2, t.Y2, &message)) continue;
        if (warnings)
            *warnings << message;
        else
            std::fprintf(stderr, "%s\n", message.toUtf8().constData());
    }
    if (!raster.Tiles().empty()) {
        raster.SetAlphaBlending(uint8_t(job.RasterAlpha));
        raster.SetEnabled(true);
        map.SetScanMap(&raster);
    }

    const mapdata::TMapExtent& e = map.MapExtent();
    double scale = 100;
    QPointF origin;
    const double w = job.Size.width(), h = job.Size.height();
    if (job.Fit) {
        const double dx = std::max(1e-3, double(e.MaxX - e.MinX));
        const double dy = std::max(1e-3, double(e.MaxY - e.MinY));
        scale = std::min(w * 100 / dx, h * 100 / dy);
    } else {
        scale = job.Scale.value_or(map.Scale());
    }
    if (job.Origin) {
        origin = *job.Origin;
    } else {
        // Centred on the map.
        const double cx = (e.MinX + e.MaxX) / 2.0, cy = (e.MinY + e.MaxY) / 2.0;
        origin = QPointF(cx - w * 50 / scale, cy - h * 50 / scale);
    }
    const float x0 = float(origin.x()), y0 = float(origin.y());
    const float x1 = float(origin.x() + w * 100 / scale), y1 = float(origin.y() + h * 100 / scale);
    map.Options().NotifyChange = false;
    if (job.AppLook) {
        // The application sizes house numbers with the scale and the divisor of its
        // tsivor.ini beside the map (the default divisor without one).
        app::TMasSettings mas;
        const QString ini = QFileInfo(job.MapFile).dir().filePath(QStringLiteral("tsivor.ini"));
        if (QFileInfo::exists(ini)) mas.Load(platform::TIniFile(ini));
        map.Options().SetmpNumberDomSizeFont(app::HouseNumberFontSize(scale, mas.font));
    }
    if (job.View3D) {
        map.Options().SetView3DAngle(ApplicationView3DAngle);
        map.Options().SetMinScale3D(0);
        map.Options().SetView3D(true);
    }
    if (job.Antialias) map.Options().SetAntiAliasing(mapview::orbSmoothingModeAntiAlias);
    map.Options().NotifyChange = true;
    map.Render().OptionsChanged();

    if (QFileInfo(job.OutFile).suffix().toLower() == QLatin1String("bmp"))
        return map.SaveImageToFile(job.Bits16 ? mapview::pf16bit : mapview::pf24bit, job.OutFile,
                                   x0, y0, x1, y1, scale, &error);
    try {
        const QImage image = map.Render().RenderImage(x0, y0, x1, y1, scale);
        platform::TAtomicFile out(job.OutFile);
        if (!out.Open() || !image.save(&out.Device(), "PNG") || !out.Commit()) {
            error = out.ErrorText().isEmpty()
                        ? QStringLiteral("Не удалось записать файл %1").arg(job.OutFile)
                        : out.ErrorText();
            return false;
        }
    } catch (const std::exception& ex) {
        error = QString::fromUtf8(ex.what());
        return false;
    }
    return true;
}

} // namespace tsivor::render
