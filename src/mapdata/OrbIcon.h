#pragma once
// Icon libraries: named BMP pictures for notes, decoded lazily into a small cache per library.
// File layout (little-endian, texts in code page 1251): ShortString[70] signature,
// int32 HasPictures, ShortString[101] name, int32 PictureCount, then per picture
// ShortString[30] name, TColor TransparentColor, uint8 Transparent, int32 DataSize, BMP bytes.

#include <QByteArray>
#include <QImage>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace tsivor::mapdata {

constexpr int kIconHeaderSize = 181;
constexpr int kIconEntryHeadSize = 40;
constexpr int kIconNameLength = 30;
constexpr int kIconCacheSize = 31;
constexpr uint32_t kIconAqua = 0x00FFFF00; // TColor 0x00BBGGRR: red 0, green 255, blue 255

// The 40-byte head of a picture entry.
struct TOrbIconHead {
    QString Name;
    uint32_t TransparentColor = kIconAqua;
    uint8_t Transparent = 1;
    int32_t DataSize = 0;
};

struct TOrbIconPicture {
    TOrbIconHead Head;
    QByteArray Data; // a complete BMP file
};

// One decoded picture of the cache.
struct TWorkBitmap {
    int Index = -1;
    QString Name;  // upper case
    QImage Bitmap; // ARGB32; the transparent colour has alpha 0 when the entry asks for it
    int Uses = 0;  // hits since decoding, by index or by name
};

// One library: pictures in file order, looked up by name case-insensitively.
class TOrbIconList {
public:
    explicit TOrbIconList(const QString& name = {});

    // Replaces the contents with a library read from bytes. On damaged data keeps the name and
    // the pictures read intact before the damage, and returns false with a Russian message.
    bool LoadFromBytes(const QByteArray& bytes, QString* error = nullptr);
    bool LoadFromFile(const QString& fileName, QString* error = nullptr);

    // The name is trimmed, upper-cased and cut to 30 characters; DataSize follows the data.
    void AddPicture(TOrbIconHead head, QByteArray data);
    void DeletePicture(int index);
    void Clear();

    QString Name() const { return FName; }
    int Count() const { return int(FPictures.size()); }
    int IndexOf(const QString& picName) const; // -1 when absent
    QString PictureName(int index) const;      // empty when out of range
    const TOrbIconPicture* Picture(int index) const;

    // Decoded picture (owned by the cache; draw it, do not keep it), or nullptr.
    const QImage* GetIcon(const QString& picName);
    const QImage* GetIconByIndex(int index);

    const std::vector<TWorkBitmap>& Cache() const { return FCache; }

private:
    const QImage* Decode(int index);

    QString FName;
    std::vector<TOrbIconPicture> FPictures;
    std::vector<TWorkBitmap> FCache;
};

// Told when the set of libraries of a TOrbIcon changes or the component goes away.
class TOrbIconClient {
public:
    virtual ~TOrbIconClient() = default;
    virtual void IconsChanged() {}
    virtual void IconsDetached() {}
};

class TOrbIcon {
public:
    TOrbIcon() = default;
    TOrbIcon(const TOrbIcon&) = delete;
    TOrbIcon& operator=(const TOrbIcon&) = delete;
    ~TOrbIcon(); // detaches the clients

    void AddLibrary(const QString& name);
    // Appends the library read from the file. False with a Russian message when the file cannot
    // be read (nothing appended) or is damaged (the intact part is appended).
    bool LoadIconLibrary(const QString& fileName, QString* error = nullptr);
    bool LoadIconLibraryFromBytes(const QByteArray& bytes, QString* error = nullptr);
    void ClearLibraries();

    const QImage* GetIcon(const QString& libName, const QString& picName);
    const QImage* GetIconByIndex(const QString& libName, int index);
    int PictureCount(const QString& libName) const;
    int LibraryIndex(const QString& libName) const;
    QString LibraryName(int index) const;
    QString PictureName(const QString& libName, int index) const;
    int PictureIndex(const QString& libName, const QString& picName) const;
    int LibraryCount() const { return int(FLibraries.size()); }
    TOrbIconList* Library(int index);

    // A client is held once; it is not owned.
    void RegisterClient(TOrbIconClient* client);
    void UnregisterClient(TOrbIconClient* client);
    int ClientCount() const { return int(FClients.size()); }

private:
    void NotifyClients();

    std::vector<std::unique_ptr<TOrbIconList>> FLibraries;
    std::vector<TOrbIconClient*> FClients;
};

// ---- writing, for the tools that produce libraries

// A library file; HasPictures 0 writes the header only.
QByteArray WriteIconLibrary(const QString& name, const std::vector<TOrbIconPicture>& pictures,
                            bool hasPictures = true,
                            const QString& signature = QStringLiteral("Tsivor icon library"));
// A 256-colour BMP of an image: pixels with alpha below one half become aqua.
QByteArray EncodeIconBmp(const QImage& image);

} // namespace tsivor::mapdata
