#include "mapdata/OrbIcon.h"

#include "mapdata/ByteReader.h"
#include "mapdata/Cp1251.h"

#include <QBuffer>
#include <QFile>

#include <algorithm>

namespace tsivor::mapdata {
namespace {

constexpr int kSignatureLength = 70;
constexpr int kLibNameLength = 101;

// A ShortString field of a fixed size; a length byte beyond the capacity is clamped.
QString ShortString(const uint8_t* at, int capacity) {
    const int n = std::min<int>(at[0], capacity);
    return cp1251::ToUnicode(reinterpret_cast<const char*>(at + 1), n);
}

void PutShortString(QByteArray& out, const QString& text, int capacity) {
    QByteArray bytes = cp1251::FromUnicode(text).left(capacity);
    QByteArray field(capacity + 1, '\0');
    field[0] = char(uint8_t(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), field.begin() + 1);
    out += field;
}

template <typename T> void Put(QByteArray& out, T v) {
    out.append(reinterpret_cast<const char*>(&v), sizeof v);
}

QString NormalName(const QString& name) {
    return cp1251::Key(name).left(kIconNameLength);
}

QRgb RgbOfColor(uint32_t color) {
    return qRgb(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QImage MakeReady(const QImage& decoded, const TOrbIconHead& head) {
    QImage ready = decoded.convertToFormat(QImage::Format_ARGB32);
    if (head.Transparent != 1) return ready;
    const QRgb key = RgbOfColor(head.TransparentColor) & 0x00FFFFFF;
    for (int y = 0; y < ready.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(ready.scanLine(y));
        for (int x = 0; x < ready.width(); ++x) {
            if ((line[x] & 0x00FFFFFF) == key) line[x] = key; // alpha 0
        }
    }
    return ready;
}

QString Damaged() {
    return QStringLiteral(
        "Файл библиотеки значков повреждён: прочитана только его исправная часть.");
}

} // namespace

// ------------------------------------------------------------------ TOrbIconList

TOrbIconList::TOrbIconList(const QString& name) : FName(name.left(kIconNameLength)) {}

bool TOrbIconList::LoadFromBytes(const QByteArray& bytes, QString* error) {
    Clear();
    FName.clear();
    TByteReader r(bytes);
    const uint8_t* h = r.Take(kIconHeaderSize);
    if (!h) {
        if (error) *error = QStringLiteral("Файл библиотеки значков повреждён: нет заголовка.");
        return false;
    }
    const int32_t hasPictures = I32(h + kSignatureLength + 1);
    FName = ShortString(h + kSignatureLength + 5, kLibNameLength).left(kIconNameLength);
    const int32_t count = I32(h + 177);
    if (hasPictures != 1) return true;
    if (count < 0) {
        if (error) *error = Damaged();
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* e = r.Take(kIconEntryHeadSize);
        if (!e) {
            if (error) *error = Damaged();
            return false;
        }
        TOrbIconHead head;
        head.Name = ShortString(e, kIconNameLength);
        head.TransparentColor = U32(e + 31);
        head.Transparent = e[35];
        head.DataSize = I32(e + 36);
        const uint8_t* data = r.Take(head.DataSize);
        if (!data) {
            if (error) *error = Damaged();
            return false;
        }
        QByteArray bmp(reinterpret_cast<const char*>(data), head.DataSize);
        AddPicture(std::move(head), std::move(bmp));
    }
    return true;
}

bool TOrbIconList::LoadFromFile(const QString& fileName, QString* error) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        Clear();
        if (error)
            *error = QStringLiteral("Не удаётся открыть библиотеку значков \"%1\": %2")
                         .arg(fileName, f.errorString());
        return false;
    }
    return LoadFromBytes(f.readAll(), error);
}

void TOrbIconList::AddPicture(TOrbIconHead head, QByteArray data) {
    head.Name = NormalName(head.Name);
    head.DataSize = int32_t(data.size());
    FPictures.push_back({std::move(head), std::move(data)});
    FCache.clear();
}

void TOrbIconList::DeletePicture(int index) {
    if (index < 0 || index >= Count()) return;
    FPictures.erase(FPictures.begin() + index);
    FCache.clear();
}

void TOrbIconList::Clear() {
    FPictures.clear();
    FCache.clear();
}

int TOrbIconList::IndexOf(const QString& picName) const {
    const QString key = NormalName(picName);
    for (int i = 0; i < Count(); ++i) {
        if (FPictures[size_t(i)].Head.Name == key) return i;
    }
    return -1;
}

QString TOrbIconList::PictureName(int index) const {
    const TOrbIconPicture* p = Picture(index);
    return p ? p->Head.Name : QString();
}

const TOrbIconPicture* TOrbIconList::Picture(int index) const {
    return index >= 0 && index < Count() ? &FPictures[size_t(index)] : nullptr;
}

const QImage* TOrbIconList::GetIcon(const QString& picName) {
    const QString key = NormalName(picName);
    // Name hits count as uses too: the map asks by name, and its busiest pictures should
    // be the ones that stay.
    for (TWorkBitmap& w : FCache) {
        if (w.Name == key) {
            ++w.Uses;
            return &w.Bitmap;
        }
    }
    const int index = IndexOf(key);
    return index < 0 ? nullptr : Decode(index);
}

const QImage* TOrbIconList::GetIconByIndex(int index) {
    for (TWorkBitmap& w : FCache) {
        if (w.Index == index) {
            ++w.Uses;
            return &w.Bitmap;
        }
    }
    return index >= 0 && index < Count() ? Decode(index) : nullptr;
}

const QImage* TOrbIconList::Decode(int index) {
    const TOrbIconPicture& p = FPictures[size_t(index)];
    QImage decoded;
    // A picture whose bytes are no BMP is treated as missing, so the caller shows its
    // error picture instead of garbage.
    if (!decoded.loadFromData(p.Data, "BMP") || decoded.isNull()) return nullptr;

    TWorkBitmap* slot = nullptr;
    if (int(FCache.size()) >= kIconCacheSize) {
        slot = &*std::min_element(
            FCache.begin(), FCache.end(),
            [](const TWorkBitmap& a, const TWorkBitmap& b) { return a.Uses < b.Uses; });
    } else {
        slot = &FCache.emplace_back();
    }
    slot->Bitmap = MakeReady(decoded, p.Head);
    slot->Name = p.Head.Name;
    slot->Index = index;
    slot->Uses = 0;
    return &slot->Bitmap;
}

// ------------------------------------------------------------------ TOrbIcon

TOrbIcon::~TOrbIcon() {
    const std::vector<TOrbIconClient*> clients = std::move(FClients);
    FClients.clear();
    for (TOrbIconClient* c : clients) c->IconsDetached();
}

void TOrbIcon::AddLibrary(const QString& name) {
    FLibraries.push_back(std::make_unique<TOrbIconList>(name));
    NotifyClients();
}

bool TOrbIcon::LoadIconLibrary(const QString& fileName, QString* error) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("Не удаётся открыть библиотеку значков \"%1\": %2")
                         .arg(fileName, f.errorString());
        return false;
    }
    return LoadIconLibraryFromBytes(f.readAll(), error);
}

