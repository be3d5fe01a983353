#include "app/MainForm.h"

#include "app/FindForm.h"
#include "app/MapBlink.h"
#include "app/MapDesign.h"
#include "app/MapFind.h"
#include "app/MapLogos.h"
#include "app/MapPick.h"
#include "app/MapStatus.h"
#include "app/MapZoom.h"
#include "app/MeasureResult.h"
#include "app/MiniMap.h"
#include "app/ResultMarks.h"

#include "app/AdAnimation.h"
#include "app/AppGlobals.h"
#include "app/BannerRotator.h"
#include "app/Favourites.h"
#include "app/FavouritesMenu.h"
#include "app/FindToolsDialog.h"
#include "app/HouseResultWindow.h"
#include "app/MegaSearchPanel.h"
#include "app/Navigator.h"
#include "app/PrintButtons.h"
#include "app/RealEstatePanel.h"
#include "app/RubricPanel.h"
#include "app/ServiceCommands.h"
#include "app/ShellOpen.h"
#include "directory/DataModule.h"
#include "directory/MegaSearchQueries.h"
#include "directory/RubricQueries.h"
#include "mapui/MouseController.h"
#include "mapview/DataMap.h"
#include "mapview/MapCursors.h"
#include "platform/Platform.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace tsivor::app {

namespace {

// The map's own event that switches its spatial index on (see eventFilter).
const QEvent::Type kIndexTheMap = QEvent::Type(QEvent::registerEventType());

constexpr int LeftColumnWidth = 288;

// Button glyphs: a short sign on a tinted square.
QIcon Glyph(const QString& sign, const QColor& tint) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(tint.darker(160));
    p.setBrush(tint);
    p.drawRoundedRect(1, 1, 22, 22, 4, 4);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(sign.size() > 1 ? 10 : 15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(pm.rect(), Qt::AlignCenter, sign);
    return QIcon(pm);
}

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& hint, const QString& sign,
                        const QColor& tint, bool checkable = false) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setIcon(Glyph(sign, tint));
    b->setIconSize(QSize(24, 24));
    b->setAutoRaise(true);
    b->setCheckable(checkable);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QPixmap CaptionIcon(const QColor& c, const QString& sign) {
    QPixmap pm(10, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(c.darker(150));
    p.setBrush(c);
    p.drawRect(0, 2, 9, 12);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 2, 10, 12), Qt::AlignCenter, sign);
    return pm;
}

QPixmap QuickRubricPicture(int tag, const QString& hint) {
    static const QColor tints[] = {{70, 130, 180}, {160, 80, 160}, {200, 120, 40}, {40, 140, 90},
                                   {200, 50, 50},  {120, 100, 60}, {60, 60, 160},  {110, 110, 110},
                                   {30, 120, 150}, {50, 160, 50},  {150, 90, 30}};
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor c = tints[(tag - 1) % 11];
    p.setBrush(c);
    p.setPen(c.darker(150));
    p.drawEllipse(1, 1, 30, 30);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(pm.rect(), Qt::AlignCenter, hint.left(1));
    return pm;
}

} // namespace

QString WebLinkTarget(const QString& text) {
    // A web field must never name a local file or program for the shell to open.
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        t.startsWith(QLatin1String("https://"), Qt::CaseInsensitive))
        return t;
    return QStringLiteral("http://") + t;
}

TFMainForm::TFMainForm(TMainFormSettings settings, directory::Tdm& dm, QWidget* parent)
    : QMainWindow(parent), FSettings(std::move(settings)), FDm(dm),
      FRubrics(std::make_unique<directory::TRubricQueries>(dm)),
      FDetails(std::make_unique<TQueryCardDetails>(dm)) {
    setObjectName(QStringLiteral("FMainForm"));
    setMinimumSize(770, 550);
    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    BuildLeftColumn(central);
    BuildRightPart(central);
    row->addWidget(Panel1);
    row->addWidget(Panel2, 1);
    setCentralWidget(central);

    Esc = AddCommand("Esc", Qt::Key_Escape, [this] { EscExecute(); });
    Search = AddCommand("Search", Qt::CTRL | Qt::Key_F, [this] { sbFind->click(); });
    Action1 = AddCommand("Action1", Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_S,
                         [this] { FService->ExportPicture(); });
    Action2 = AddCommand("Action2", Qt::CTRL | Qt::ALT | Qt::SHIFT | Qt::Key_C,
                         [this] { FService->ToggleCategories(); });
    History.OnChanged = [this] { UpdateHistoryButtons(); };
    UpdateHistoryButtons();
}

QAction* TFMainForm::AddCommand(const char* name, QKeySequence shortcut,
                                std::function<void()> run) {
    auto* a = new QAction(this);
    a->setObjectName(QLatin1String(name));
    a->setShortcut(shortcut);
    a->setShortcutContext(Qt::ApplicationShortcut);
    connect(a, &QAction::triggered, this, std::move(run));
    addAction(a);
    return a;
}

TFMainForm::~TFMainForm() {
    FDm.QMain.AfterOpen = nullptr; // the cards go with the window
    // The map outlives the window's members that its events call.
    DataMap1->OnChangeScale = nullptr;
    DataMap1->OnMouseDown = nullptr;
    DataMap1->OnMouseUp = nullptr;
    DataMap1->OnMeasure = nullptr;
    DataMap1->OnBlinkObject() = nullptr;
}

