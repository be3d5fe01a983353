#pragma once
// The contents of the "Недвижимость" tab: section, districts, rooms, telephone and price, the
// search, the toggle between the results window and the map, the own-listing help and the
// external update module. Without a readable houses/houses.db the tab says so and the search
// stays off; the rest of the program is not touched.

#include "directory/RealEstateSearch.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tsivor::directory {
class Tdm;
}

namespace tsivor::app {

class THouseResultWindow;

class TRealEstatePanel : public QWidget {
    Q_OBJECT
public:
    TRealEstatePanel(directory::Tdm& dm, QString exeDir, QWidget* parent = nullptr);

    // After the real-estate database was opened or failed to: the search button, the district
    // names and the notice follow it.
    void ConnectionChanged();

    directory::TRealEstateFilter Filter() const;
    void bAplayClick();
    void sbResultClick();
    void sbMapClick();
    void Button1Click();
    void bUpdateZhilinfoClick();

    std::array<QRadioButton*, 4> RadioButtons{}; // RadioButton1..4
    std::array<QCheckBox*, 7> Districts{};       // CheckBox5..11
    std::array<QCheckBox*, 5> Rooms{};           // CheckBox18, 13..16
    QCheckBox* CheckBox17;                       // telephone
    QLineEdit* ePriceFrom;
    QLineEdit* ePriceTo;
    QPushButton* bAplay;
    QPushButton* Button1;
    QToolButton* sbResult;
    QToolButton* sbMap;
    QPushButton* bUpdateZhilinfo;
    QLabel* Notice; // why the search is off
    THouseResultWindow* Results;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    directory::Tdm& FDm;
    QString FExeDir;
};

} // namespace tsivor::app
