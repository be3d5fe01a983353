#include "mapui/OrbMapPrint.h"

#include "mapdata/Rounding.h"
#include "mapview/DrawPrimitives.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace tsivor::mapui {

using mapview::FromQColor;
using mapview::ToQColor;

namespace {

QString FontText(const QFont& f) {
    return QStringLiteral("%1  [%2]").arg(f.family()).arg(f.pointSize());
}

TORBSpinEdit* Spin(QWidget* parent, TValueType type, double min, double max) {
    auto* s = new TORBSpinEdit(parent);
    s->MinValue = min;
    s->MaxValue = max;
    s->SetValueType(type);
    s->setMinimumWidth(70);
    return s;
}

QToolButton* Flat(const QString& text, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setText(text);
    b->setAutoRaise(true);
    return b;
}

} // namespace

// ---------------------------------------------------------------------- preview

TSheetPreview::TSheetPreview(QWidget* parent) : QWidget(parent) {
    setMinimumSize(sizeHint());
}

void TSheetPreview::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    // Bevel1
    p.setPen(palette().light().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect sheet(25, 15, width() - 55, height() - 40);
    p.fillRect(sheet.translated(5, 5), Qt::gray); // Ten
    p.fillRect(sheet, Qt::white);                 // Vidpaper
    p.setPen(Qt::black);
    p.drawRect(sheet);
    const QRect area = sheet.adjusted(sheet.width() / 8, sheet.height() / 12, -sheet.width() / 16,
                                      -sheet.height() / 8);
    p.fillRect(area, PaperBrush); // Paper
    if (GridVisible) {            // Setka1..Setka4
        p.setPen(QPen(GridPen, 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        const int hw = area.width() / 2, hh = area.height() / 2;
        for (int i = 0; i < 4; ++i)
            p.drawRect(area.left() + (i % 2) * hw, area.top() + (i / 2) * hh, hw, hh);
    }
    p.setPen(BorderPen); // VidBorder
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(-2, -2, 2, 2));
    QFont f = font();
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(Qt::black);
    if (TitleVisible) p.drawText(area.left(), area.top() - 5, QStringLiteral("Заголовок"));
    const int barY = area.bottom() + 6;
    if (ScaleBarVisible) // VidLin1..VidLin4
        for (int i = 0; i < 4; ++i) {
            const QRect seg(area.right() - 40 + i * 10, barY, 10, 3);
            p.fillRect(seg, i % 2 ? Qt::white : Qt::black);
            p.drawRect(seg);
        }
    if (MashtabVisible)
        p.drawText(QRect(sheet.left(), barY + 5, sheet.width(), 12), Qt::AlignHCenter,
                   QStringLiteral("1:XXXX"));
}

// ---------------------------------------------------------------------- dialog

TOrbMapPrint::TOrbMapPrint(tOrbMapPrinterSettings& settings, QPrinter* printer, QWidget* parent)
    : QDialog(parent), FSettings(settings), FPrinter(printer) {
    setWindowTitle(QStringLiteral("Печать"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    auto* root = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    root->addLayout(top);
    auto* left = new QGroupBox(QStringLiteral("Макет листа"), this);
    auto* leftLayout = new QVBoxLayout(left);
    Preview = new TSheetPreview(left);
    leftLayout->addWidget(Preview);
    top->addWidget(left);
    PageControl1 = new QTabWidget(this);
    PageControl1->addTab(MakePrintPage(), QStringLiteral("Печать"));
    PageControl1->addTab(MakePageSettingsPage(), QStringLiteral("Параметры страницы"));
    top->addWidget(PageControl1, 1);

    auto* buttons = new QHBoxLayout;
    Button1 = new QPushButton(QStringLiteral("Настройка принтера"), this);
    Button2 = new QPushButton(QStringLiteral("Печатать"), this);
    Button4 = new QPushButton(QStringLiteral("Печать макета"), this);
    Button3 = new QPushButton(QStringLiteral("Отменить"), this);
    Button2->setDefault(true);
    buttons->addWidget(Button1);
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button4);
    buttons->addWidget(Button3);
    root->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] {
        if (FPrinter) platform::Current().SetupPrinter(*FPrinter, this);
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        ApplyControls();
        done(mrOk);
    });
    connect(Button4, &QPushButton::clicked, this, [this] {
        ApplyControls();
        done(mrYes);
    });
    connect(Button3, &QPushButton::clicked, this, [this] { done(mrCancel); });

    ChooseFont = [this](QFont& font) {
        bool ok = false;
        const QFont chosen = QFontDialog::getFont(&ok, font, this);
        if (ok) font = chosen;
        return ok;
    };
    ChooseColor = [this](QColor& colour) {
        const QColor chosen = QColorDialog::getColor(colour, this);
        if (chosen.isValid()) colour = chosen;
        return chosen.isValid();
    };
    ChooseTextureFile = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Загрузка текстур из файла"),
                                            QString(), QStringLiteral("Файлы bitmap (*.bmp)"));
    };

    Timer1.setInterval(500);
    connect(&Timer1, &QTimer::timeout, this, [this] { TimerTick(); });
    Timer1.start();
}

