#pragma once
// The base control of the map views and small helpers shared by the view code.

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

namespace tsivor::mapview {

// A control that owns a back-buffer picture and paints it opaquely; the picture is never
// erased behind the control's back. Arrow keys, Tab and Enter reach the control.
class TMyImage : public QWidget {
public:
    explicit TMyImage(QWidget* parent = nullptr);

    // The back buffer (32-bit RGB).
    QImage& Picture() { return FPicture; }
    const QImage& Picture() const { return FPicture; }
    bool PictureFitsControl() const { return FPicture.size() == size(); }
    // Reallocates the picture at the control size when they differ; new content is undefined.
    void FitPictureToControl();
    // Moves the picture's content by (dx, dy) pixels; the uncovered part keeps old pixels.
    void ShiftPicture(int dx, int dy);

protected:
    // Draws the picture at (0, 0); rect is the part to refresh.
    virtual void Paint(QPainter& canvas, const QRect& rect);
    // The control changed size; by default the picture follows it.
    virtual void ControlResized();

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    QImage FPicture;
};

// Sets a flag for the lifetime of the guard: the re-entry guards of the view.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TFlagGuard() { FFlag = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& FFlag;
};

// The map's font of a family name as the map files and options store it ("Arial Cyr" is the
// Cyrillic variant of Arial, which modern Unicode fonts cover), at a pixel height.
QFont MapFont(const QString& family, double pixelHeight, bool bold = false);

} // namespace tsivor::mapview
