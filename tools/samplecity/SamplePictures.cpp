#include "LogoGround.h"
#include "SampleArt.h"
#include "SampleParts.h"

#include <QDir>
#include <QFile>
#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

// Which organisation each advertising picture leads to. The directory numbers the advertised
// organisations 1..20 in the order of CityPlan::Advertised (organisation n at the house
// Advertised[n - 1], named AdvertisedNames[n - 1]); the pictures assume that numbering.
//   banner/ban_1..ban_4.bmp   organisations 1..4 (and banner/zarechinsk.bmp leading nowhere)
//   panel/panel_5.gif         organisation 5, panel/panelr_6.gif organisation 6
//   logo/logo.ini             picture logos of organisations 7..10 (logo/logo_N.bmp)
//   logo/logo_p.ini           icon logos of organisations 11..15 (icons "logo_N" of tsivor.lib)
//   logo/logo_r.ini           rubric logos of organisations 16..20 (icons "logo_N")
//   header/head_1..head_20    card header pictures (.bmp for odd, animated .gif for even N)

namespace tsivor::sample {
namespace {

constexpr int kBannerOrgs[] = {1, 2, 3, 4};
constexpr int kPanelOrg = 5, kPanelRightOrg = 6;
constexpr int kPictureLogoOrgs[] = {7, 8, 9, 10};
constexpr int kIconLogoOrgs[] = {11, 12, 13, 14, 15};
constexpr int kRubricLogoOrgs[] = {16, 17, 18, 19, 20};
constexpr int kHeaderOrgs = 20;

struct Advertiser {
    QString Name;
    QString Address;    // "ул. Ленина, 12"
    float X = 0, Y = 0; // centre of the house on the map
};

class PictureWriter {
public:
    PictureWriter(const CityPlan& plan, const QString& dir) : plan_(plan), dir_(dir) {}

    bool Write(QString* error) {
        error_ = error;
        for (const char* sub : {"banner", "panel", "logo", "start", "header"})
            if (!dir_.mkpath(QString::fromLatin1(sub)))
                return Fail(QStringLiteral("Не удалось создать папку %1").arg(dir_.filePath(sub)));
        return Banners() && Panels() && Logos() && StartTiles() && Headers();
    }

private:
    Advertiser Org(int n) const {
        Advertiser a;
        const size_t i = size_t(n - 1);
        a.Name = i < plan_.AdvertisedNames.size() ? plan_.AdvertisedNames[i]
                                                  : QStringLiteral("Организация %1").arg(n);
        if (i < plan_.Advertised.size()) {
            const PlanHouse& h = plan_.Houses[size_t(plan_.Advertised[i])];
            QString kind = QStringLiteral("ул.");
            for (const PlanStreet& s : plan_.Streets)
                if (s.Name == h.Street) kind = s.Kind;
            // An imported town's street names carry their kind; a place may have no address.
            if (!h.Street.isEmpty())
                a.Address = (kind.isEmpty() ? h.Street : kind + u' ' + h.Street) +
                            QStringLiteral(", ") + h.House;
            for (const PlanPoint& p : h.Outline) {
                a.X += p.X / float(h.Outline.size());
                a.Y += p.Y / float(h.Outline.size());
            }
        }
        return a;
    }

    bool Fail(const QString& text) {
        if (error_) *error_ = text;
        return false;
    }

    bool SaveBmp(const QImage& image, const QString& relative) {
        const QByteArray bytes = EncodeImage(image.convertToFormat(QImage::Format_RGB888), "BMP");
        QFile file(dir_.filePath(relative));
        if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size())
            return Fail(QStringLiteral("Не удалось записать %1").arg(file.fileName()));
        return true;
    }

    bool SaveGif(const std::vector<GifFrame>& frames, const QString& relative) {
        return WriteGif(dir_.filePath(relative), frames, error_);
    }

    bool SaveText(const QString& relative, const QString& text) {
        QByteArray bytes = text.toLatin1(); // numbers and names in ASCII only
        bytes.replace("\n", "\r\n");
        QFile file(dir_.filePath(relative));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return Fail(QStringLiteral("Не удалось записать %1").arg(file.fileName()));
        return true;
    }

    // ---- drawing ----
    static QFont FittedFont(const QString& text, qreal width, qreal height, bool bold) {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setBold(bold);
        f.setStyleStrategy(QFont::PreferAntialias);
        for (qreal px = height; px > 5; px -= 0.5) {
            f.setPixelSize(int(px));
            if (QFontMetricsF(f).horizontalAdvance(text) <= width) break;
        }
        return f;
    }

    static void Background(QPainter& p, const QRectF& r, const QColor& base, qreal phase) {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, base.darker(140));
        g.setColorAt(std::clamp(phase, 0.05, 0.95), base.lighter(150));
        g.setColorAt(1, base.darker(120));
        p.fillRect(r, g);
    }

