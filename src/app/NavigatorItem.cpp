#include "app/NavigatorItem.h"

#include "app/Navigator.h"
#include "mapdata/Rounding.h"
#include "platform/Platform.h"

#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace tsivor::app {

using mapdata::RoundToInt;

const TCardTextStyle CaptionStyle{false, 0x00000000, true,   false,          false,
                                  1.8,   10,         lkNone, Qt::ArrowCursor};
const TCardTextStyle MemoStyle{false, 0x00000000, false,  false,          false,
                               1.5,   8,          lkNone, Qt::ArrowCursor};
const TCardTextStyle RubricStyle{
    false, 0x00000080, false, false, true, 1.7, 9, lkRubric, Qt::PointingHandCursor};
const TCardTextStyle AddressPrefixStyle{false, 0x00000000, false,  false,          false,
                                        1.7,   9,          lkNone, Qt::ArrowCursor};
const TCardTextStyle AddressLinkStyle{
    false, 0x00FF0000, false, false, true, 1.7, 9, lkAddress, Qt::PointingHandCursor};
const TCardTextStyle AddressPlainStyle{false, 0x00000000, false,  false,          false,
                                       1.7,   9,          lkNone, Qt::ArrowCursor};
const TCardTextStyle PhoneStyle{true, 0x00008000, false,  false,          false,
                                1.5,  9,          lkNone, Qt::ArrowCursor};
const TCardTextStyle WebStyle{
    false, 0x00800000, false, false, true, 1.7, 9, lkWeb, Qt::PointingHandCursor};
const TCardTextStyle MailStyle{
    true, 0x00800000, false, false, true, 1.7, 9, lkMail, Qt::PointingHandCursor};

QColor ToQColor(TColor c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

using mapdata::RoundToInt;

namespace {

// About 1.3 seconds: 150e-7 days.
constexpr qint64 DoublePressMs = 1296;
constexpr int InitialLabels = 8;

QFont FontOf(const TCardTextStyle& s) {
    QFont f(QStringLiteral("Arial"), s.FontSize);
    f.setBold(s.Bold);
    f.setItalic(s.Italic);
    f.setUnderline(s.Underline);
    return f;
}

} // namespace

// One piece of text; links call their hook, other labels act as the card itself.
class TNavigatorItem::TCardLabel : public QLabel {
public:
    TCardLabel(TNavigatorItem* card, int index) : QLabel(card), FCard(card), FIndex(index) {
        setTextFormat(Qt::PlainText); // database texts are never markup
        setFont(FontOf(AddressPlainStyle));
        setAutoFillBackground(false);
        hide();
    }
    void ApplyStyle(const TCardTextStyle& s) {
        if (Style == &s) return;
        Style = &s;
        setFont(FontOf(s));
        QPalette p = palette();
        p.setColor(QPalette::WindowText, ToQColor(s.Color));
        setPalette(p);
        setCursor(s.Cursor);
    }
    const TCardTextStyle* Style = nullptr;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        if (Style && Style->IsLink()) {
            if (e->button() == Qt::RightButton) FCard->PressOn(this, Qt::RightButton);
            e->accept();
            return;
        }
        FCard->PressOn(this, e->button());
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (Style && Style->IsLink() && e->button() == Qt::LeftButton &&
            rect().contains(e->position().toPoint()))
            FCard->LinkClicked(FIndex);
        e->accept();
    }

private:
    TNavigatorItem* FCard;
    int FIndex;
};

TNavigatorItem::TNavigatorItem(TNavigator* owner, QWidget* parent) : QFrame(parent), FOwner(owner) {
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(1);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::ClickFocus);
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(CardNormalColor));
    setPalette(p);
    resize(245, 20);
    FIcon = new QLabel(this);
    FIcon->resize(10, 16);
    FIcon->hide();
    FHeaderImage = new QLabel(this);
    FHeaderImage->resize(279, 32);
    FHeaderImage->hide();
    FHeaderAnimation = new QLabel(this);
    FHeaderAnimation->resize(279, 32);
    FHeaderAnimation->hide();
    FLines.reserve(InitialLabels);
    for (int i = 0; i < InitialLabels; ++i) FLines.push_back(new TCardLabel(this, i));
    hide();
}

TNavigatorItem::~TNavigatorItem() = default;

TNavigatorItem::TCardLabel* TNavigatorItem::LabelAt(int i) {
    while (int(FLines.size()) <= i) FLines.push_back(new TCardLabel(this, int(FLines.size())));
    return FLines[i];
}

QLabel* TNavigatorItem::Line(int i) const {
    return FLines[i];
}

const TCardTextStyle* TNavigatorItem::LineStyle(int i) const {
    return FLines[i]->Style;
}

QLabel* TNavigatorItem::HeaderControl() const {
    if (!FHeaderAnimation->isHidden()) return FHeaderAnimation;
    if (!FHeaderImage->isHidden()) return FHeaderImage;
    return nullptr;
}

