#include "app/AdAnimation.h"

#include "app/StartUp.h"

#include <QDir>
#include <QMouseEvent>
#include <QMovie>

namespace tsivor::app {

TAdAnimation::TAdAnimation(const QString& name, QSize size, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setFixedSize(size);
}

bool TAdAnimation::Load(const QString& dir, const QString& pattern) {
    const QStringList names = QDir(dir).entryList({pattern}, QDir::Files, QDir::Name);
    if (names.isEmpty()) return false;
    auto* movie = new QMovie(QDir(dir).filePath(names.first()), QByteArray(), this);
    if (!movie->isValid()) {
        delete movie;
        return false;
    }
    setMovie(movie);
    movie->start();
    int n = 0;
    if (TileNumberOf(names.first(), n)) Tag = n; // the same naming as the start page tiles
    setCursor(Qt::PointingHandCursor);
    return true;
}

void TAdAnimation::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && Tag != 0 &&
        OnClick)
        OnClick(Tag);
}

} // namespace tsivor::app