void TFMainForm::BuildLeftColumn(QWidget* parent) {
    Panel1 = new QWidget(parent);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedWidth(LeftColumnWidth);
    auto* col = new QVBoxLayout(Panel1);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);

    Panel16 = new QWidget(Panel1);
    Panel16->setObjectName(QStringLiteral("Panel16"));
    Panel16->setFixedHeight(63);
    auto* none = new QLabel(QStringLiteral("Ни одного баннера не найдено!"), Panel16);
    none->setObjectName(QStringLiteral("LNoBanner"));
    none->setAlignment(Qt::AlignCenter);
    none->setGeometry(0, 0, LeftColumnWidth, 63);
    BannerImage = new QLabel(Panel16);
    BannerImage->setObjectName(QStringLiteral("BannerImage"));
    BannerImage->setGeometry((LeftColumnWidth - 281) / 2, 3, 281, 57);
    col->addWidget(Panel16);

    Splitter1 = new QSplitter(Qt::Vertical, Panel1);
    Splitter1->setChildrenCollapsible(true);
    PageControl1 = new QTabWidget(Splitter1);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // The tabs take the height each is given (PageControl1Change), not the tallest page's: the
    // listings page alone would leave the cards only the lower half of the column.
    PageControl1->setMinimumHeight(1);
    TabSheet1 = new QWidget;
    TabSheet2 = new QWidget;
    TabSheet3 = new QWidget;
    TabSheet4 = new QWidget;
    new QVBoxLayout(TabSheet1);
    TabSheet1->layout()->setContentsMargins(2, 2, 2, 2);
    PageControl1->addTab(TabSheet1, QStringLiteral("Рубрикатор"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Организации"));
    PageControl1->addTab(TabSheet3, QStringLiteral("Мегапоиск"));
    PageControl1->addTab(TabSheet4, QStringLiteral("Недвижимость"));
    PageControl1->setTabVisible(1, false);
    // The three visible tabs must fit the fixed column without scroll arrows.
    QFont tabFont(QStringLiteral("Arial"), 8);
    PageControl1->tabBar()->setFont(tabFont);
    PageControl1->tabBar()->setElideMode(Qt::ElideNone);
    RealEstate = new TRealEstatePanel(FDm, FSettings.ExeDir);
    (new QVBoxLayout(TabSheet4))->addWidget(RealEstate);
    TabSheet4->layout()->setContentsMargins(0, 0, 0, 0);
    bAplay = RealEstate->bAplay;
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] { PageControl1Change(); });

    auto* lower = new QWidget(Splitter1);
    auto* lowerCol = new QVBoxLayout(lower);
    lowerCol->setContentsMargins(0, 0, 0, 0);
    lowerCol->setSpacing(0);
    Panel12 = new QWidget(lower);
    Panel12->setObjectName(QStringLiteral("Panel12"));
    Panel12->setFixedHeight(28);
    auto* bar = new QHBoxLayout(Panel12);
    bar->setContentsMargins(1, 1, 1, 1);
    bar->setSpacing(0);
    sbLabel = new QPlainTextEdit(Panel12);
    sbLabel->setObjectName(QStringLiteral("sbLabel"));
    sbLabel->setReadOnly(true);
    sbLabel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbLabel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbLabel->setFocusPolicy(Qt::NoFocus);
    QFont small(QStringLiteral("Arial"), 7);
    sbLabel->setFont(small);
    // Long rubric titles take two lines; the default margins would push the second one out.
    sbLabel->document()->setDocumentMargin(1);
    sbLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    sbLabel->setLineWidth(1);
    bar->addWidget(sbLabel, 1);
    sbFavorit = MakeButton(Panel12, "sbFavorit", QStringLiteral("Избранное"), "★", {250, 210, 90});
    sbNavShowAll = MakeButton(Panel12, "sbNavShowAll", QStringLiteral("Развернуть все карточки"),
                              "▼", {180, 210, 240});
    sbNavShowAllOFF = MakeButton(Panel12, "sbNavShowAllOFF",
                                 QStringLiteral("Свернуть все карточки"), "▲", {180, 210, 240});
    sbNavPrint =
        MakeButton(Panel12, "sbNavPrint", QStringLiteral("Печать карточек (только развернутых)"),
                   "P", {220, 220, 220});
    sbNavigatorPrev = MakeButton(Panel12, "sbNavigatorPrev", QString(), "◄", {200, 230, 200});
    sbNavigatorNext = MakeButton(Panel12, "sbNavigatorNext", QString(), "►", {200, 230, 200});
    for (QToolButton* b :
         {sbFavorit, sbNavShowAll, sbNavShowAllOFF, sbNavPrint, sbNavigatorPrev, sbNavigatorNext}) {
        b->setIconSize(QSize(18, 18));
        bar->addWidget(b);
    }
    connect(sbFavorit, &QToolButton::clicked, this, [this] { sbFavoritClick(); });
    connect(sbNavShowAll, &QToolButton::clicked, this, [this] { sbNavShowAllClick(); });
    connect(sbNavShowAllOFF, &QToolButton::clicked, this, [this] { sbNavShowAllOFFClick(); });
    connect(sbNavigatorPrev, &QToolButton::clicked, this, [this] { sbNavigatorPrevClick(); });
    connect(sbNavigatorNext, &QToolButton::clicked, this, [this] { sbNavigatorNextClick(); });
    connect(sbNavPrint, &QToolButton::clicked, this, [this] { sbNavPrintClick(); });
    lowerCol->addWidget(Panel12);

    pNavigator = new QWidget(lower);
    pNavigator->setObjectName(QStringLiteral("pNavigator"));
    new QVBoxLayout(pNavigator);
    pNavigator->layout()->setContentsMargins(0, 0, 0, 0);
    pWait = new TWaitPanel(pNavigator);
    pWait->setObjectName(QStringLiteral("pWait"));
    lowerCol->addWidget(pNavigator, 1);

    Splitter1->addWidget(PageControl1);
    Splitter1->addWidget(lower);
    Splitter1->setStretchFactor(1, 1);
    col->addWidget(Splitter1, 1);
}

