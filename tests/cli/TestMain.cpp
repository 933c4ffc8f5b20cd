// The test program of the command line. The wizard, when it is built, runs beside it under Qt's
// offscreen platform; the program under test itself never gets one.

#include <gtest/gtest.h>

#ifdef PENNAWICK_CLI_WITH_WIZARD
#include <QApplication>
using Application = QApplication;
#else
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    return RUN_ALL_TESTS();
}
