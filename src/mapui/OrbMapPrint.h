#pragma once
// TOrbMapPrint: the print layout dialog. It edits the map's printer settings in place (a
// timer writes the controls back every 500 ms, so what the user changed stays even when the
// dialog is cancelled), shows a schematic picture of the sheet, and tells which print the
// user asked for.

#include "mapui/ORBSpin.h"
#include "mapui/PrinterSettings.h"

#include <QDialog>
#include <QTimer>

#include <functional>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace tsivor::mapui {

// The schematic sheet of the dialog: shadow, sheet, map area, frame, grid, title, scale bar
// and scale text, drawn from these values. Setters repaint only on a change.
class TSheetPreview : public QWidget {
public:
    explicit TSheetPreview(QWidget* parent);
    QColor PaperBrush = Qt::white; // Paper
    QColor BorderPen = Qt::black;  // VidBorder
    bool ScaleBarVisible = true;   // VidLin1..VidLin4
    bool GridVisible = false;      // Setka1..Setka4
    QColor GridPen = Qt::black;
    bool TitleVisible = true;    // NameMap "Заголовок"
    bool MashtabVisible = false; // Mashtab "1:XXXX"
    int Changes = 0;             // repaints asked for, to show that equal values ask none
    template <class T> void Set(T& field, const T& value) {
        if (field == value) return;
        field = value;
        ++Changes;
        update();
    }
    QSize sizeHint() const override { return QSize(190, 250); }

protected:
    void paintEvent(QPaintEvent*) override;
};

class TOrbMapPrint : public QDialog {
public:
    enum TResult { mrCancel = 0, mrOk = 1, mrYes = 2 };

    // settings: edited in place, not owned. printer: what "Настройка принтера" sets up.
    TOrbMapPrint(tOrbMapPrinterSettings& settings, QPrinter* printer, QWidget* parent = nullptr);

    // Runs the dialog modally; title is edited in place whatever the result.
    int Execute(QString& title);
    void LoadControls();
    void ApplyControls();
    void UpdatePreview();
    void UpdateVisibility();
    // What Timer1 does every 500 ms.
    void TimerTick();

    // Choosers of the font, colour and texture file; the desktop's dialogs unless replaced.
    std::function<bool(QFont& font)> ChooseFont;
    std::function<bool(QColor& colour)> ChooseColor;
    std::function<QString()> ChooseTextureFile;

    // The controls, named as the form names them.
    QTabWidget* PageControl1;
    TSheetPreview* Preview;
    QRadioButton* OblastScreen; // OblastGroup: "Текущий экран просмотра", "Всю карту"
    QRadioButton* OblastAll;
    QRadioButton* MashtabX1; // MashtabGroup: "В масштабе карты", "Как на экране", "По выбору"
    QRadioButton* MashtabScreen;
    QRadioButton* MashtabCustom;
    TORBSpinEdit* MashtabPrint;
    QLabel* Label11;
    QLabel* LabelX;
    QLabel* LabelY;
    TORBSpinEdit* PageX;
    TORBSpinEdit* PageY;
    QToolButton* SpeedButton4; // "очистить"
    QCheckBox* ZagolovokCheckBox;
    QCheckBox* RamkaCheckBox;
    QCheckBox* MashtabCheckBox;
    QCheckBox* LinejkaCheckBox;
    QCheckBox* SetkaCheckBox;
    QCheckBox* NomerDom;
    QCheckBox* Contur;
    QLineEdit* Edit1;
    TORBSpinEdit* LeftMargin;
    TORBSpinEdit* RightMargin;
    TORBSpinEdit* TopMargin;
    TORBSpinEdit* BottomMargin;
    QLabel* FontTitle;
    QPushButton* ButtonZagolovok;
    QLabel* FontMashtab;
    QPushButton* ButtonMashtab;
    QPushButton* RamkaColor;
    TORBSpinEdit* RamkaWidth;
    QPushButton* PaperColor;
    QLabel* TextureImage;
    QToolButton* SpeedButton1; // "Файл"
    QToolButton* SpeedButton2; // "Буфер обмена"
    QToolButton* SpeedButton3; // "Очистить"
    QPushButton* Button1;      // "Настройка принтера"
    QPushButton* Button2;      // "Печатать"
    QPushButton* Button4;      // "Печать макета"
    QPushButton* Button3;      // "Отменить"
    QTimer Timer1;

    // The colour a colour button keeps as its caption's colour.
    static QColor CaptionColor(const QPushButton* b);
    static void SetCaptionColor(QPushButton* b, const QColor& c);

private:
    QWidget* MakePrintPage();
    QWidget* MakePageSettingsPage();
    void PickFont(QFont& font);
    void PickColour(QPushButton* button);
    void TextureFromFile();
    void TextureFromClipboard();
    void SetTexture(const QImage& image);

    tOrbMapPrinterSettings& FSettings;
    QPrinter* FPrinter;
    QImage FTexture; // the picture TextureImage shows
};

} // namespace tsivor::mapui
