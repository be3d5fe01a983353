#include "app/MeasureResult.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>

#include <cmath>

namespace tsivor::app {

QString FormatLength(double metres) {
    if (!std::isfinite(metres) || metres < 0) metres = 0;
    const double k = std::trunc(metres / 1000);
    const double m = std::trunc(metres - 1000 * k);
    const int t = int(std::trunc((metres - 1000 * k - m) * 10));
    QString s;
    if (k != 0)
        s = QString::number(qint64(k)) + u' ' +
            QStringLiteral("%1").arg(qint64(m), 3, 10, QLatin1Char('0'));
    else
        s = QString::number(qint64(m));
    return s + u'.' + QString::number(t) + QStringLiteral(" м");
}

TfMeasureResult::TfMeasureResult(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("fMeasureResult"));
    setWindowTitle(QStringLiteral("Результат измерения"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Суммарная длина:"), this), 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Последний сегмент:"), this), 1, 0);
    lSumm = new QLabel(QStringLiteral("0 м"), this);
    lSumm->setObjectName(QStringLiteral("lSumm"));
    lLast = new QLabel(QStringLiteral("0 м"), this);
    lLast->setObjectName(QStringLiteral("lLast"));
    QFont bold = lSumm->font();
    bold.setBold(true);
    lSumm->setFont(bold);
    lLast->setFont(bold);
    lSumm->setMinimumWidth(90);
    grid->addWidget(lSumm, 0, 1);
    grid->addWidget(lLast, 1, 1);
    setFixedSize(sizeHint());
}

void TfMeasureResult::Measured(double total, double lastSegment) {
    lSumm->setText(FormatLength(total));
    lLast->setText(FormatLength(lastSegment));
}

void TfMeasureResult::closeEvent(QCloseEvent* e) {
    QWidget::closeEvent(e);
    if (OnClosed) OnClosed();
}

} // namespace tsivor::app
