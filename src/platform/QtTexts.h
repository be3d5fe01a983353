#pragma once
// The Qt dialogs' own texts (message box buttons, input and print dialogs) in Russian, from
// Qt's translations installed with the system; without them they stay in English.

#include <QTranslator>

namespace tsivor::platform {

// Installed into the application for as long as it lives.
class TRussianQtTexts {
public:
    TRussianQtTexts();
    ~TRussianQtTexts();
    TRussianQtTexts(const TRussianQtTexts&) = delete;
    TRussianQtTexts& operator=(const TRussianQtTexts&) = delete;

    bool Loaded() const { return FLoaded; }

private:
    QTranslator FTranslator;
    bool FLoaded = false;
};

} // namespace tsivor::platform