QWidget* TOrbMapPrint::MakePrintPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* oblast = new QGroupBox(QStringLiteral("Область печати"), page);
    auto* ol = new QVBoxLayout(oblast);
    OblastScreen = new QRadioButton(QStringLiteral("Текущий экран просмотра"), oblast);
    OblastAll = new QRadioButton(QStringLiteral("Всю карту"), oblast);
    ol->addWidget(OblastScreen);
    ol->addWidget(OblastAll);
    grid->addWidget(oblast, 0, 0);

    auto* mashtab = new QGroupBox(QStringLiteral("Масштаб печати"), page);
    auto* ml = new QGridLayout(mashtab);
    MashtabX1 = new QRadioButton(QStringLiteral("В масштабе карты"), mashtab);
    MashtabScreen = new QRadioButton(QStringLiteral("Как на экране"), mashtab);
    MashtabCustom = new QRadioButton(QStringLiteral("По выбору"), mashtab);
    MashtabPrint = Spin(mashtab, vtInteger, 0, 0);
    ml->addWidget(MashtabX1, 0, 0);
    ml->addWidget(MashtabScreen, 1, 0);
    ml->addWidget(MashtabCustom, 2, 0);
    ml->addWidget(MashtabPrint, 2, 1);
    grid->addWidget(mashtab, 1, 0);
    for (QRadioButton* r : {OblastScreen, OblastAll, MashtabX1, MashtabScreen, MashtabCustom})
        connect(r, &QRadioButton::toggled, this, [this] { UpdateVisibility(); });

    auto* pages = new QWidget(page);
    auto* pl = new QGridLayout(pages);
    pl->setContentsMargins(0, 0, 0, 0);
    Label11 = new QLabel(
        QStringLiteral("Номер печатаемого листа\n(только для режима печати всей карты)"), pages);
    LabelX = new QLabel(QStringLiteral("X:"), pages);
    LabelY = new QLabel(QStringLiteral("Y:"), pages);
    PageX = Spin(pages, vtInteger, 0, 0);
    PageY = Spin(pages, vtInteger, 0, 0);
    SpeedButton4 = Flat(QStringLiteral("очистить"), pages);
    connect(SpeedButton4, &QToolButton::clicked, this, [this] {
        PageX->SetValue(0);
        PageY->SetValue(0);
    });
    pl->addWidget(Label11, 0, 0, 1, 5);
    pl->addWidget(LabelX, 1, 0);
    pl->addWidget(PageX, 1, 1);
    pl->addWidget(LabelY, 1, 2);
    pl->addWidget(PageY, 1, 3);
    pl->addWidget(SpeedButton4, 1, 4);
    grid->addWidget(pages, 2, 0);

    auto* what = new QGroupBox(QStringLiteral("Что печатать"), page);
    auto* wl = new QVBoxLayout(what);
    ZagolovokCheckBox = new QCheckBox(QStringLiteral("Заголовок карты-схемы"), what);
    RamkaCheckBox = new QCheckBox(QStringLiteral("Рамка листа"), what);
    MashtabCheckBox = new QCheckBox(QStringLiteral("Масштаб"), what);
    LinejkaCheckBox = new QCheckBox(QStringLiteral("Масштабная линейка"), what);
    SetkaCheckBox = new QCheckBox(QStringLiteral("Сетка"), what);
    NomerDom = new QCheckBox(QStringLiteral("Номера домов"), what);
    Contur = new QCheckBox(QStringLiteral("Печатать только контуры"), what);
    for (QCheckBox* c : {ZagolovokCheckBox, RamkaCheckBox, MashtabCheckBox, LinejkaCheckBox,
                         SetkaCheckBox, NomerDom, Contur})
        wl->addWidget(c);
    grid->addWidget(what, 0, 1, 3, 1);

    grid->addWidget(new QLabel(QStringLiteral("Заголовок для распечатки"), page), 3, 0, 1, 2);
    Edit1 = new QLineEdit(page);
    grid->addWidget(Edit1, 4, 0, 1, 2);
    return page;
}

