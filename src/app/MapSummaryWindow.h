#pragma once
// TFMapSummary: a plain window that loads the map file and tells what it holds (name, objects,
// extent, streets, towns). It stands where the main window will be.

#include "mapdata/MapDocument.h"
#include "mapdata/MapLoader.h"

#include <QWidget>

#include <functional>

class QLabel;

namespace tsivor::app {

class TFMapSummary : public QWidget {
public:
    explicit TFMapSummary(QWidget* parent = nullptr);

    // MapLoad of fileName; a file that cannot be read is reported through the platform's
    // message box and leaves the map empty. Returns whether the file was read.
    bool LoadMap(const QString& fileName);
    void SetNameMap(const QString& nameMap);

    const mapdata::TMapDocument& Document() const { return FDocument; }
    bool MapLoaded() const { return FLoaded; }
    // The summary as shown, one fact per line.
    QString SummaryText() const;

    std::function<void()> OnClosed; // the program ends with this window

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void UpdateSummary();

    mapdata::TMapDocument FDocument;
    mapdata::TLoadReport FReport;
    QString FFileName;
    QString FLoadError;
    bool FLoaded = false;
    QLabel* FText;
};

} // namespace tsivor::app