void TFMainForm::BuildRightPart(QWidget* parent) {
    Panel2 = new QWidget(parent);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* col = new QVBoxLayout(Panel2);
    col->setContentsMargins(0, 0, 0, 0);
    col->setSpacing(0);
    BuildToolBar();
    col->addWidget(Panl);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    DataMap1 = new mapview::TDataMap(Panel2);
    DataMap1->setObjectName(QStringLiteral("DataMap1"));
    // The frames of the load, the options and the layout would go unseen: the first one is
    // drawn for the first fitted view.
    DataMap1->SetDeferFrames(true);
    DataMap1->setMouseTracking(true);
    DataMap1->installEventFilter(this);
    ApplyDesignOptions(*DataMap1);
    mapui::AttachMouseTools(*DataMap1);
    DataMap1->SetInstrument(mapview::iDragMap);
    DataMap1->SetOrbMapIcon(&FIcons);
    FZoom = std::make_unique<TMapZoom>(
        *DataMap1, TZoomSettings{FSettings.logo_p, FSettings.logo_rub, FSettings.font});
    middle->addWidget(DataMap1, 1);
    BuildQuickRubrics();
    middle->addWidget(Panel15);
    col->addLayout(middle, 1);

    BuildStatusLine();
    col->addWidget(Panel8);
    FStatus = std::make_unique<TMapStatus>(*DataMap1, Status0, LStreetHouseName);
    FZoom->ShowScaleText = [this](const QString& text) { LScale->setText(text); };
    FFind = std::make_unique<TMapFind>(*DataMap1);
    FFind->WebSite = Label13->text();
    FService = std::make_unique<TMapServiceCommands>(*DataMap1, FSettings.font);
    FBlink = std::make_unique<TMapBlink>(*DataMap1);
    FFind->StartBlink = [this](const std::vector<int>& v) { FBlink->StartBlink(v); };
    FFind->ClearBlink = [this] { FBlink->ClearBlink(); };
    FPick = std::make_unique<TMapPick>(*DataMap1, *FStatus, *FFind, FDm);
    FPick->CurrentKey = [] { return Globals().CurrentResultKey; };
    FPick->OnResult = [this](const directory::TDirectoryResult& r) { TakeResult(r); };
    FMarks = std::make_unique<TResultMarks>(*DataMap1);
    FMarks->CurrentKey = [] { return Globals().CurrentResultKey; };
    FMarks->ShowByIds = [this](const QString& ids) { ShowByIds(ids); };
    FPick->IsMark = [this](int o) { return FMarks->IsMark(o); };
    FPick->SelectMark = [this](int o) { FMarks->SelectMark(o); };
    FLogos = std::make_unique<TMapLogos>(*DataMap1, FSettings.ExeDir);
    DataMap1->OnAfterLoad = [this](mapview::TDataMap*) { FLogos->PlaceMapLogos(); };
    FPick->OnLogo = [this](int object) {
        if (const int n = FLogos->OrganisationOf(object))
            ShowAdvertised(n, QStringLiteral("logo_"));
    };
    DataMap1->OnMouseDown = [this](mapview::TDataMap*, mapview::TMouseButton b,
                                   Qt::KeyboardModifiers,
                                   QPoint pos) { DataMap1MouseDown(b, pos); };
    DataMap1->OnMouseUp = [this](mapview::TDataMap*, mapview::TMouseButton b, Qt::KeyboardModifiers,
                                 QPoint pos) {
        if (b == mapview::mbLeft && DataMap1->Instrument() == mapview::iDragMap)
            FPick->LeftRelease(pos);
    };
    // The hand of the main tool shows as the plain arrow.
    DataMap1->OnCursorChange = [](mapview::TCursor& c, bool&) {
        if (c == mapview::crOrbHand) c = mapview::crDefault;
    };
    DataMap1->OnMeasure = [this](mapview::TDataMap*, double total, double last) {
        if (FMeasure) FMeasure->Measured(total, last);
    };
}

void TFMainForm::BuildToolBar() {
    Panl = new QWidget(Panel2);
    Panl->setObjectName(QStringLiteral("Panl"));
    Panl->setFixedHeight(36);
    auto* row = new QHBoxLayout(Panl);
    row->setContentsMargins(1, 2, 4, 2);
    Panel14 = new QWidget(Panl); // the advertising animation's place
    Panel14->setObjectName(QStringLiteral("Panel14"));
    row->addWidget(Panel14, 1);
    Panel4 = new QWidget(Panl);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    auto* buttons = new QHBoxLayout(Panel4);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(2);
    const QColor tool(200, 220, 240);
    sbFind = MakeButton(Panel4, "sbFind",
                        QStringLiteral("Поиск объекта на карте\r\n(правый клик - снять выделение)"),
                        "?", tool);
    sbPrintMap =
        MakeButton(Panel4, "sbPrintMap", QStringLiteral("Печать карты на принтере"), "P", tool);
    sbZoomIn = MakeButton(Panel4, "sbZoomIn", QStringLiteral("Масштаб: увеличение"), "+", tool);
    sbZoomOut = MakeButton(Panel4, "sbZoomOut", QStringLiteral("Масштаб: уменьшение"), "−", tool);
    sbZoomAll = MakeButton(Panel4, "sbZoomAll", QStringLiteral("Масштаб: вся карта"), "[ ]", tool);
    sbDefault = MakeButton(Panel4, "sbDefault", QStringLiteral("Режим: основной"), "↖",
                           {230, 230, 200}, true);
    sbZoom =
        MakeButton(Panel4, "sbZoom", QStringLiteral("Режим: лупа"), "◎", {230, 230, 200}, true);
    sbMeasure = MakeButton(Panel4, "sbMeasure", QStringLiteral("Режим: измеритель расстояний"), "↔",
                           {230, 230, 200}, true);
    sbMini = MakeButton(Panel4, "sbMini", QStringLiteral("Миникарта / Превью"), "▣",
                        {220, 240, 220}, true);
    sb3D = MakeButton(Panel4, "sb3D", QStringLiteral("Трёхмерный режим карты"), "3D",
                      {220, 240, 220}, true);
    sbHelp =
        MakeButton(Panel4, "sbHelp", QStringLiteral("О программе / Помощь"), "i", {240, 220, 220});
    sbFavoritMap =
        MakeButton(Panel4, "sbFavoritMap", QStringLiteral("Закладки на карте"), "★", tool);
    sbFavoritMap->hide();
    sbDefault->setProperty("Tag", 1);
    sbZoom->setProperty("Tag", 2);
    sbMeasure->setProperty("Tag", 3);
    // One of the three is down; clicking the one that is down puts the main tool back.
    for (QToolButton* b : {sbDefault, sbZoom, sbMeasure})
        connect(b, &QToolButton::clicked, this, [this, b] { sbInstrumentClick(b); });
    sbDefault->setChecked(true);
    connect(sbMini, &QToolButton::clicked, this, [this] { sbMiniClick(); });
    for (QToolButton* b : {sbFind, sbPrintMap, sbZoomIn, sbZoomOut, sbZoomAll, sbDefault, sbZoom,
                           sbMeasure, sbMini, sb3D, sbHelp, sbFavoritMap})
        buttons->addWidget(b);
    row->addWidget(Panel4);
    connect(sbZoomIn, &QToolButton::clicked, this, [this] { sbZoomInClick(); });
    connect(sbZoomOut, &QToolButton::clicked, this, [this] { sbZoomOutClick(); });
    connect(sbZoomAll, &QToolButton::clicked, this, [this] { sbZoomAllClick(); });
    connect(sb3D, &QToolButton::clicked, this, [this] { sb3DClick(); });
    connect(sbPrintMap, &QToolButton::clicked, this, [this] { sbPrintMapClick(); });
    connect(sbHelp, &QToolButton::clicked, this, [this] { OpenHelp(); });
    connect(sbFind, &QToolButton::clicked, this, [this] { sbFindClick(); });
    sbFind->installEventFilter(this); // its right press clears the blinking
}

