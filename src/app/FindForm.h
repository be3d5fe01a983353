#pragma once
// TFindForm: "Поиск объекта на карте", a street from the map's list and a house number.

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tsivor::app {

class TFindForm : public QDialog {
public:
    explicit TFindForm(QWidget* parent = nullptr);

    // The map's streets, shown in upper case; filled once, before the first show.
    void SetStreets(const QStringList& streets);
    bool HasStreets() const { return FHasStreets; }

    bool Ok() const { return FOk; }
    QString Street() const { return FStreet; }
    QString House() const { return FHouse; }

    void bFindClick();
    void bCancelClick();

    QComboBox* sBox;
    QLineEdit* Edit2;
    QPushButton* bFind;
    QPushButton* bCancel;

protected:
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool FHasStreets = false;
    bool FOk = false;
    QString FStreet;
    QString FHouse;
};

} // namespace tsivor::app
