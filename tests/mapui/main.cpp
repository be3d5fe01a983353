// The map tool tests create widgets, which need an application object.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Run headless also when started by hand rather than through CTest.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
