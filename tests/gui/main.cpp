// The window's tests run offscreen through the real widgets.

#include "app/QtToolkit.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    zentory::ui::QtToolkit toolkit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
