#pragma once
// TfHouseResult: the listings found by the real-estate search, over the lower part of the main
// window; a listing's address can be found and marked on the map.

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

namespace tsivor::directory {
class TQuery;
}

namespace tsivor::app {

class THouseResultWindow : public QWidget {
    Q_OBJECT
public:
    explicit THouseResultWindow(QWidget* parent = nullptr);

    // Fills the grid from the opened listings query (its columns in the statement's order).
    void Fill(const directory::TQuery& houses);
    // The caption's date of the base (zhilinfo/lastdate), read on every show.
    std::function<QString()> ReadBaseDate;

    // The map's part: the object of a listing address (-1 when not found), showing one object,
    // marking several (an empty list clears the marks).
    std::function<int(const QString& address)> FindAddress;
    std::function<void(int object)> ShowObject;
    std::function<void(const std::vector<int>& objects)> MarkObjects;

    void bHouseSearchClick(); // also a double click on a row
    void bSelectAllClick();

    QPlainTextEdit* Memo1;
    QLabel* Label1;
    QTableWidget* DBGrid1;
    QPushButton* bSelectAll;
    QPushButton* bHouseSearch;
    QPushButton* bHouseResultClose;

signals:
    void closed(); // the results toggle goes back to the map

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void PlaceButtons();
    std::vector<QString> FAddresses; // the Adr of every row
};

} // namespace tsivor::app