bool TNavigatorItem::HeaderShown() const {
    return !FHeaderImage->isHidden() || !FHeaderAnimation->isHidden();
}

void TNavigatorItem::AddPiece(const TCardTextStyle& style, const QString& text) {
    TCardLabel* l = LabelAt(FLineIndex);
    l->ApplyStyle(style);
    l->setText(text);
    const QFontMetrics fm = l->fontMetrics();
    const int w = fm.horizontalAdvance(text);
    if (FPenX + w >= CardWidth && FPenX > FLeftX && FLineIndex > 0) NewLine(1);
    int left;
    if (style.RightAlign) {
        left = std::max(0, CardWidth - w); // a line wider than the card starts at its edge
        FPenX = CardWidth;
    } else {
        left = FPenX;
        FPenX += w;
    }
    l->setGeometry(left, FPenY, w, fm.height());
    l->show();
    ++FLineIndex;
    FLastFactor = style.LineFactor;
    FLastFontSize = style.FontSize;
}

void TNavigatorItem::AddPieceGap(const TCardTextStyle& style, const QString& text) {
    AddPiece(style, text);
    FPenX += 10;
}

void TNavigatorItem::NewLine(double factor) {
    FPenY += RoundToInt(FLastFactor * FLastFontSize * factor);
    FPenX = FLeftX;
}

