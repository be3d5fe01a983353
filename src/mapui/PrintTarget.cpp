#include "mapui/PrintTarget.h"

#include "mapdata/Rounding.h"

#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>

namespace tsivor::mapui {

TPrinterTarget::~TPrinterTarget() {
    if (FPainter.isActive()) FPainter.end();
}

bool TPrinterTarget::Begin(QString& error) {
    const bool pdf = FPrinter.outputFormat() == QPrinter::PdfFormat;
    if (pdf) {
        const QString file = FPrinter.outputFileName();
        if (file.isEmpty()) {
            error = QStringLiteral("Не указан файл для печати в PDF");
            return false;
        }
        // Opened once here so that a folder that cannot be written is told plainly; the
        // printer writes the file itself.
        QFile probe(file);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
            error = QStringLiteral("Не удалось создать файл %1").arg(file);
            return false;
        }
        probe.close();
        if (!existed) probe.remove();
    } else if (!FPrinter.isValid()) {
        error = FPrinter.printerName().isEmpty()
                    ? QStringLiteral("Принтер не установлен")
                    : QStringLiteral("Принтер \"%1\" не найден").arg(FPrinter.printerName());
        return false;
    }
    if (!FPainter.begin(&FPrinter)) {
        error = pdf ? QStringLiteral("Не удалось создать файл %1").arg(FPrinter.outputFileName())
                    : QStringLiteral("Не удалось начать печать на принтере \"%1\"")
                          .arg(FPrinter.printerName());
        return false;
    }
    return true;
}

bool TPrinterTarget::NewPage() {
    return FPrinter.newPage();
}

bool TPrinterTarget::End(QString& error) {
    if (!FPainter.isActive()) return true;
    if (!FPainter.end()) {
        error = QStringLiteral("Не удалось завершить печать: %1").arg(Name());
        return false;
    }
    return true;
}

void TPrinterTarget::Abort() {
    FPrinter.abort();
    if (FPainter.isActive()) FPainter.end();
    if (FPrinter.outputFormat() == QPrinter::PdfFormat && !FPrinter.outputFileName().isEmpty())
        QFile::remove(FPrinter.outputFileName());
}

QSize TPrinterTarget::PageSize() const {
    return QSize(FPrinter.width(), FPrinter.height());
}

int TPrinterTarget::DpiX() const {
    return FPrinter.logicalDpiX();
}

int TPrinterTarget::DpiY() const {
    return FPrinter.logicalDpiY();
}

QString TPrinterTarget::Name() const {
    return FPrinter.outputFormat() == QPrinter::PdfFormat ? FPrinter.outputFileName()
                                                          : FPrinter.printerName();
}

void SetUpPdfPrinter(QPrinter& printer, const QString& fileName, int dpi) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setResolution(dpi);
    printer.setFullPage(true);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// ---------------------------------------------------------------------- pictures

void TPicturePages::StartPage() {
    QImage page(FSize, QImage::Format_RGB32);
    const int dpm = mapdata::RoundToInt(FDpi / 0.0254);
    page.setDotsPerMeterX(dpm);
    page.setDotsPerMeterY(dpm);
    page.fill(Qt::white);
    Pages.push_back(std::move(page));
    FPainter.begin(&Pages.back());
}

bool TPicturePages::Begin(QString& error) {
    if (FSize.isEmpty() || FDpi <= 0) {
        error = QStringLiteral("Неверный размер листа");
        return false;
    }
    ++BeginCount;
    Pages.clear();
    StartPage();
    return true;
}

bool TPicturePages::NewPage() {
    FPainter.end();
    StartPage();
    return true;
}

bool TPicturePages::End(QString&) {
    if (FPainter.isActive()) FPainter.end();
    return true;
}

void TPicturePages::Abort() {
    if (FPainter.isActive()) FPainter.end();
    Pages.clear();
}

} // namespace tsivor::mapui