void TFMainForm::BuildQuickRubrics() {
    Panel15 = new QWidget(Panel2);
    Panel15->setObjectName(QStringLiteral("Panel15"));
    Panel15->setFixedWidth(40);
    auto* col = new QVBoxLayout(Panel15);
    col->setContentsMargins(4, 4, 4, 4);
    col->setSpacing(4);
    for (const directory::TQuickRubric& r : directory::QuickRubrics()) {
        if (r.Tag < 1 || r.Tag > int(QuickImages.size())) continue;
        auto* image = new QLabel(Panel15);
        image->setObjectName(r.Image);
        image->setFixedSize(32, 32);
        image->setPixmap(QuickRubricPicture(r.Tag, r.Hint));
        image->setToolTip(r.Hint);
        image->setCursor(Qt::PointingHandCursor);
        image->setProperty("Tag", r.Tag);
        image->installEventFilter(this);
        QuickImages[r.Tag - 1] = image;
        col->addWidget(image);
    }
    col->addStretch();
    Panel15->hide();
}

void TFMainForm::BuildStatusLine() {
    Panel8 = new QWidget(Panel2);
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->setFixedHeight(20);
    auto* row = new QHBoxLayout(Panel8);
    row->setContentsMargins(2, 0, 2, 0);
    Status0 = new QLabel(Panel8);
    Status0->setObjectName(QStringLiteral("Status0"));
    Status0->setTextFormat(Qt::PlainText);
    LStreetHouseName = new QLabel(Panel8);
    LStreetHouseName->setObjectName(QStringLiteral("LStreetHouseName"));
    LStreetHouseName->setTextFormat(Qt::PlainText);
    row->addWidget(Status0, 1);
    row->addWidget(LStreetHouseName, 1);
    LScale = new QLabel(Panel8);
    LScale->setObjectName(QStringLiteral("LScale"));
    LScale->setTextFormat(Qt::PlainText);
    LScale->setToolTip(QStringLiteral("Масштаб"));
    row->addWidget(LScale);
    Panel17 = new QWidget(Panel8);
    Panel17->setObjectName(QStringLiteral("Panel17"));
    auto* notice = new QHBoxLayout(Panel17);
    notice->setContentsMargins(0, 0, 0, 0);
    notice->addWidget(new QLabel(QStringLiteral("© Цивор"), Panel17));
    Label13 = new QLabel(QStringLiteral("www.tsivor.example"), Panel17);
    Label13->setObjectName(QStringLiteral("Label13"));
    Label13->setCursor(Qt::PointingHandCursor);
    QPalette p = Label13->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    Label13->setPalette(p);
    Label13->installEventFilter(this);
    notice->addWidget(Label13);
    row->addWidget(Panel17);
}

// ---------------------------------------------------------------------------- creation