QWidget* TOrbMapPrint::MakePageSettingsPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* margins = new QGroupBox(QStringLiteral("Поля листа (мм)"), page);
    auto* ml = new QGridLayout(margins);
    LeftMargin = Spin(margins, vtFloat, 0, 0);
    RightMargin = Spin(margins, vtFloat, 0, 0);
    TopMargin = Spin(margins, vtFloat, 0, 0);
    BottomMargin = Spin(margins, vtFloat, 0, 0);
    const std::pair<const char*, TORBSpinEdit*> fields[] = {{"Левое", LeftMargin},
                                                            {"Правое", RightMargin},
                                                            {"Верхнее", TopMargin},
                                                            {"Нижнее", BottomMargin}};
    int row = 0;
    for (const auto& [label, spin] : fields) {
        ml->addWidget(new QLabel(QString::fromUtf8(label), margins), row, 0);
        ml->addWidget(spin, row++, 1);
    }
    grid->addWidget(margins, 0, 0, 2, 1);

    auto* fonts = new QGroupBox(QStringLiteral("Шрифты"), page);
    auto* fl = new QGridLayout(fonts);
    FontTitle = new QLabel(fonts);
    ButtonZagolovok = new QPushButton(QStringLiteral("Заголовок"), fonts);
    FontMashtab = new QLabel(fonts);
    ButtonMashtab = new QPushButton(QStringLiteral("Значение масштаба"), fonts);
    fl->addWidget(FontTitle, 0, 0);
    fl->addWidget(ButtonZagolovok, 0, 1);
    fl->addWidget(FontMashtab, 1, 0);
    fl->addWidget(ButtonMashtab, 1, 1);
    connect(ButtonZagolovok, &QPushButton::clicked, this,
            [this] { PickFont(FSettings.TitleFont); });
    connect(ButtonMashtab, &QPushButton::clicked, this,
            [this] { PickFont(FSettings.MashtabFont); });
    grid->addWidget(fonts, 0, 1);

    auto* frame = new QGroupBox(QStringLiteral("Рамка листа"), page);
    auto* rl = new QGridLayout(frame);
    RamkaColor = new QPushButton(QStringLiteral("Цвет рамки"), frame);
    RamkaWidth = Spin(frame, vtFloat, 0, 0);
    RamkaWidth->Decimal = 1;
    RamkaWidth->SetIncrement(0.1);
    rl->addWidget(RamkaColor, 0, 0, 1, 2);
    rl->addWidget(new QLabel(QStringLiteral("Толщина (мм)"), frame), 1, 0);
    rl->addWidget(RamkaWidth, 1, 1);
    grid->addWidget(frame, 1, 1);

    auto* paper = new QGroupBox(QStringLiteral("Бумага"), page);
    auto* pl = new QGridLayout(paper);
    PaperColor = new QPushButton(QStringLiteral("Цвет бумаги"), paper);
    TextureImage = new QLabel(paper);
    TextureImage->setFixedSize(89, 89);
    TextureImage->setFrameShape(QFrame::Box);
    TextureImage->setScaledContents(true);
    SpeedButton1 = Flat(QStringLiteral("Файл"), paper);
    SpeedButton2 = Flat(QStringLiteral("Буфер обмена"), paper);
    SpeedButton3 = Flat(QStringLiteral("Очистить"), paper);
    pl->addWidget(PaperColor, 0, 0, 1, 2);
    pl->addWidget(new QLabel(QStringLiteral("Текстура листа"), paper), 1, 0);
    pl->addWidget(TextureImage, 2, 0, 3, 1);
    pl->addWidget(SpeedButton1, 2, 1);
    pl->addWidget(SpeedButton2, 3, 1);
    pl->addWidget(SpeedButton3, 4, 1);
    grid->addWidget(paper, 0, 2, 2, 1);
    for (QPushButton* b : {RamkaColor, PaperColor}) {
        QFont bold = b->font();
        bold.setBold(true);
        b->setFont(bold);
        connect(b, &QPushButton::clicked, this, [this, b] { PickColour(b); });
    }
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { TextureFromFile(); });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { TextureFromClipboard(); });
    // Clearing empties the texture: the paper colour shows again.
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SetTexture(QImage()); });
    return page;
}

