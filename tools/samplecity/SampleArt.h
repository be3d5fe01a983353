#pragma once
// Pictures of the sample town shared by the map and the deployment's picture files, and the
// GIF writer (Qt reads GIF but cannot write it).

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include <vector>

namespace tsivor::sample {

// The town's coat of arms on a white ground: a shield with a river and a tower.
QImage CoatOfArms(int width, int height);
// A "photograph" of the river embankment: sky, trees, water.
QImage RiverPhoto(int width, int height);
// The picture encoded as a file ("BMP", "JPG"); empty when the format is not available.
QByteArray EncodeImage(const QImage& image, const char* format, int quality = -1);

// One frame of an animation and how long it stays, in hundredths of a second.
struct GifFrame {
    QImage Image;
    int DelayCs = 10;
};
// Writes an animated GIF (looping forever) with one 256-colour palette per frame.
bool WriteGif(const QString& path, const std::vector<GifFrame>& frames, QString* error);

// The house colours of the map, also used for the pictures.
QColor TownColor(int index);

} // namespace tsivor::sample