bool TOrbIcon::LoadIconLibraryFromBytes(const QByteArray& bytes, QString* error) {
    auto lib = std::make_unique<TOrbIconList>();
    const bool ok = lib->LoadFromBytes(bytes, error);
    FLibraries.push_back(std::move(lib));
    NotifyClients();
    return ok;
}

void TOrbIcon::ClearLibraries() {
    FLibraries.clear();
    NotifyClients();
}

int TOrbIcon::LibraryIndex(const QString& libName) const {
    const QString key = cp1251::Key(libName);
    for (int i = 0; i < LibraryCount(); ++i) {
        if (cp1251::Key(FLibraries[size_t(i)]->Name()) == key) return i;
    }
    return -1;
}

TOrbIconList* TOrbIcon::Library(int index) {
    return index >= 0 && index < LibraryCount() ? FLibraries[size_t(index)].get() : nullptr;
}

const QImage* TOrbIcon::GetIcon(const QString& libName, const QString& picName) {
    TOrbIconList* lib = Library(LibraryIndex(libName));
    return lib ? lib->GetIcon(picName) : nullptr;
}

const QImage* TOrbIcon::GetIconByIndex(const QString& libName, int index) {
    TOrbIconList* lib = Library(LibraryIndex(libName));
    return lib ? lib->GetIconByIndex(index) : nullptr;
}

