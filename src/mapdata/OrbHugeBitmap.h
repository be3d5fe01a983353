#pragma once
// TOrbHugeBitmap: a raster layer — a scanned plan or an aerial photo made of image tiles laid
// on map rectangles — that maps draw under their objects (orbBack) or over them (orbFront).
// Compose gives the picture of one view and keeps it until the view or the layer changes.

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

namespace tsivor::mapdata {

enum TLayerType { orbBack, orbFront };

// A map that draws the layer. The layer tells it when its picture changes and when the layer
// itself goes away.
class TOrbHugeBitmapClient {
public:
    virtual ~TOrbHugeBitmapClient() = default;
    virtual void RasterLayerChanged() = 0;  // redraw and repaint
    virtual void RasterLayerDetached() = 0; // the layer is being destroyed: forget it
};

struct TOrbHugeTile {
    QString Name;                           // the image's source, at most 255 characters
    int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0; // map units, X1 < X2 and Y1 < Y2
    QImage Bitmap;
    float SX = 0, SY = 0; // tile pixels per map unit, horizontally and vertically
};

class TOrbHugeBitmap {
public:
    TOrbHugeBitmap() = default;
    // The clients forget the layer.
    ~TOrbHugeBitmap();
    TOrbHugeBitmap(const TOrbHugeBitmap&) = delete;
    TOrbHugeBitmap& operator=(const TOrbHugeBitmap&) = delete;

    bool Enabled() const { return FEnabled; }
    // A change redraws every client; the same value does nothing.
    void SetEnabled(bool v);
    TLayerType LayerType() const { return FLayerType; }
    // A change redraws every client.
    void SetLayerType(TLayerType v);
    // The opacity the maps draw the composed picture with; stored only.
    uint8_t AlphaBlending() const { return FAlphaBlending; }
    void SetAlphaBlending(uint8_t v) { FAlphaBlending = v; }

    // Each client at most once; not owned.
    void AddClient(TOrbHugeBitmapClient* client);
    void RemoveClient(TOrbHugeBitmapClient* client);
    const std::vector<TOrbHugeBitmapClient*>& Clients() const { return FClients; }

    // Lays the picture of an image file on the map rectangle (corners in any order). False
    // with a Russian message in error when the file is missing or not a readable picture, or
    // the rectangle is empty; the tiles stay as they were.
    bool AddTile(const QString& fileName, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                 QString* error = nullptr);
    // The same with a picture at hand; name stands for its source.
    bool AddTile(const QString& name, const QImage& image, int32_t x1, int32_t y1, int32_t x2,
                 int32_t y2, QString* error = nullptr);
    void ClearTiles();
    const std::vector<TOrbHugeTile>& Tiles() const { return FTiles; }

    // The tiles meeting the map rectangle (left, top)–(right, bottom), stretched into a
    // picture of size at pixelsPerUnit, transparent where no tile lies; nullptr while
    // disabled or without tiles. The same view gives the kept picture without copying tiles.
    const QImage* Compose(QSize size, float left, float top, float right, float bottom,
                          double pixelsPerUnit);

private:
    // The composed picture is out of date and the clients redraw.
    void Changed();

    bool FEnabled = false;
    TLayerType FLayerType = orbBack;
    uint8_t FAlphaBlending = 255;
    std::vector<TOrbHugeBitmapClient*> FClients;
    std::vector<TOrbHugeTile> FTiles;

    // The last composition and what it was made for.
    QImage FComposed;
    bool FDirty = true;
    struct TView {
        QSize Size;
        float Left = 0, Top = 0, Right = 0, Bottom = 0;
        double PixelsPerUnit = 0;
        bool Enabled = false;
        friend bool operator==(const TView&, const TView&) = default;
    } FComposedView;
};

} // namespace tsivor::mapdata
