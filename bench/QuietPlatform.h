#pragma once
// A platform for the benchmarks: nothing pops up while measuring; messages go to stderr.

#include "platform/Platform.h"

#include <cstdio>

class QuietPlatform : public tsivor::platform::Platform {
public:
    QuietPlatform() { tsivor::platform::Install(this); }
    ~QuietPlatform() override { tsivor::platform::Install(nullptr); }
    void ShowMessage(const QString& t, tsivor::platform::MessageKind, QWidget*) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(t));
    }
    tsivor::platform::Answer AskYesNo(const QString&, QWidget*) override {
        return tsivor::platform::Answer::No;
    }
    bool InputText(const QString&, const QString&, QString&, QWidget*) override { return false; }
    void Beep() override {}
    bool OpenUrl(const QString&) override { return true; }
    void SelectRussianLayout() override {}
    bool ChoosePrinter(QPrinter&, QWidget*) override { return false; }
};