QColor TOrbMapPrint::CaptionColor(const QPushButton* b) {
    return b->palette().color(QPalette::ButtonText);
}

void TOrbMapPrint::SetCaptionColor(QPushButton* b, const QColor& c) {
    QPalette pal = b->palette();
    pal.setColor(QPalette::ButtonText, c);
    b->setPalette(pal);
}

void TOrbMapPrint::SetTexture(const QImage& image) {
    FTexture = image;
    TextureImage->setPixmap(image.isNull() ? QPixmap() : QPixmap::fromImage(image));
}

int TOrbMapPrint::Execute(QString& title) {
    LoadControls();
    UpdatePreview();
    UpdateVisibility();
    Edit1->setText(title);
    const int result = exec();
    title = Edit1->text();
    return result;
}

void TOrbMapPrint::LoadControls() {
    const tOrbMapPrinterSettings& s = FSettings;
    ZagolovokCheckBox->setChecked(s.Title);
    LinejkaCheckBox->setChecked(s.ScaleBar);
    SetkaCheckBox->setChecked(s.Grid);
    RamkaCheckBox->setChecked(s.Border);
    MashtabCheckBox->setChecked(s.Mashtab);
    LeftMargin->SetValue(s.LeftMargin);
    RightMargin->SetValue(s.RightMargin);
    TopMargin->SetValue(s.TopMargin);
    BottomMargin->SetValue(s.BottomMargin);
    SetCaptionColor(RamkaColor, ToQColor(s.BorderColor));
    RamkaWidth->SetValue(s.BorderWidth);
    SetCaptionColor(PaperColor, ToQColor(s.PaperColor));
    SetTexture(s.PaperTexture().copy());
    (s.PrintRegion == AllMap ? OblastAll : OblastScreen)->setChecked(true);
    (s.MashtabPrint == S_Custom    ? MashtabCustom
     : s.MashtabPrint == S_Current ? MashtabScreen
                                   : MashtabX1)
        ->setChecked(true);
    MashtabPrint->SetValue(s.CustomMashtab());
    UpdateVisibility();
    PageX->SetValue(s.PageX);
    PageY->SetValue(s.PageY);
    NomerDom->setChecked(s.NumberDom);
    Contur->setChecked(s.ConturOnly);
}

