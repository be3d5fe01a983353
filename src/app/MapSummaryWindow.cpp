#include "app/MapSummaryWindow.h"

#include "platform/Platform.h"

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QVBoxLayout>

namespace tsivor::app {
namespace {

// The host of a load outside a map view: the view's steps have nothing to do here.
class TSummaryLoadHost : public mapdata::TMapLoadHost {};

QString Coordinate(float v) {
    return QString::number(double(v), 'f', 1);
}

} // namespace

TFMapSummary::TFMapSummary(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FMapSummary"));
    auto* layout = new QVBoxLayout(this);
    FText = new QLabel(this);
    FText->setTextFormat(Qt::PlainText);
    FText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    FText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(FText);
    resize(560, 240);
    UpdateSummary();
}

bool TFMapSummary::LoadMap(const QString& fileName) {
    FFileName = fileName;
    FLoadError.clear();
    FReport = {};
    TSummaryLoadHost host;
    FLoaded = mapdata::MapLoad(fileName, FDocument, host, &FLoadError, &FReport);
    if (!FLoaded) {
        FDocument.Clear();
        platform::ShowMessage(FLoadError + QStringLiteral(".\n\rКарта будет пустой."),
                              platform::MessageKind::Error, this);
    }
    UpdateSummary();
    return FLoaded;
}

void TFMapSummary::SetNameMap(const QString& nameMap) {
    FDocument.Header.NameMap = nameMap;
    UpdateSummary();
}

QString TFMapSummary::SummaryText() const {
    QStringList lines;
    lines << QStringLiteral("Файл карты: %1").arg(QDir::toNativeSeparators(FFileName));
    if (!FLoaded) {
        lines << QStringLiteral("Карта не загружена.");
        if (!FLoadError.isEmpty()) lines << FLoadError;
    }
    lines << QStringLiteral("Название карты: %1").arg(FDocument.Header.NameMap);
    lines << QStringLiteral("Объектов: %1").arg(FDocument.ObjectCount());
    const mapdata::TMapExtent& e = FDocument.Extent;
    lines << QStringLiteral("Границы: X от %1 до %2, Y от %3 до %4")
                 .arg(Coordinate(e.MinX), Coordinate(e.MaxX), Coordinate(e.MinY),
                      Coordinate(e.MaxY));
    lines << QStringLiteral("Улиц: %1, населённых пунктов: %2")
                 .arg(FDocument.Streets.Count())
                 .arg(FDocument.Towns.Count());
    if (FReport.UnknownVersion) lines << QStringLiteral("Неизвестная версия файла карты.");
    if (FReport.ObjectsDropped > 0)
        lines << QStringLiteral("Пропущено повреждённых объектов: %1").arg(FReport.ObjectsDropped);
    if (FReport.Truncated) lines << QStringLiteral("Файл карты обрывается раньше конца.");
    return lines.join(u'\n');
}

void TFMapSummary::UpdateSummary() {
    FText->setText(SummaryText());
}

void TFMapSummary::closeEvent(QCloseEvent* e) {
    e->accept();
    if (OnClosed) OnClosed();
}

} // namespace tsivor::app
