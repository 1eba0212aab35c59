// Entry point of every test binary: an offscreen QApplication prepared for the web engine as
// the program prepares it, with the module of this build, then GoogleTest. The user's data
// folders are Qt's test folders (~/.qttest), so that the captured text the tests' windows keep
// for recovery never reaches the user's.
#include "app/engine_setup.h"

#include <QApplication>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("VELCARO_WEB_MODULE"))
        qputenv("VELCARO_WEB_MODULE", VELCARO_BUILT_WEB_MODULE);
    velcaro::ignoreFileSizeSignal();
    velcaro::prepareWebEngineEnvironment();
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