bool TFMainForm::FormCreate(QString* error) {
    // 1. Maximised at first; the first activation leaves the user free to move it. The work
    // area is also its size: without a window manager nobody maximises it.
    if (const QScreen* s = screen()) setGeometry(s->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    // 2.
    platform::Current().SelectRussianLayout();
    // 3.
    const QString workDir = FSettings.WorkDir.isEmpty() ? QDir::currentPath() : FSettings.WorkDir;
    RxGIFAnimator1 = new TAdAnimation(QStringLiteral("RxGIFAnimator1"), {142, 30}, Panel14);
    RxGIFAnimator1->move(0, 1);
    RxGIFAnimator2 = new TAdAnimation(QStringLiteral("RxGIFAnimator2"), {23, 63}, Panel15);
    Panel15->layout()->addWidget(RxGIFAnimator2);
    Panel15->layout()->setAlignment(RxGIFAnimator2, Qt::AlignHCenter);
    for (TAdAnimation* a : {RxGIFAnimator1, RxGIFAnimator2})
        a->OnClick = [this](int orgId) { ShowAdvertised(orgId, QStringLiteral("LOG_")); };
    RxGIFAnimator1->Load(workDir + QStringLiteral("/panel"), QStringLiteral("panel_*.gif"));
    RxGIFAnimator2->Load(workDir + QStringLiteral("/panel"), QStringLiteral("panelr_*.gif"));
    platform::MarkPhase(FSettings.Phases, "window: animations");
    // 4.
    PageControl1->setTabVisible(3, FSettings.nedv != 0);
    // 5.
    if (!FDm.OpenAtStart(FSettings.ExeDir, error)) return false;
    RealEstate->ConnectionChanged();
    platform::MarkPhase(FSettings.Phases, "directory: databases opened");
    // 6.
    FRubrics->OpenRubricLists();
    auto* rubrics = new TRubricPanel(FDm, *FRubrics, TabSheet1);
    rubrics->setObjectName(QStringLiteral("RubricPanel"));
    TabSheet1->layout()->addWidget(rubrics);
    rubrics->Reload();
    connect(rubrics, &TRubricPanel::rubricChosen, this, [this] { ChooseRubric(); });
    RubricPanel = rubrics;
    MegaSearch = new TMegaSearchPanel(FDm, FSettings.ExeDir + QStringLiteral("/tsivor.ini"));
    (new QVBoxLayout(TabSheet3))->addWidget(MegaSearch);
    TabSheet3->layout()->setContentsMargins(0, 0, 0, 0);
    MegaSearch->OnResult = [this](const directory::TDirectoryResult& r) { TakeResult(r); };
    MegaSearch->Queries().Prepare(); // read while the start page is up
    // Enter in the rubric filter searches as in the criteria edits; with no criteria to search
    // by, it takes the one rubric the filter has left.
    connect(RubricPanel, &TRubricPanel::enterPressed, this, [this] {
        if (MegaSearch->bMegaFind->isEnabled())
            MegaSearch->bMegaFind->click();
        else
            RubricPanel->ChooseOnlyRubric();
    });
    MegaSearch->FindTools->Place = [this] {
        return QPoint(x() + width() - Panel15->width() - DataMap1->width() - 9, y() + 68);
    };
    platform::MarkPhase(FSettings.Phases, "directory: rubric lists, search panel");
    // 7. Red 237, green 211, blue 174 as a 0x00BBGGRR colour.
    DataMap1->SetBackgroundColor(mapdata::TColor(237 | (211 << 8) | (174 << 16)));
    // 8.
    DataMap1->LoadPhases = FSettings.Phases;
    LoadMap();
    // A listing's address on the map: the house looked up as the listing writes it.
    RealEstate->Results->FindAddress = [this](const QString& address) {
        const directory::TListingAddress a = directory::ParseListingAddress(address);
        return DataMap1->FindHouseLike(-1, QString(), a.House, a.Street);
    };
    RealEstate->Results->ShowObject = [this](int object) {
        DataMap1->ZoomToObjects({object}, -1);
        DataMap1->SetBlinkObjects({object});
        DataMap1->DrawCrossHair(object);
        DataMap1->update();
    };
    RealEstate->Results->MarkObjects = [this](const std::vector<int>& objects) {
        if (objects.empty())
            DataMap1->ClearBlinkObjects();
        else
            DataMap1->SetBlinkObjects(objects);
    };
    // 9.
    ApplyMapOptions();
    // 10.
    QString iconError;
    if (!FIcons.LoadIconLibrary(FSettings.ExeDir + QStringLiteral("/tsivor.lib"), &iconError))
        platform::ShowMessage(iconError, platform::MessageKind::Error, this);
    // Notes of the built-in library keep their pictures next to the program's own library.
    mapview::LoadBuiltInIcons(FIcons);
    platform::MarkPhase(FSettings.Phases, "map options, icon library");
    // 11.
    for (int code = 100; code <= 512000; ++code) DataMap1->SetCategoryVisible(code, false);
    for (int code = 0; code <= 99; ++code) DataMap1->SetCategoryVisible(code, true);
    DataMap1->SetFilter(true);
    DataMap1->MarkDirty();
    DataMap1->Redraw();
    DataMap1->update();
    platform::MarkPhase(FSettings.Phases, "map: categories and filter");
    // 12.
    Panel15->setVisible(FSettings.Pan == 1); // the saved view follows at the first show
    // 13.
    History.Clear();
    CreateNavigator();
    ConnectCardHooks();
    Globals().CurrentResultKey.clear();
    // 14.
    Banners = new TBannerRotator(BannerImage, Panel16->findChild<QLabel*>("LNoBanner"), this);
    Banners->OnClick = [this](int orgId) {
        ShowAdvertised(orgId, QStringLiteral("ban_"));
        if (PageControl1->currentIndex() == 3) {
            RealEstate->Results->hide();
            PageControl1->setCurrentIndex(0);
        }
    };
    Banners->LoadBanners(workDir);
    Banners->BannerTimer->start();
    // 15.
    ShowAutoLoad();
    FStartListShown = true;
    platform::MarkPhase(FSettings.Phases, "cards list, banners, start list");
    // 16.
    if (PageControl1->currentIndex() == 2)
        PageControl1Change();
    else
        PageControl1->setCurrentIndex(2);
    // 17.
    FFavourites = std::make_unique<TFavourites>(platform::TFileLocation(FSettings.ExeDir));
    PopupNavigator = new TFavouritesMenu(*FFavourites, this);
    PopupNavigator->ShowFavourites = [this] { sbFavoritClick(); };
    PopupNavigator->OnChanged = [this] { sbFavorit->setToolTip(FFavourites->Hint()); };
    Navigator->Hooks.OnCardMenu = [this](int orgId) { PopupNavigator->OnCardMenu(orgId); };
    FFavourites->LoadFavourites();
    sbFavorit->setToolTip(FFavourites->Hint());
    platform::MarkPhase(FSettings.Phases, "tabs, favourites");
    FCreated = true;
    return true;
}

void TFMainForm::LoadMap() {
    const QString path = FSettings.ExeDir + QStringLiteral("/info1.db");
    QString error;
    mapdata::TLoadReport report;
    if (!DataMap1->MapLoad(path, &error, &report)) {
        platform::ShowMessage(error.isEmpty() ? QStringLiteral("Не удалось загрузить карту ") + path
                                              : error,
                              platform::MessageKind::Error, this);
        return;
    }
    // A damaged or unknown file still leaves the program usable; the user is told what is shown.
    if (const QString damage = mapdata::LoadReportMessage(report); !damage.isEmpty())
        platform::ShowMessage(damage, platform::MessageKind::Error, this);
    DataMap1->SetMashtab(FSettings.Mashtab);
    // The lower limit is the scale of the whole map in the real window, known after the
    // first layout (FormShow); until then the scale the file stored stands.
    Globals().MinScale = DataMap1->Scale();
}

void TFMainForm::ApplyMapOptions() {
    mapview::tOrbMapOptions& o = DataMap1->Options();
    o.SetView3DAngle(80);
    o.SetmpNumberDomSizeFont(10);
    o.SetView3D(false);
    o.SetLockScrollOutMap(true);
    o.SetmpNumberDomSizeFont(HouseNumberFontSize(DataMap1->Scale(), FSettings.font));
    o.SetView3DAngle(80);
    o.SetMinScale3D(float(FSettings.min_3));
    o.SetMinScaleAddress(FSettings.min_adr);
    DataMap1->SetScaleFind(FSettings.scale_find);
    o.SetView3D(false);
    o.SetShowMeasure(false);
    DataMap1->OnChangeScale = [this](mapview::TDataMap*) { FZoom->ScaleChanged(); };
}

void TFMainForm::FitFirstView() {
    // The whole map at the real size of the map sets the lower limit; the saved view comes
    // back only when it is valid against that.
    FZoom->ZoomAll();
    FViewRestored = FZoom->RestoreView(FSettings.M1, FSettings.P1, FSettings.P2);
    DataMap1->SetDeferFrames(false);
    DataMap1->update();
}

void TFMainForm::CreateNavigator() {
    Navigator = new TNavigator(pNavigator);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    pNavigator->layout()->addWidget(Navigator);
    // The column has a fixed width: the cards get it before the window is first laid out.
    Navigator->resize(LeftColumnWidth, std::max(200, pNavigator->height()));
    Navigator->FitCardsToWidth();
    Navigator->SetCaptionIcons(CaptionIcon({200, 60, 60}, QStringLiteral("i")),
                               CaptionIcon({60, 110, 190}, QStringLiteral("…")));
    FFiller = std::make_unique<TCardFiller>(*Navigator, pWait, FSettings.ExeDir);
    FFiller->Hooks.OnBeforeFill = [this] {
        History.BeforeFill(Snapshot());
        FLogos->RemoveRubricLogos();
        FMarks->OnBeforeFill();
    };
    FFiller->Hooks.OnHouseMarker = [this](int house, int orgId, bool file, bool comment) {
        FMarks->OnHouseMarker(house, orgId, file, comment);
    };
    FFiller->Hooks.OnAfterFill = [this] {
        FMarks->OnAfterFill();
        History.AfterFill(Snapshot());
        if (FStartListShown && Navigator->ItemsCount() > 0)
            FLogos->PlaceRubricLogos(Navigator->ResultIds());
    };
    FDm.QMain.AfterOpen = [this](directory::TQuery& q) { FFiller->Fill(CardRowsOf(q)); };
}

void TFMainForm::ConnectCardHooks() {
    TCardHooks& h = Navigator->Hooks;
    h.OnCardRubricClick = [this](const QString& name) { ShowRubricByName(name); };
    h.OnCardAddressClick = [this](const QString& text) { FFind->CardAddressClick(text); };
    h.OnCardWebClick = [](const QString& text) { OpenAddressOrSay(WebLinkTarget(text)); };
    h.OnCardMailClick = [](const QString& text) {
        OpenAddressOrSay(QStringLiteral("Mailto:") + text);
    };
    // Expanding a card opens its file by the way (a banner, a mark, a result of one card): a
    // file that does not open is told in the status line, never in a box over the card.
    h.OnCardAttachment = [this](const QString& path) {
        const QString why = OpenFile(FSettings.ExeDir + u'/' + path);
        if (!why.isEmpty()) FStatus->ShowNotice(why);
    };
    h.FillCardDetails = [this](TNavigatorItem& card, int orgId) {
        FFiller->FillDetails(card, orgId, *FDetails);
    };
}

// ---------------------------------------------------------------------------- results

TMainFormSettings TMainFormSettings::From(const TTsivorConfig& c, const QString& exeDir) {
    TMainFormSettings s;
    s.ExeDir = exeDir;
    s.nedv = c.Map.nedv;
    s.Pan = c.Map.Pan;
    s.P1 = c.Map.P1;
    s.P2 = c.Map.P2;
    s.M1 = c.Map.M1;
    s.min_3 = c.Mas.min_3;
    s.min_adr = c.Mas.min_adr;
    s.logo_p = c.Mas.logo_p;
    s.logo_rub = c.Mas.logo_rub;
    s.font = c.Mas.font;
    s.scale_find = c.Mas.scale_find;
    s.Mashtab = c.Mas.Mashtab;
    s.Buttons3d = c.Buttons.View3D;
    s.ButtonsMini = c.Buttons.Mini;
    return s;
}

QString TFMainForm::CurrentResultKey() const {
    return Globals().CurrentResultKey;
}
QString TFMainForm::ResultTitle() const {
    return sbLabel->toPlainText();
}
void TFMainForm::SetTitle(const QString& title) {
    sbLabel->setPlainText(title);
}

void TFMainForm::TakeResult(const directory::TDirectoryResult& r) {
    Globals().CurrentResultKey = r.Key;
    SetTitle(r.Title);
    History.ResultShown(r.Key);
}

TResultSnapshot TFMainForm::Snapshot() const {
    TResultSnapshot s;
    if (Navigator) {
        s.ResultIds = Navigator->ResultIds();
        s.ExpandedFlags = Navigator->ExpandedFlags();
        s.CardCount = Navigator->ItemsCount();
    }
    s.ResultKey = Globals().CurrentResultKey;
    s.Title = ResultTitle();
    return s;
}

void TFMainForm::ShowAutoLoad() {
    History.ResetPositions();
    TakeResult(FRubrics->ShowAutoLoad());
}

void TFMainForm::ShowByIds(const QString& list) {
    directory::TRubricQueries::ReopenOrReport(FDm.QMain,
                                              ShowByIdsStatement(list, History.HistoryPos()));
    TakeResult({QStringLiteral("По адресу") + list,
                QStringLiteral("Выборка по карте (%1 шт.)").arg(FDm.QMain.RecordCount()),
                FDm.QMain.RecordCount()});
}

void TFMainForm::ShowRubricByName(const QString& name) {
    if (auto r = FRubrics->ShowRubricByName(name, Globals().CurrentResultKey)) TakeResult(*r);
}

void TFMainForm::ShowQuickRubric(int tag) {
    if (auto r = FRubrics->ShowQuickRubric(tag, Globals().CurrentResultKey)) TakeResult(*r);
}

void TFMainForm::ChooseRubric() {
    if (auto r = FRubrics->ChooseCurrentRubric(Globals().CurrentResultKey)) TakeResult(*r);
}

// ---------------------------------------------------------------------------- cards bar

void TFMainForm::sbNavShowAllClick() {
    if (Navigator) Navigator->RunBulk(true, pWait);
}

QPrinter& TFMainForm::Printer() {
    if (!FPrinter) FPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *FPrinter;
}

mapui::TMapPrint& TFMainForm::MapPrint() {
    if (!FMapPrint) {
        FMapPrint = std::make_unique<mapui::TMapPrint>(*DataMap1);
        FMapPrint->Printer = &Printer(); // for the layout dialog's printer setup
        FMapPrint->DialogParent = this;
    }
    return *FMapPrint;
}

void TFMainForm::sbPrintMapClick() {
    PrintMapClick(MapPrint(), Printer(), this);
}

void TFMainForm::sbNavPrintClick() {
    if (!Navigator) return;
    const TCardPrintHeader header{windowTitle(), Label13->text(), ResultTitle(),
                                  QDateTime::currentDateTime()};
    TCardPrint(*Navigator)
        .Run(
            Printer(), header, [this] { sbNavShowAllClick(); }, this);
}

void TFMainForm::sbNavShowAllOFFClick() {
    if (Navigator) Navigator->RunBulk(false, pWait);
}

void TFMainForm::EscExecute() {
    if (Navigator) Navigator->RequestStop();
}

void TFMainForm::sbFavoritClick() {
    if (!FFavourites) return; // the window was not created
    FFavourites->LoadFavourites();
    sbFavorit->setToolTip(FFavourites->Hint());
    if (FFavourites->FavouriteIds().isEmpty()) {
        platform::ShowMessage(QStringLiteral("Раздел Избранное пуст.\nДля того, чтобы карточку "
                                             "организации добавить\nв Избранное, кликните на "
                                             "карточке правой клавишей\nмыши и выберите "
                                             "соответствующий пункт меню."),
                              platform::MessageKind::Information, this);
        return;
    }
    ShowByIds(FFavourites->FavouriteIds());
    Globals().CurrentResultKey = QStringLiteral("Favorite");
    SetTitle(QStringLiteral("Избранное: (%1 шт.)").arg(FDm.QMain.RecordCount()));
}

void TFMainForm::ShowAdvertised(int orgId, const QString& key) {
    directory::TRubricQueries::ReopenOrReport(
        FDm.QMain, {QStringLiteral("SELECT *"), QStringLiteral("FROM Main"),
                    QStringLiteral("WHERE Main.Id=%1").arg(orgId)});
    Globals().CurrentResultKey = key + QString::number(orgId);
    if (!Navigator || Navigator->ItemsCount() == 0) {
        SetTitle(QStringLiteral("Выбрано: ")); // the organisation is no longer listed
        return;
    }
    Navigator->Item(0)->SetMaximized(true);
    FDm.QMain.First();
    SetTitle(QStringLiteral("Выбрано: ") + FDm.QMain.FieldAsString(QStringLiteral("Title")));
}

void TFMainForm::UpdateHistoryButtons() {
    sbNavigatorPrev->setEnabled(History.PrevEnabled());
    sbNavigatorPrev->setToolTip(History.PrevHint());
    sbNavigatorNext->setEnabled(History.NextEnabled());
    sbNavigatorNext->setToolTip(History.NextHint());
}

void TFMainForm::Restore(const TNavigatorHistoryItem& entry) {
    const TNavigatorHistoryItem copy = entry; // the fill must not see the entry change
    History.SetRecording(false);
    ShowByIds(copy.ResultIds);
    Globals().CurrentResultKey = copy.ResultKey;
    SetTitle(copy.ResultTitle);
    History.SetRecording(true);
}

void TFMainForm::sbNavigatorPrevClick() {
    if (const TNavigatorHistoryItem* e = History.Previous(ResultTitle())) Restore(*e);
    UpdateHistoryButtons();
}

void TFMainForm::sbNavigatorNextClick() {
    if (const TNavigatorHistoryItem* e = History.Next()) Restore(*e);
    UpdateHistoryButtons();
}

// ---------------------------------------------------------------------------- map

void TFMainForm::ZoomAtMouse(double delta) {
    FZoom->ZoomAtMouse(delta);
}

void TFMainForm::ZoomAtCentre(double delta) {
    FZoom->ZoomAtCentre(delta);
}

void TFMainForm::sbZoomInClick() {
    FViewChosen = true;
    FZoom->ZoomIn();
}

void TFMainForm::sbZoomOutClick() {
    FViewChosen = true;
    FZoom->ZoomOut();
}

void TFMainForm::sbZoomAllClick() {
    FZoom->ZoomAll();
    DataMap1->update();
}

void TFMainForm::sb3DClick() {
    DataMap1->Options().SetView3D(sb3D->isChecked());
}

bool TFMainForm::DataMap1KeyDown(QKeyEvent* e) {
    switch (const TMapKeyCommand c = MapKeyCommand(*e)) {
    case TMapKeyCommand::None:
        return false;
    case TMapKeyCommand::ZoomIn:
        sbZoomIn->click();
        break;
    case TMapKeyCommand::ZoomOut:
        sbZoomOut->click();
        break;
    case TMapKeyCommand::ZoomAll:
        sbZoomAll->click();
        break;
    default:
        FViewChosen = true;
        FZoom->Pan(c);
        break;
    }
    QCoreApplication::processEvents();
    return true;
}

void TFMainForm::DataMap1MouseDown(mapview::TMouseButton button, QPoint pos) {
    FViewChosen = true;
    // Not while an edge zone scrolls the map (its cursors 1000..1007).
    const mapview::TCursor c = DataMap1->MapCursor();
    if (button == mapview::mbLeft) FPick->LeftPress(pos);
    if (button != mapview::mbRight || DataMap1->Instrument() != mapview::iDragMap ||
        (c >= mapview::crOrbLeft && c <= mapview::crOrbLeftDown))
        return;
    FPick->RightClick(pos);
}

void TFMainForm::sbInstrumentClick(QToolButton* b) {
    if (!b->isChecked()) { // the button came up: back to the main tool
        if (FMeasure) FMeasure->hide();
        sbDefault->setChecked(true);
        DataMap1->SetInstrument(mapview::iDragMap);
        return;
    }
    for (QToolButton* other : {sbDefault, sbZoom, sbMeasure})
        if (other != b) other->setChecked(false);
    const int tag = b->property("Tag").toInt();
    if (tag != 3 && FMeasure) FMeasure->hide();
    if (tag == 2) DataMap1->SetInstrument(mapview::iLinza);
    if (tag == 1) DataMap1->SetInstrument(mapview::iDragMap);
    if (tag == 3) {
        if (!FMeasure) {
            FMeasure = new TfMeasureResult(this);
            FMeasure->OnClosed = [this] {
                sbDefault->setChecked(true);
                sbInstrumentClick(sbDefault);
            };
        }
        FMeasure->move(geometry().left() + 300, geometry().top() + Panl->height() + 20);
        FMeasure->show();
        DataMap1->SetInstrument(mapview::iMeasure);
    }
}

void TFMainForm::sbMiniClick() {
    if (sbMini->isChecked()) {
        if (!FMini) {
            FMini = new TFMini(*DataMap1, this);
            FMini->OnClosed = [this] { sbMini->setChecked(false); };
        }
        FMini->show();
        FMini->PlaceBy(frameGeometry(), 9 + (Panel15->isVisible() ? Panel15->width() : 0));
    } else if (FMini) {
        FMini->close();
    }
}

void TFMainForm::sbFindClick() {
    if (FFind->ClearBlink) FFind->ClearBlink();
    if (!FFindForm) FFindForm = new TFindForm(this);
    if (!FFindForm->HasStreets()) {
        QStringList streets;
        for (const mapdata::TNamedCode& s : DataMap1->GetStreets()) streets << s.Name;
        FFindForm->SetStreets(streets);
    }
    FFindForm->exec();
    if (FFindForm && FFindForm->Ok()) {
        FViewChosen = true;
        FFind->FindStreetHouse(FFindForm->Street(), FFindForm->House());
    }
}

void TFMainForm::OpenHelp() {
    const QString n = ReadHelpNumber ? ReadHelpNumber() : QString();
    OpenFileOrSay(FSettings.ExeDir + QStringLiteral("/chm/chm_") + n + QStringLiteral(".chm"));
}

// ---------------------------------------------------------------------------- window

void TFMainForm::PageControl1Change() {
    Panel12->show();
    const bool closed = Globals().StartPageClosed;
    const int tab = PageControl1->currentIndex();
    const int total = Splitter1->height() > 0 ? Splitter1->height() : 600;
    // When the column changes height the tabs keep theirs, except the listings, which take
    // the whole column.
    Splitter1->setStretchFactor(0, tab == 3 ? 1 : 0);
    Splitter1->setStretchFactor(1, tab == 3 ? 0 : 1);
    if (tab == 0) {
        if (closed && RubricPanel) RubricPanel->eFind1()->setFocus();
        Splitter1->setSizes({182, std::max(0, total - 182)});
    } else if (tab == 2) {
        if (closed && MegaSearch) MegaSearch->Edit(directory::TCriterion::Keyword)->setFocus();
        Splitter1->setSizes({199, std::max(0, total - 199)});
        if (MegaSearch) MegaSearch->eNameChange();
    } else if (tab == 3) {
        Panel12->hide();
        Splitter1->setSizes({total, 0});
    }
}

void TFMainForm::FormShow() {
    if (FShownOnce) return;
    FShownOnce = true;
    sbMini->setChecked(FSettings.ButtonsMini);
    sbMiniClick();
    sb3D->setChecked(FSettings.Buttons3d);
    sb3DClick();
    // The map was fitted while the window had no size yet: show the whole map at the real one.
    QTimer::singleShot(0, this, [this] {
        FitFirstView();
        FViewFitted = true;
    });
    Globals().MainFormShown = true;
    if (OnShown) OnShown();
}

bool TFMainForm::Ready() const {
    return FCreated && FStartListShown && FShownOnce && FViewFitted && DataMap1->isVisible() &&
           DataMap1->PictureFitsControl();
}

void TFMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    FormShow();
    if (Splitter1->sizes().value(0) == 0 || PageControl1->currentIndex() >= 0) PageControl1Change();
}

