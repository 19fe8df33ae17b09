// The window's tests run offscreen through the real widgets.

#include "app/QtToolkit.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // Qt's own dialogs keep their state in QtProject.conf below the settings
    // folder: a folder of the run's own, never the home of whoever runs it.
    const QTemporaryDir configHome;
    if (!configHome.isValid()) {
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    zentory::qt::QtToolkit toolkit;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