void TNavigatorItem::AddWrappedText(const TCardTextStyle& style, const QString& text) {
    const QFontMetrics fm(FontOf(style));
    QString buffer;
    const int n = int(text.size());
    int i = 0;
    while (i < n) {
        // A word with the spaces after it, then the line breaks that follow.
        const int start = i;
        while (i < n && text[i] != u' ' && text[i] != u'\r' && text[i] != u'\n') ++i;
        while (i < n && text[i] == u' ') ++i;
        const QString word = text.mid(start, i - start);
        int breaks = 0;
        while (i < n && (text[i] == u'\r' || text[i] == u'\n')) {
            if (text[i] == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i; // CR LF is one break
            ++breaks;
            ++i;
            while (i < n && text[i] == u' ' && i + 1 < n &&
                   (text[i + 1] == u'\r' || text[i + 1] == u'\n'))
                ++i; // blanks between breaks do not make words
        }
        const QString candidate = buffer + word;
        if (!buffer.isEmpty() && fm.horizontalAdvance(candidate) > CardWidth) {
            AddPiece(style, buffer);
            buffer = word;
        } else {
            buffer = candidate;
        }
        if (breaks > 0) {
            if (!buffer.isEmpty()) AddPiece(style, buffer);
            for (int k = 0; k < breaks; ++k) NewLine(1);
            buffer.clear();
        }
    }
    if (!buffer.isEmpty()) AddPiece(style, buffer);
}

void TNavigatorItem::SetCaption(const QString& name, bool hasAttachment, bool hasComment) {
    if (hasAttachment || hasComment) {
        FIcon->setPixmap(hasAttachment ? FOwner->AttachmentIcon() : FOwner->CommentIcon());
        FIcon->move(FPenX, FPenY);
        FIcon->show();
        FPenX += FIcon->width() + 5;
    } else {
        FIcon->hide();
        FPenX = FLeftX;
    }
    AddWrappedText(CaptionStyle, name);
    if (!HeaderShown()) FCollapsedHeight = RoundToInt(10 * 1.8) + FPenY;
}

bool TNavigatorItem::LoadHeaderPicture(const QString& path) {
    const bool gif =
        QFileInfo(path).suffix().compare(QLatin1String("gif"), Qt::CaseInsensitive) == 0;
    int pictureHeight = 0;
    bool ok = false;
    // Pictures are made 279 wide; next to the list's scroll bar the card is narrower, and a
    // cut-off edge looks broken, so they are narrowed to the card instead.
    const int room = std::clamp(width() - 2, 1, HeaderWidth);
    if (gif) {
        if (!FHeaderMovie) {
            FHeaderMovie = new QMovie(this);
            // Headers loop for ever whatever the file says.
            connect(FHeaderMovie, &QMovie::finished, FHeaderMovie, &QMovie::start);
        }
        FHeaderMovie->stop();
        FHeaderMovie->setScaledSize(QSize());
        FHeaderMovie->setFileName(path);
        if (FHeaderMovie->isValid() && FHeaderMovie->jumpToFrame(0)) {
            const QSize frame = FHeaderMovie->currentImage().size();
            pictureHeight = frame.height();
            ok = pictureHeight > 0;
            if (ok && frame.width() > room)
                FHeaderMovie->setScaledSize(QSize(room, frame.height()));
        }
    } else {
        QPixmap pm;
        if (pm.load(path, "BMP") || pm.load(path)) {
            if (pm.width() > room)
                pm = pm.scaled(room, pm.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            FHeaderImage->setPixmap(pm);
            pictureHeight = pm.height();
            ok = true;
        }
    }
    if (!ok) {
        if (FHeaderMovie) FHeaderMovie->stop();
        FHeaderAnimation->hide();
        FHeaderImage->hide();
        platform::ShowMessage(
            QStringLiteral("Куда-то вся реклама делась... Я могу и разозлиться!"));
        return false;
    }
    const int h = pictureHeight > 39 ? 62 : 31;
    QLabel* shown = gif ? FHeaderAnimation : FHeaderImage;
    QLabel* other = gif ? FHeaderImage : FHeaderAnimation;
    if (!gif && FHeaderMovie) FHeaderMovie->stop();
    other->hide();
    shown->setGeometry(1, 1, room, h);
    if (gif) {
        FHeaderAnimation->setMovie(FHeaderMovie);
        FHeaderMovie->start();
    }
    shown->show();
    FPenY = h + 1;
    if (FLineIndex == 0) FCollapsedHeight = FPenY;
    return true;
}

void TNavigatorItem::ResetCard() {
    FLineIndex = 0;
    FPenX = FLeftX;
    FPenY = 1;
    FHeaderImage->hide();
    if (FHeaderMovie) FHeaderMovie->stop();
    FHeaderAnimation->hide();
}

void TNavigatorItem::FinishCard() {
    FExpandedHeight = RoundToInt(FLastFactor * FLastFontSize * 1.2) + FPenY;
    ApplyHeight();
    for (int i = FLineIndex; i < int(FLines.size()); ++i)
        if (!FLines[i]->isHidden()) FLines[i]->hide();
    show();
}

void TNavigatorItem::ApplyHeight() {
    const int h = FMaximized ? FExpandedHeight : FCollapsedHeight;
    if (height() == h) return;
    resize(width(), h);
    FOwner->ScheduleRelayout();
}

void TNavigatorItem::SetMaximized(bool value) {
    if (value == FMaximized) return;
    FMaximized = value;
    if (value) {
        if (!FDetailsLoaded) {
            FOwner->CurrentCard = this;
            FOwner->CurrentOrgId = FOrgId;
            if (FOwner->Hooks.FillCardDetails) FOwner->Hooks.FillCardDetails(*this, FOrgId);
            FDetailsLoaded = true;
        }
        ApplyHeight();
        if (!FFileSet.isEmpty() && FOwner->OpenAttachmentOnExpand && FOwner->Hooks.OnCardAttachment)
            FOwner->Hooks.OnCardAttachment(QStringLiteral("chm/") + FFileSet +
                                           QStringLiteral(".chm"));
    } else {
        ApplyHeight();
    }
}

void TNavigatorItem::SetLeftX(int value) {
    FLeftX = value;
    if (FLineIndex == 0) FPenX = value;
}

void TNavigatorItem::SetColorSet(int value) {
    const bool wasNormal = FColorSet == 0;
    FColorSet = value;
    if (wasNormal == (value == 0)) return;
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(value == 0 ? CardNormalColor : CardHighlightColor));
    setPalette(p);
}

void TNavigatorItem::SetFileSet(const QString& value) {
    FFileSet = value.left(20);
}

void TNavigatorItem::PressOn(QObject* control, Qt::MouseButton button) {
    if (button == Qt::RightButton) {
        if (FOwner->Hooks.OnCardMenu) FOwner->Hooks.OnCardMenu(FOrgId);
        return;
    }
    if (button != Qt::LeftButton) return;
    const qint64 now = FOwner->Clock();
    if (control == FLastPressControl && now - FLastPressTime < DoublePressMs) return;
    FLastPressControl = control;
    FLastPressTime = now;
    SetMaximized(!FMaximized);
    setFocus(Qt::MouseFocusReason);
}

void TNavigatorItem::LinkClicked(int lineIndex) {
    const TCardLabel* l = FLines[lineIndex];
    if (!l->Style) return;
    const TCardHooks& h = FOwner->Hooks;
    const QString text = l->text();
    switch (l->Style->LinkKind) {
    case lkRubric:
        if (h.OnCardRubricClick) h.OnCardRubricClick(text);
        break;
    case lkAddress:
        if (h.OnCardAddressClick) h.OnCardAddressClick(text);
        break;
    case lkWeb:
        if (h.OnCardWebClick) h.OnCardWebClick(text);
        break;
    case lkMail:
        if (h.OnCardMailClick) h.OnCardMailClick(text);
        break;
    case lkNone:
        break;
    }
}

void TNavigatorItem::mousePressEvent(QMouseEvent* e) {
    PressOn(this, e->button());
    e->accept();
}

void TNavigatorItem::mouseReleaseEvent(QMouseEvent* e) {
    e->accept();
}

} // namespace tsivor::app