void TFMainForm::closeEvent(QCloseEvent* e) {
    if (OnSaveView) {
        TMainFormViewState s;
        s.P1 = DataMap1->XWind();
        s.P2 = DataMap1->YWind();
        s.M1 = DataMap1->Scale();
        s.Buttons3d = sb3D->isChecked();
        s.ButtonsMini = sbMini->isChecked();
        OnSaveView(s);
    }
    // The cards list goes with the window; later results have nowhere to show.
    FDm.QMain.AfterOpen = nullptr;
    FFiller.reset();
    delete Navigator;
    Navigator = nullptr;
    QMainWindow::closeEvent(e);
    if (OnClosed) OnClosed();
}

bool TFMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DataMap1) {
        // A large map (an imported city) is drawn and searched through the spatial index: the
        // same pixels and finds, without reading every object for each strip, blink and click.
        // It is built behind the first frame of the fitted view; a map of a town keeps it off,
        // as the form has it.
        if (event->type() == QEvent::Paint && FViewFitted && !FIndexAsked) {
            FIndexAsked = true;
            if (DataMap1->ObjectCount() >= FSettings.IndexedMapObjects)
                QCoreApplication::postEvent(DataMap1, new QEvent(kIndexTheMap));
        }
        if (event->type() == kIndexTheMap) {
            DataMap1->SetUseIndex(true);
            return true;
        }
        switch (event->type()) {
        case QEvent::Wheel: {
            FViewChosen = true;
            auto* wheel = static_cast<QWheelEvent*>(event);
            FZoom->Wheel(wheel->position().toPoint(), wheel->angleDelta().y());
            wheel->accept();
            return true;
        }
        case QEvent::KeyPress:
            return DataMap1KeyDown(static_cast<QKeyEvent*>(event));
        case QEvent::MouseMove:
            FStatus->PointerMoved(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::Resize:
            // The window manager maximises the window some time after the first show, and the
            // user may size it at once: as long as nothing zoomed or moved the whole map it
            // follows the map's size, also after the start page is gone.
            if (FViewFitted && !FViewRestored && !FViewChosen && FZoom->ShowsWholeMap() &&
                DataMap1->ObjectCount() > 0)
                QTimer::singleShot(0, this, [this] {
                    if (!FViewChosen && FZoom->ShowsWholeMap()) sbZoomAllClick();
                });
            break;
        case QEvent::MouseButtonPress:
            FViewChosen = true;
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            // Focus follows the mouse while the program is active and the start page is gone.
            if (Globals().StartPageClosed &&
                QGuiApplication::applicationState() == Qt::ApplicationActive) {
                if (event->type() == QEvent::Enter)
                    DataMap1->setFocus(Qt::MouseFocusReason);
                else if (Navigator)
                    Navigator->setFocus(Qt::MouseFocusReason);
            }
            break;
        default:
            break;
        }
        return false;
    }
    if (watched == sbFind && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        if (FFind->ClearBlink) FFind->ClearBlink();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label13) {
            OpenAddressOrSay(QStringLiteral("http://") + Label13->text());
            return true;
        }
        const QVariant tag = watched->property("Tag");
        if (tag.isValid() && watched->parent() == Panel15) {
            ShowQuickRubric(tag.toInt());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace tsivor::app
