#pragma once
// The paged device a print job draws on: the platform's printer (PDF files included) or, for
// checking a job pixel by pixel, pictures of the page size.

#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>

#include <vector>

class QPrinter;

namespace tsivor::mapui {

class TPrintTarget {
public:
    virtual ~TPrintTarget() = default;
    // Starts the document and its first page; false with a Russian message.
    virtual bool Begin(QString& error) = 0;
    virtual QPainter& Canvas() = 0;
    virtual bool NewPage() = 0;
    // Finishes the document; false with a Russian message when it could not be written.
    virtual bool End(QString& error) = 0;
    // Drops a begun document so that no half of it is left (a printer job, a file).
    virtual void Abort() = 0;
    // The printable area in device pixels, and the resolution.
    virtual QSize PageSize() const = 0;
    virtual int DpiX() const = 0;
    virtual int DpiY() const = 0;
    virtual QString Name() const = 0; // for messages: the printer or the file
};

// The platform's printer as it is set up: a system printer or PDF output to a file.
class TPrinterTarget : public TPrintTarget {
public:
    explicit TPrinterTarget(QPrinter& printer) : FPrinter(printer) {}
    ~TPrinterTarget() override;
    bool Begin(QString& error) override;
    QPainter& Canvas() override { return FPainter; }
    bool NewPage() override;
    bool End(QString& error) override;
    void Abort() override;
    QSize PageSize() const override;
    int DpiX() const override;
    int DpiY() const override;
    QString Name() const override;

private:
    QPrinter& FPrinter;
    QPainter FPainter;
};

// Pages drawn onto pictures of the paper size (white), kept in Pages.
class TPicturePages : public TPrintTarget {
public:
    TPicturePages(QSize pageSize, int dpi) : FSize(pageSize), FDpi(dpi) {}
    bool Begin(QString& error) override;
    QPainter& Canvas() override { return FPainter; }
    bool NewPage() override;
    bool End(QString& error) override;
    void Abort() override;
    QSize PageSize() const override { return FSize; }
    int DpiX() const override { return FDpi; }
    int DpiY() const override { return FDpi; }
    QString Name() const override { return QStringLiteral("изображение"); }

    std::vector<QImage> Pages;
    int BeginCount = 0; // documents begun

private:
    void StartPage();
    QSize FSize;
    int FDpi;
    QPainter FPainter;
};

// Sets printer up for a PDF file at dpi with the paper edge as the page edge.
void SetUpPdfPrinter(QPrinter& printer, const QString& fileName, int dpi = 600);

} // namespace tsivor::mapui
