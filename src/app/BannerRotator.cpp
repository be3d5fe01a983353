#include "app/BannerRotator.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace tsivor::app {

TBannerRotator::TBannerRotator(QLabel* image, QLabel* none, QObject* parent)
    : QObject(parent), BannerTimer(new QTimer(this)), FImage(image), FNone(none) {
    BannerTimer->setObjectName(QStringLiteral("BannerTimer"));
    BannerTimer->setInterval(IntervalMs);
    connect(BannerTimer, &QTimer::timeout, this, [this] { BannerTimerTimer(); });
    FImage->installEventFilter(this);
}

int TBannerRotator::BannerNumberOf(const QString& fileName) {
    if (!fileName.contains(QLatin1String("ban_"))) return 0;
    QString t = fileName.mid(4);
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0) t.truncate(dot);
    bool ok = false;
    const int n = t.toInt(&ok);
    return ok ? n : 0;
}

void TBannerRotator::LoadBanners(const QString& workDir) {
    FBanners.clear();
    const QDir dir(workDir + QStringLiteral("/banner"));
    for (const QString& name :
         dir.entryList({QStringLiteral("*.bmp")}, QDir::Files | QDir::Readable, QDir::Name)) {
        QImage picture(dir.filePath(name));
        if (picture.isNull()) continue; // a file that cannot be read is left out
        FBanners.push_back({std::move(picture), BannerNumberOf(name)});
    }
    FIndex = -1;
    BannerTimerTimer();
}

int TBannerRotator::CurrentNumber() const {
    return FIndex >= 0 && FIndex < Count() ? FBanners[size_t(FIndex)].Number : 0;
}

void TBannerRotator::BannerTimerTimer() {
    if (FBanners.empty()) return;
    FIndex = FIndex + 1 < Count() ? FIndex + 1 : 0;
    const TBanner& b = FBanners[size_t(FIndex)];
    FImage->setCursor(b.Number != 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    // The picture's top left part, unscaled; a smaller one leaves the rest white.
    QPixmap shown(FImage->size());
    shown.fill(Qt::white);
    QPainter p(&shown);
    p.drawImage(QPoint(0, 0), b.Picture, QRect(QPoint(0, 0), FImage->size()));
    p.end();
    FImage->setPixmap(shown);
    if (FNone) FNone->hide();
}

void TBannerRotator::BannerImageClick() {
    const int n = CurrentNumber();
    if (n != 0 && OnClick) OnClick(n);
}

bool TBannerRotator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FImage && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        FImage->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        BannerImageClick();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace tsivor::app