void TOrbMapPrint::ApplyControls() {
    tOrbMapPrinterSettings& s = FSettings;
    s.Title = ZagolovokCheckBox->isChecked();
    s.ScaleBar = LinejkaCheckBox->isChecked();
    s.Grid = SetkaCheckBox->isChecked();
    s.Border = RamkaCheckBox->isChecked();
    s.Mashtab = MashtabCheckBox->isChecked();
    s.NumberDom = NomerDom->isChecked();
    s.ConturOnly = Contur->isChecked();
    // Whole millimetres and page numbers: the fraction is cut off.
    s.LeftMargin = int(std::trunc(LeftMargin->Value()));
    s.RightMargin = int(std::trunc(RightMargin->Value()));
    s.TopMargin = int(std::trunc(TopMargin->Value()));
    s.BottomMargin = int(std::trunc(BottomMargin->Value()));
    s.PageX = int(std::trunc(PageX->Value()));
    s.PageY = int(std::trunc(PageY->Value()));
    s.BorderWidth = float(RamkaWidth->Value());
    s.BorderColor = FromQColor(CaptionColor(RamkaColor));
    s.PaperColor = FromQColor(CaptionColor(PaperColor));
    s.SetPaperTexture(FTexture);
    s.PrintRegion = OblastAll->isChecked() ? AllMap : CurrentEkran;
    s.MashtabPrint = MashtabCustom->isChecked()   ? S_Custom
                     : MashtabScreen->isChecked() ? S_Current
                                                  : S_x1;
    s.SetCustomMashtab(mapdata::RoundToInt(MashtabPrint->Value()));
    UpdateVisibility();
}

void TOrbMapPrint::UpdatePreview() {
    const tOrbMapPrinterSettings& s = FSettings;
    Preview->Set(Preview->PaperBrush, ToQColor(s.PaperColor));
    Preview->Set(Preview->BorderPen, s.Border ? ToQColor(s.BorderColor) : QColor(Qt::white));
    Preview->Set(Preview->ScaleBarVisible, s.ScaleBar);
    Preview->Set(Preview->GridPen, ToQColor(s.GridColor));
    Preview->Set(Preview->GridVisible, s.Grid);
    Preview->Set(Preview->TitleVisible, s.Title);
    Preview->Set(Preview->MashtabVisible, s.Mashtab);
    const QString title = FontText(s.TitleFont), scale = FontText(s.MashtabFont);
    if (FontTitle->text() != title) FontTitle->setText(title);
    if (FontMashtab->text() != scale) FontMashtab->setText(scale);
}

void TOrbMapPrint::UpdateVisibility() {
    MashtabPrint->setVisible(MashtabCustom->isChecked());
    const bool all = OblastAll->isChecked();
    for (QWidget* w :
         std::initializer_list<QWidget*>{Label11, LabelX, LabelY, PageX, PageY, SpeedButton4})
        w->setVisible(all);
    Button4->setEnabled(all);
}

void TOrbMapPrint::TimerTick() {
    ApplyControls();
    UpdatePreview();
}

void TOrbMapPrint::PickFont(QFont& font) {
    QFont chosen = font;
    if (ChooseFont && ChooseFont(chosen)) font = chosen;
    UpdatePreview();
}

void TOrbMapPrint::PickColour(QPushButton* button) {
    QColor colour = CaptionColor(button);
    if (ChooseColor && ChooseColor(colour)) SetCaptionColor(button, colour);
}

void TOrbMapPrint::TextureFromFile() {
    const QString file = ChooseTextureFile ? ChooseTextureFile() : QString();
    if (file.isEmpty()) return;
    const QImage image(file);
    if (image.isNull()) {
        platform::ShowMessage(QStringLiteral("Не удалось загрузить текстуру из файла %1").arg(file),
                              platform::MessageKind::Error, this);
        return;
    }
    SetTexture(image);
}

void TOrbMapPrint::TextureFromClipboard() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    if (!data || data->formats().isEmpty()) return;
    if (!data->hasImage()) {
        platform::ShowMessage(QStringLiteral("В буфере обмена нет картинки BITMAP !"),
                              platform::MessageKind::Information, this);
        return;
    }
    SetTexture(qvariant_cast<QImage>(data->imageData()));
}

} // namespace tsivor::mapui
