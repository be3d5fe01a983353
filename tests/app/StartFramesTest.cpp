// The start of the program on the sample deployment: the map draws one frame, for the view the
// window opens with, and the start-up figures name every stage in order.
#include "app/AppGlobals.h"
#include "app/FirstFrameWatch.h"
#include "app/MainForm.h"
#include "app/ProgramStart.h"
#include "mapview/DataMap.h"
#include "platform/PhaseTimes.h"

#include "TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>

#include <gtest/gtest.h>

using namespace tsivor;
using namespace tsivor::app;

namespace {

class StartFrames : public testing::Test {
protected:
    void SetUp() override {
        Globals() = TAppGlobals{};
        deploy = test::DeployDir();
        if (!QFile::exists(deploy + QStringLiteral("/info1.db")) ||
            !QFile::exists(deploy + QStringLiteral("/tsivor.ini")))
            GTEST_SKIP() << "no sample deployment";
    }
    void TearDown() override { Globals() = TAppGlobals{}; }

    int IndexOf(const platform::TPhaseTimes& phases, const char* name) {
        for (size_t i = 0; i < phases.Phases().size(); ++i)
            if (phases.Phases()[i].Name == QLatin1String(name)) return int(i);
        return -1;
    }

    QString deploy;
    test::FakePlatform fake;
};

} // namespace

TEST_F(StartFrames, TheMapDrawsOneFrameBeforeItIsReadyAndThatFrameIsComplete) {
    platform::TPhaseTimes phases;
    TProgramStart start(deploy, deploy, 7);
    start.SetPhaseTimes(&phases);
    ASSERT_TRUE(start.Run());
    QPointer<TFMainForm> window = start.MainWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->DataMap1->RedrawLog().FullFrames, 0)
        << "the load, the options and the creation of the window draw nothing";
    // A size of its own, as a window manager would give it before the first view is fitted.
    window->setWindowState(Qt::WindowNoState);
    window->setMinimumSize(0, 0);
    window->resize(1200, 800);
    int readyCalls = 0, framesWhenReady = -1;
    new TFirstFrameWatch(*window, [&] {
        ++readyCalls;
        framesWhenReady = window->DataMap1->RedrawLog().FullFrames;
    });
    for (int i = 0; i < 200 && window && !window->Ready(); ++i) QCoreApplication::processEvents();
    ASSERT_TRUE(window && window->Ready());
    window->DataMap1->grab(); // the first paint once ready, as the screen would ask for it
    window->DataMap1->grab();
    EXPECT_EQ(readyCalls, 1);
    EXPECT_EQ(framesWhenReady, 1) << "one frame, for the fitted view";
    EXPECT_FALSE(window->DataMap1->FramesDeferred());

    // The frame shows the document as it is now: drawing it again gives the same picture.
    const QImage shown = window->DataMap1->Picture();
    window->DataMap1->MarkDirty();
    window->DataMap1->Redraw();
    EXPECT_EQ(window->DataMap1->Picture(), shown);

    // Every stage of the load is timed, in the order it runs.
    const char* order[] = {"start page shown",   "window: widgets built", "map: file read",
                           "map: unscrambled",   "map: objects decoded",  "map: extent",
                           "map: spatial index", "map: view after load",  "tabs, favourites",
                           "main window shown"};
    int last = -1;
    for (const char* name : order) {
        const int at = IndexOf(phases, name);
        EXPECT_GT(at, last) << name;
        last = std::max(last, at);
    }
    for (const auto& p : phases.Phases()) EXPECT_GE(p.WallMs, 0) << p.Name.toStdString();
}
