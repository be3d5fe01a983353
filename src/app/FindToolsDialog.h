#pragma once
// TfFindTools, "Тонкая настройка поисковой системы": the columns of the keyword search and
// whether the matches are counted while typing. The check boxes take tsivor.ini's values at
// creation; only "Ок" writes them, but the search follows the boxes as they stand.

#include "app/Config.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QPushButton;

namespace tsivor::app {

class TFindToolsDialog : public QDialog {
    Q_OBJECT
public:
    TFindToolsDialog(QString iniPath, QWidget* parent = nullptr);

    // The state of the check boxes now.
    TFindToolsSettings Current() const;
    void SetCurrent(const TFindToolsSettings& s);

    void Button2Click(); // defaults into the boxes, nothing written
    void Button1Click(); // write the seven keys, re-evaluate, close

    // Where the window goes on each show (over the left edge of the map).
    std::function<QPoint()> Place;

    QCheckBox* ftComment;
    QCheckBox* ftTitle;
    QCheckBox* ftRubrica;
    QCheckBox* ftStreet;
    QCheckBox* ftHouse;
    QCheckBox* ftPhone;
    QCheckBox* ftPreview;
    QPushButton* Button1;
    QPushButton* Button2;

signals:
    void confirmed(); // after "Ок" wrote the keys: the search re-evaluates
    void closed();    // also by the title bar: the tuning button comes up

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    QString FIniPath;
};

} // namespace tsivor::app
