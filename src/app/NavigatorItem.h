#pragma once
// TNavigatorItem: one organisation card. Text is laid out like a line printer: every piece
// is one label placed at the pen (FPenX, FPenY), wrapping at CardWidth.

#include <QFrame>
#include <QString>

#include <cstdint>
#include <vector>

class QLabel;
class QMovie;

namespace tsivor::app {

class TNavigator;

using TColor = std::uint32_t; // 0x00BBGGRR

enum TCardLinkKind { lkNone = 0, lkRubric = 1, lkAddress = 2, lkWeb = 3, lkMail = 4 };

struct TCardTextStyle {
    bool RightAlign;
    TColor Color;
    bool Bold;
    bool Italic;
    bool Underline;
    double LineFactor;
    int FontSize;
    TCardLinkKind LinkKind;
    Qt::CursorShape Cursor;

    bool IsLink() const { return Cursor != Qt::ArrowCursor; }
};

extern const TCardTextStyle CaptionStyle;
extern const TCardTextStyle MemoStyle;
extern const TCardTextStyle RubricStyle;
extern const TCardTextStyle AddressPrefixStyle;
extern const TCardTextStyle AddressLinkStyle;
extern const TCardTextStyle AddressPlainStyle;
extern const TCardTextStyle PhoneStyle;
extern const TCardTextStyle WebStyle;
extern const TCardTextStyle MailStyle;

constexpr TColor CardNormalColor = 0x00E9E2CD;
constexpr TColor CardHighlightColor = 0x00B6D9FA;

QColor ToQColor(TColor c);

class TNavigatorItem : public QFrame {
public:
    TNavigatorItem(TNavigator* owner, QWidget* parent);
    ~TNavigatorItem() override;

    void AddPiece(const TCardTextStyle& style, const QString& text);
    void AddPieceGap(const TCardTextStyle& style, const QString& text); // then 10 pixels gap
    void AddWrappedText(const TCardTextStyle& style, const QString& text);
    void NewLine(double factor);
    void SetCaption(const QString& name, bool hasAttachment, bool hasComment);
    // A .bmp header picture or a looping .gif; false (with the message shown) when unreadable.
    bool LoadHeaderPicture(const QString& path);
    void ResetCard();
    void FinishCard();

    bool Maximized() const { return FMaximized; }
    void SetMaximized(bool value);
    int LeftX() const { return FLeftX; }
    void SetLeftX(int value);
    int ColorSet() const { return FColorSet; }
    void SetColorSet(int value);
    QString FileSet() const { return FFileSet; }
    void SetFileSet(const QString& value); // cut to 20 characters

    int CardWidth = 245; // right limit of wrapping and right alignment
    int FOrgId = 0;
    bool FDetailsLoaded = false;

    // What is laid out, for the tests, printing and the benchmarks.
    int LineCount() const { return FLineIndex; }
    QLabel* Line(int i) const;
    const TCardTextStyle* LineStyle(int i) const;
    int PenX() const { return FPenX; }
    int PenY() const { return FPenY; }
    int ExpandedHeight() const { return FExpandedHeight; }
    int CollapsedHeight() const { return FCollapsedHeight; }
    bool HeaderShown() const;
    QLabel* HeaderControl() const; // the header image or animation in use, nullptr for none
    static constexpr int HeaderWidth = 279;
    QLabel* Icon() const { return FIcon; }

    // A press on the card or one of its controls (not a link); toggles with the double-press
    // guard. Public so the labels and the header can hand their presses over.
    void PressOn(QObject* control, Qt::MouseButton button);
    void LinkClicked(int lineIndex);

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    class TCardLabel;
    TCardLabel* LabelAt(int i);
    void ApplyHeight();

    TNavigator* FOwner;
    std::vector<TCardLabel*> FLines;
    int FLineIndex = 0;
    int FPenX = 30;
    int FPenY = 1;
    int FLeftX = 30;
    int FExpandedHeight = 200;
    int FCollapsedHeight = 20;
    double FLastFactor = 1.0;
    int FLastFontSize = 9;
    bool FMaximized = false;
    int FColorSet = 0;
    QString FFileSet;
    QLabel* FIcon;
    QLabel* FHeaderImage;
    QLabel* FHeaderAnimation;
    QMovie* FHeaderMovie = nullptr;
    QObject* FLastPressControl = nullptr;
    qint64 FLastPressTime = 0;
};

} // namespace tsivor::app