    // An advertisement: name in bold, a second line below, a coloured ground with a gloss.
    // reserve: room kept free at the right of the second line (for a picture drawn there).
    static QImage Advert(QSize size, const QString& name, const QString& line2, const QColor& base,
                         qreal phase = 0.3, qreal reserve = 0) {
        QImage img(size, QImage::Format_RGB32);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QRectF r(0, 0, size.width(), size.height());
        Background(p, r, base, phase);
        p.setPen(QPen(base.darker(200), 1));
        p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));
        const qreal pad = std::max(2.0, size.height() * 0.08);
        const QRectF inner = r.adjusted(pad, pad, -pad, -pad);
        const bool twoLines = !line2.isEmpty() && size.height() >= 28;
        const qreal nameHeight = twoLines ? inner.height() * 0.58 : inner.height();
        p.setPen(Qt::white);
        p.setFont(FittedFont(name, inner.width(), nameHeight * 0.85, true));
        p.drawText(QRectF(inner.left(), inner.top(), inner.width(), nameHeight), Qt::AlignCenter,
                   name);
        if (twoLines) {
            p.setPen(QColor(255, 250, 210));
            const qreal width = inner.width() - reserve;
            p.setFont(FittedFont(line2, width, (inner.height() - nameHeight) * 0.9, false));
            p.drawText(
                QRectF(inner.left(), inner.top() + nameHeight, width, inner.height() - nameHeight),
                Qt::AlignCenter, line2);
        }
        return img;
    }

    // A round emblem with the initial letter of the name, on white.
    static QImage Emblem(QSize size, const QString& name, const QColor& base) {
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal h = size.height();
        p.setPen(QPen(base.darker(160), 2));
        p.setBrush(base);
        p.drawEllipse(QRectF(2, 2, h - 4, h - 4));
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Liberation Serif"));
        f.setBold(true);
        f.setPixelSize(int(h * 0.6));
        p.setFont(f);
        const QString word = name.section(QChar(0x00AB), 1).section(QChar(0x00BB), 0, 0);
        const QString initial = (word.isEmpty() ? name : word).left(1);
        p.drawText(QRectF(2, 2, h - 4, h - 4), Qt::AlignCenter, initial);
        p.setPen(base.darker(170));
        p.setFont(FittedFont(word.isEmpty() ? name : word, size.width() - h - 4, h * 0.45, true));
        p.drawText(QRectF(h + 2, 0, size.width() - h - 4, h), Qt::AlignVCenter | Qt::AlignLeft,
                   word.isEmpty() ? name : word);
        return img;
    }

    // ---- the files ----
    bool Banners() {
        // The banner area shows 281 by 57 pixels.
        const QSize size(281, 57);
        for (int n : kBannerOrgs) {
            const Advertiser a = Org(n);
            if (!SaveBmp(Advert(size, a.Name, a.Address, TownColor(n)),
                         QStringLiteral("banner/ban_%1.bmp").arg(n)))
                return false;
        }
        // A banner without an organisation: it rotates with the others and leads nowhere.
        QImage town(size, QImage::Format_RGB32);
        {
            QPainter p(&town);
            p.drawImage(0, 0, Advert(size, QString(), QString(), TownColor(0)));
            p.drawImage(QRectF(5, 4, 42, 49), CoatOfArms(42, 49));
            p.drawImage(52, 0,
                        Advert(QSize(size.width() - 52, size.height()),
                               plan_.Motto.isEmpty()
                                   ? plan_.City
                                   : QStringLiteral("%1 — %2").arg(plan_.City, plan_.Motto),
                               QStringLiteral("Электронная карта и справочник"), TownColor(0)));
        }
        return SaveBmp(town, QStringLiteral("banner/zarechinsk.bmp"));
    }

    // A gloss running across; a low picture shows the name, then the second line, in turn.
    static std::vector<GifFrame> Animation(QSize size, const QString& name, const QString& line2,
                                           const QColor& base, int frames) {
        const bool alternate = size.height() <= 30;
        std::vector<GifFrame> out;
        for (int k = 0; k < frames; ++k) {
            const qreal phase = (k + 0.5) / frames;
            const bool second = alternate && k >= frames / 2;
            out.push_back(
                {Advert(size, second ? line2 : name, alternate ? QString() : line2, base, phase),
                 k == 0 || k == frames / 2 ? 120 : 12});
        }
        return out;
    }

    bool Panels() {
        const Advertiser a = Org(kPanelOrg);
        if (!SaveGif(Animation(QSize(142, 30), a.Name, a.Address, TownColor(kPanelOrg), 8),
                     QStringLiteral("panel/panel_%1.gif").arg(kPanelOrg)))
            return false;
        // The narrow animation of the right-hand panel: the letters of the name one per frame.
        const Advertiser r = Org(kPanelRightOrg);
        std::vector<GifFrame> frames;
        const QString word = r.Name.section(QChar(0x00AB), 1).section(QChar(0x00BB), 0, 0);
        const QString letters = (word.isEmpty() ? r.Name : word).left(6);
        for (int k = 0; k < letters.size(); ++k) {
            QImage img(23, 63, QImage::Format_RGB32);
            QPainter p(&img);
            p.setRenderHint(QPainter::Antialiasing);
            Background(p, QRectF(0, 0, 23, 63), TownColor(kPanelRightOrg),
                       (k + 0.5) / letters.size());
            p.setPen(Qt::white);
            QFont f(QStringLiteral("Liberation Sans"));
            f.setBold(true);
            f.setPixelSize(20);
            p.setFont(f);
            p.drawText(QRectF(0, 0, 23, 40), Qt::AlignCenter, letters.mid(k, 1));
            f.setPixelSize(9);
            p.setFont(f);
            p.drawText(QRectF(0, 40, 23, 20), Qt::AlignCenter, QString::number(k + 1));
            p.end();
            frames.push_back({img, k + 1 == letters.size() ? 150 : 40});
        }
        return SaveGif(frames, QStringLiteral("panel/panelr_%1.gif").arg(kPanelRightOrg));
    }

    // Whether organisation n stands at a house of the plan, so its logos can look for room.
    bool Placed(int n) const { return size_t(n - 1) < plan_.Advertised.size(); }

    // Points around p, nearest first: where an icon may go when p itself is covered.
    static std::vector<QPointF> NearPoints(QPoint p) {
        std::vector<QPointF> points{QPointF(p)};
        for (int r = 10; r <= 80; r += 10)
            for (int k = 0; k < 8; ++k) {
                const double angle = k * M_PI / 4;
                points.emplace_back(p.x() + std::lround(r * std::cos(angle)),
                                    p.y() - std::lround(r * std::sin(angle)));
            }
        return points;
    }

    // A second branch: the middles of the houses some 300 map units from the organisation's,
    // nearest to that distance first.
    std::vector<QPointF> BranchHouses(const Advertiser& a) const {
        std::vector<std::pair<double, QPointF>> found;
        for (const PlanHouse& h : plan_.Houses) {
            QPointF c;
            for (const PlanPoint& v : h.Outline) c += QPointF(v.X, v.Y) / double(h.Outline.size());
            const double d = std::hypot(c.x() - a.X, c.y() - a.Y);
            if (d >= 250 && d <= 450)
                found.push_back(
                    {std::abs(d - 300), QPointF(std::lround(c.x()), std::lround(c.y()))});
        }
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& l, const auto& r) { return l.first < r.first; });
        std::vector<QPointF> points;
        for (const auto& f : found) points.push_back(f.second);
        return points;
    }

    bool Logos() {
        // Logos stand where the map written before them shows no name, note or house.
        LogoGround ground(plan_, dir_.filePath(QStringLiteral("info1.db")));
        // Picture logos: a 48 by 24 m picture north-east of the house, a leader line to it.
        QString ini = QStringLiteral("[Main]\nCount=%1\n").arg(std::size(kPictureLogoOrgs));
        int i = 0;
        for (int n : kPictureLogoOrgs) {
            const Advertiser a = Org(n);
            if (!SaveBmp(Emblem(QSize(96, 48), a.Name, TownColor(n)),
                         QStringLiteral("logo/logo_%1.bmp").arg(n)))
                return false;
            const int hx = int(std::lround(a.X)), hy = int(std::lround(a.Y));
            int x1 = hx + 30, y1 = hy - 60;
            if (Placed(n))
                if (const auto r = ground.TakePicture(QPointF(x1, y1), QSizeF(48, 24))) {
                    x1 = int(std::lround(r->left()));
                    y1 = int(std::lround(r->top()));
                }
            const int x2 = x1 + 48, y2 = y1 + 24;
            // The leader line ends at the picture's corner nearest to the house.
            const int lx = std::abs(hx - x1) <= std::abs(hx - x2) ? x1 : x2;
            const int ly = std::abs(hy - y1) <= std::abs(hy - y2) ? y1 : y2;
            ini += QStringLiteral(
                       "\n[Logo%1]\nP1=%2\nP2=%3\nP3=%4\nP4=%5\nP5=%6\nP6=%7\nP7=%8\nP8=%9\n")
                       .arg(i)
                       .arg(x1)
                       .arg(y1)
                       .arg(x2)
                       .arg(y2)
                       .arg(hx)
                       .arg(hy)
                       .arg(lx)
                       .arg(ly);
            ini += QStringLiteral("P9=%1\n").arg(n);
            ++i;
        }
        if (!SaveText(QStringLiteral("logo/logo.ini"), ini)) return false;

        // Icon logos: the icon north-west of the house, a line to the house. From the scale
        // that shows house numbers on, the 32-pixel icon covers no house.
        ini = QStringLiteral("[Main]\nCount=%1\n").arg(std::size(kIconLogoOrgs));
        i = 0;
        for (int n : kIconLogoOrgs) {
            const Advertiser a = Org(n);
            const int hx = int(std::lround(a.X)), hy = int(std::lround(a.Y));
            QPoint icon(hx - 35, hy - 35);
            const int side = int(std::ceil(32 * 100.0 / kHouseNumberScale));
            if (Placed(n))
                if (const auto r =
                        ground.TakePicture(icon - QPoint(side / 2, side / 2), QSizeF(side, side)))
                    icon = QPoint(int(std::lround(r->center().x())),
                                  int(std::lround(r->center().y())));
            ini += QStringLiteral("\n[Logo%1]\nP1=%2\nP2=%3\nP3=%4\nP4=%5\nP5=%6\n")
                       .arg(i++)
                       .arg(icon.x())
                       .arg(icon.y())
                       .arg(hx)
                       .arg(hy)
                       .arg(n);
        }
        if (!SaveText(QStringLiteral("logo/logo_p.ini"), ini)) return false;

        // Rubric logos: at the house and, for every other one, at a second branch nearby.
        ini = QStringLiteral("[Main]\nCount=%1\n").arg(std::size(kRubricLogoOrgs));
        i = 0;
        for (int n : kRubricLogoOrgs) {
            const Advertiser a = Org(n);
            const int hx = int(std::lround(a.X)), hy = int(std::lround(a.Y));
            const bool branch = i % 2 == 0;
            QPoint at(hx, hy - 20), second(hx + 300, hy + 10);
            if (Placed(n)) {
                if (const auto p = ground.TakeIcon(NearPoints(at))) at = p->toPoint();
                if (branch)
                    if (const auto p = ground.TakeIcon(BranchHouses(a))) second = p->toPoint();
            }
            ini += QStringLiteral("\n[Logo%1]\nid=%2\ncount=%3\np0=%4 %5\n")
                       .arg(i)
                       .arg(n)
                       .arg(branch ? 2 : 1)
                       .arg(at.x())
                       .arg(at.y());
            if (branch) ini += QStringLiteral("p1=%1 %2\n").arg(second.x()).arg(second.y());
            ++i;
        }
        return SaveText(QStringLiteral("logo/logo_r.ini"), ini);
    }

    // Four tiles of the start page (264 by 120), each pulsing gently.
    bool StartTiles() {
        struct Tile {
            const char* Title;
            const char* Line;
        };
        static const Tile tiles[] = {
            {"Карта города", "улицы и дома"},
            {"Справочник", "организации и телефоны"},
            {"Недвижимость", "квартиры и дома"},
            {"Как пользоваться", "поиск, карта, печать"},
        };
        for (int t = 0; t < 4; ++t) {
            std::vector<GifFrame> frames;
            for (int k = 0; k < 6; ++k) {
                // The coat of arms of the first tile stands right of its second line.
                const QRectF coat(224, 74, 34, 40);
                QImage img = Advert(QSize(264, 120), QString::fromUtf8(tiles[t].Title),
                                    QString::fromUtf8(tiles[t].Line), TownColor(t + 2),
                                    0.15 + 0.14 * k, t == 0 ? 264 - coat.left() : 0);
                if (t == 0) {
                    QPainter p(&img);
                    p.drawImage(coat, CoatOfArms(34, 40));
                }
                frames.push_back({img, k == 0 ? 200 : 15});
            }
            if (!SaveGif(frames, QStringLiteral("start/st_%1.gif").arg(t + 1))) return false;
        }
        return true;
    }

    // Card headers 279 wide: 32 high, every fourth 62 high; animated GIF for even numbers.
    bool Headers() {
        for (int n = 1; n <= kHeaderOrgs; ++n) {
            const Advertiser a = Org(n);
            const QSize size(279, n % 4 == 1 ? 62 : 32);
            if (n % 2 == 1) {
                if (!SaveBmp(Advert(size, a.Name, a.Address, TownColor(n)),
                             QStringLiteral("header/head_%1.bmp").arg(n)))
                    return false;
            } else if (!SaveGif(Animation(size, a.Name, a.Address, TownColor(n), 6),
                                QStringLiteral("header/head_%1.gif").arg(n))) {
                return false;
            }
        }
        return true;
    }

    const CityPlan& plan_;
    QDir dir_;
    QString* error_ = nullptr;
};

} // namespace

bool WriteSamplePictures(const CityPlan& plan, const QString& dir, QString* error) {
    return PictureWriter(plan, dir).Write(error);
}

} // namespace tsivor::sample