int TOrbIcon::PictureCount(const QString& libName) const {
    const int i = LibraryIndex(libName);
    return i < 0 ? 0 : FLibraries[size_t(i)]->Count();
}

QString TOrbIcon::LibraryName(int index) const {
    return index >= 0 && index < LibraryCount() ? FLibraries[size_t(index)]->Name() : QString();
}

QString TOrbIcon::PictureName(const QString& libName, int index) const {
    const int i = LibraryIndex(libName);
    return i < 0 ? QString() : FLibraries[size_t(i)]->PictureName(index);
}

int TOrbIcon::PictureIndex(const QString& libName, const QString& picName) const {
    const int i = LibraryIndex(libName);
    return i < 0 ? -1 : FLibraries[size_t(i)]->IndexOf(picName);
}

void TOrbIcon::RegisterClient(TOrbIconClient* client) {
    if (client && std::find(FClients.begin(), FClients.end(), client) == FClients.end())
        FClients.push_back(client);
}

void TOrbIcon::UnregisterClient(TOrbIconClient* client) {
    FClients.erase(std::remove(FClients.begin(), FClients.end(), client), FClients.end());
}

void TOrbIcon::NotifyClients() {
    // A client may unregister itself while being told.
    const std::vector<TOrbIconClient*> clients = FClients;
    for (TOrbIconClient* c : clients) c->IconsChanged();
}

// ------------------------------------------------------------------ writing

QByteArray WriteIconLibrary(const QString& name, const std::vector<TOrbIconPicture>& pictures,
                            bool hasPictures, const QString& signature) {
    QByteArray out;
    PutShortString(out, signature, kSignatureLength);
    Put<int32_t>(out, hasPictures ? 1 : 0);
    PutShortString(out, name.left(kIconNameLength), kLibNameLength);
    Put<int32_t>(out, hasPictures ? int32_t(pictures.size()) : 0);
    if (!hasPictures) return out;
    for (const TOrbIconPicture& p : pictures) {
        PutShortString(out, p.Head.Name, kIconNameLength);
        Put<uint32_t>(out, p.Head.TransparentColor);
        Put<uint8_t>(out, p.Head.Transparent);
        Put<int32_t>(out, int32_t(p.Data.size()));
        out += p.Data;
    }
    return out;
}

QByteArray EncodeIconBmp(const QImage& image) {
    QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb aqua = qRgb(0, 255, 255);
    for (int y = 0; y < argb.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(argb.scanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            line[x] = qAlpha(line[x]) < 128 ? aqua : (line[x] | 0xFF000000u);
        }
    }
    // The picture's own colours when they fit, else a fixed palette of the 6×6×6 cube (aqua
    // among it) and 40 greys, nearest colour each.
    QList<QRgb> palette;
    for (int y = 0; y < argb.height() && palette.size() <= 256; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width() && palette.size() <= 256; ++x) {
            if (!palette.contains(line[x])) palette.push_back(line[x]);
        }
    }
    if (palette.size() > 256) {
        palette.clear();
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) palette.push_back(qRgb(r * 51, g * 51, b * 51));
        for (int i = 0; i < 40; ++i)
            palette.push_back(qRgb(i * 255 / 39, i * 255 / 39, i * 255 / 39));
    }
    while (palette.size() < 256) palette.push_back(qRgb(0, 0, 0)); // always a 256-colour file
    const QImage indexed = argb.convertToFormat(QImage::Format_Indexed8, palette,
                                                Qt::ThresholdDither | Qt::AvoidDither);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    indexed.save(&buffer, "BMP");
    return bytes;
}

} // namespace tsivor::mapdata
