// Draws the program's built-in pictures into a folder: the icon library "Default"
// (default.lib), the map cursors (cursor_1000.png .. cursor_1020.png, hot spot in the
// "HotSpot" text of each PNG) and the scroll marker (ScrollM.png).

#include "IconArt.h"
#include "mapdata/OrbIcon.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

using namespace tsivor;

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "tsivor-iconart: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tsivor-iconart OUTDIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "tsivor-iconart: cannot create %s\n", argv[1]);
        return 1;
    }

    std::vector<mapdata::TOrbIconPicture> pictures;
    for (int n = 0; n < iconart::kDefaultIconCount; ++n) {
        mapdata::TOrbIconPicture p;
        p.Head.Name = QString::number(n);
        p.Data = mapdata::EncodeIconBmp(iconart::DefaultIcon(n));
        pictures.push_back(std::move(p));
    }
    if (!WriteFile(dir + "/default.lib",
                   mapdata::WriteIconLibrary(QStringLiteral("Default"), pictures)))
        return 1;

    for (int n : iconart::CursorNumbers()) {
        QPoint hot;
        QImage img = iconart::CursorImage(n, &hot);
        img.setText(QStringLiteral("HotSpot"), QStringLiteral("%1,%2").arg(hot.x()).arg(hot.y()));
        if (!img.save(QStringLiteral("%1/cursor_%2.png").arg(dir).arg(n), "PNG")) {
            std::fprintf(stderr, "tsivor-iconart: cannot write cursor %d\n", n);
            return 1;
        }
    }
    if (!iconart::ScrollMarker().save(dir + "/ScrollM.png", "PNG")) {
        std::fprintf(stderr, "tsivor-iconart: cannot write ScrollM.png\n");
        return 1;
    }
    return 0;
}
