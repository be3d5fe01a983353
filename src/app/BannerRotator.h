#pragma once
// TBannerRotator: the advertising banners above the tabs. Every banner\*.bmp of the working
// directory is shown in turn for four seconds; a banner named "ban_" + number + ".bmp" leads
// to that organisation when clicked, any other one leads nowhere.

#include <QImage>
#include <QObject>

#include <functional>
#include <vector>

class QLabel;
class QTimer;

namespace tsivor::app {

class TBannerRotator : public QObject {
public:
    static constexpr int IntervalMs = 4000;

    // image: BannerImage (281 by 57); none: the text shown while no banner was drawn.
    TBannerRotator(QLabel* image, QLabel* none, QObject* parent);

    // Reads the banners of workDir + "/banner" and shows the first one.
    void LoadBanners(const QString& workDir);
    // The next banner, back to the first after the last.
    void BannerTimerTimer();
    void BannerImageClick();

    int Count() const { return int(FBanners.size()); }
    int Index() const { return FIndex; }    // -1 before the first
    int CurrentNumber() const;              // organisation of the banner shown, 0 for none
    QTimer* BannerTimer;                    // enabled at start
    std::function<void(int orgId)> OnClick; // a banner with a number was clicked

    // The number of a banner file name: the text from its fifth character up to the next "."
    // when the name contains "ban_"; 0 otherwise or when that text is not a number.
    static int BannerNumberOf(const QString& fileName);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TBanner {
        QImage Picture;
        int Number = 0;
    };
    QLabel* FImage;
    QLabel* FNone;
    std::vector<TBanner> FBanners;
    int FIndex = -1;
};

} // namespace tsivor::app
