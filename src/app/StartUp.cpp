#include "app/StartUp.h"

#include "app/AppGlobals.h"
#include "app/ShellOpen.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace tsivor::app {

namespace {

constexpr int PageWidth = 553;
constexpr int PageHeight = 410;
constexpr int CellColumn[TFStartUp::TileCount] = {0, 1, 0, 1};
constexpr int CellRow[TFStartUp::TileCount] = {0, 0, 1, 1};

QLabel* MakeLabel(QWidget* parent, const QString& text, int x, int y, int w, int h, int size,
                  bool bold = false, const QColor& color = Qt::black) {
    auto* l = new QLabel(text, parent);
    l->setTextFormat(Qt::PlainText);
    QFont f(QStringLiteral("Arial"), size);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    l->setGeometry(x, y, w, h);
    return l;
}

// The logo: the program's name on a round badge.
QPixmap LogoPicture() {
    QPixmap pm(80, 80);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(174, 211, 237));
    p.setPen(QPen(QColor(40, 80, 140), 3));
    p.drawEllipse(4, 4, 72, 72);
    QFont f(QStringLiteral("Arial"), 28);
    f.setBold(true);
    p.setFont(f);
    p.drawText(pm.rect(), Qt::AlignCenter, QStringLiteral("Ц"));
    return pm;
}

} // namespace

bool TileNumberOf(const QString& fileName, int& number) {
    const int us = int(fileName.indexOf(u'_'));
    const int dot = int(fileName.indexOf(u'.', us + 1));
    if (us < 0 || dot < 0) return false;
    bool ok = false;
    const int n = fileName.mid(us + 1, dot - us - 1).toInt(&ok);
    if (!ok) return false;
    number = n;
    return true;
}

TFStartUp::TFStartUp(QString exeDir, QString tileDir, unsigned seed, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      FExeDir(std::move(exeDir)), FTileDir(std::move(tileDir)),
      FRandom(seed ? seed : std::random_device{}()) {
    setObjectName(QStringLiteral("FStartUp"));
    Globals().MainFormShown = false;
    Globals().StartPageClosed = false;
    setFixedSize(PageWidth, PageHeight);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto* logo = new QLabel(this);
    logo->setPixmap(LogoPicture());
    logo->setGeometry(8, 8, 80, 80);
    MakeLabel(this, QStringLiteral("Цивор"), 96, 8, 200, 30, 18, true, QColor(40, 80, 140));
    LVersion = MakeLabel(this, QString(), 96, 40, 250, 22, 11, true);
    LCity = MakeLabel(this, QString(), 96, 64, 300, 22, 10);
    Label2 =
        MakeLabel(this, QStringLiteral("www.tsivor.example"), 360, 12, 185, 20, 9, false, Qt::blue);
    LabelWWW = MakeLabel(this, QString(), 360, 32, 185, 20, 9, false, Qt::blue);
    LabelWWW->hide();
    for (QLabel* link : {Label2, LabelWWW}) {
        link->setCursor(Qt::PointingHandCursor);
        link->installEventFilter(this);
    }
    Label5 = MakeLabel(this, QString(), 360, 52, 185, 18, 9);
    Label7 = MakeLabel(this, QString(), 360, 70, 185, 18, 9);

    bNext = new QPushButton(QStringLiteral("Далее >>"), this);
    bNext->setObjectName(QStringLiteral("bNext"));
    bNext->setGeometry(PageWidth - 118, PageHeight - 40, 110, 32);
    connect(bNext, &QPushButton::clicked, this, [this] { bNextClick(); });

    for (int i = 0; i < TileCount; ++i) {
        auto* tile = new QLabel(this);
        tile->setObjectName(QStringLiteral("RxGifStart%1").arg(i + 1));
        tile->resize(265, 122);
        tile->installEventFilter(this);
        RxGifStart[i] = tile;
    }
    LoadTiles();
    PlaceTiles();

    if (const QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
}

void TFStartUp::LoadTiles() {
    QDir dir(FTileDir + QStringLiteral("/start"));
    QStringList names = dir.entryList({QStringLiteral("st_*.gif")}, QDir::Files, QDir::Name);
    if (names.size() > 5) names = names.mid(0, 5);
    for (int i = 0; i < TileCount && i < int(names.size()); ++i) {
        const QString path = dir.filePath(names[i]);
        auto* movie = new QMovie(path, QByteArray(), RxGifStart[i]);
        if (!movie->isValid()) { // a tile that cannot be read stays as it was
            delete movie;
            continue;
        }
        RxGifStart[i]->setMovie(movie);
        movie->start();
        int n = 0;
        if (!TileNumberOf(names[i], n)) continue;
        TileNumber[i] = n;
        const bool help = QFileInfo::exists(FTileDir + QStringLiteral("/chm/chm_%1.chm").arg(n));
        RxGifStart[i]->setCursor(help ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
}

void TFStartUp::PlaceTiles() {
    std::array<bool, TileCount> taken{};
    std::uniform_int_distribution<int> cell(0, TileCount - 1);
    for (int i = 0; i < TileCount; ++i) {
        int c = cell(FRandom);
        while (taken[c]) c = cell(FRandom);
        taken[c] = true;
        FCells[i] = c;
        RxGifStart[i]->move(8 + 272 * CellColumn[c], 96 + 128 * CellRow[c]);
    }
}

void TFStartUp::TileClick(int tile) {
    const int n = TileNumber[tile];
    if (n == 0) return;
    const QString path = FExeDir + QStringLiteral("/chm/chm_%1.chm").arg(n);
    if (QFileInfo::exists(path)) OpenFileOrSay(path);
}

void TFStartUp::WebLinkClick(QLabel* link) {
    const QString caption = link->text().trimmed();
    // A configured address that already names its scheme is not prefixed a second time.
    OpenAddressOrSay(caption.contains(QLatin1String("://")) ? caption
                                                            : QStringLiteral("http://") + caption);
}

void TFStartUp::bNextClick() {
    const bool shown = IsMainFormShown ? IsMainFormShown() : Globals().MainFormShown;
    if (!shown) return;
    FClosed = true;
    close();
    Globals().StartPageClosed = true;
    if (OnStartPageClosed) OnStartPageClosed();
}

void TFStartUp::closeEvent(QCloseEvent* e) {
    // Only bNext leaves the start page.
    if (FClosed)
        e->accept();
    else
        e->ignore();
}

bool TFStartUp::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label2 || watched == LabelWWW) {
            WebLinkClick(static_cast<QLabel*>(watched));
            return true;
        }
        for (int i = 0; i < TileCount; ++i)
            if (watched == RxGifStart[i]) {
                TileClick(i);
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tsivor::app
