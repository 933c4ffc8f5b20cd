// The program pennawick-convert: the conversion of the wizard from the command line, with Qt
// Core only, so that it runs without a display.

#include <QCoreApplication>

#include "cli/CommandLine.h"
#include "platform/SystemInfo.h"
#include "support/CommonTools.h"

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    // The wizard's program file in this folder: its settings file and its log files are shared.
    CommonTools::InitializeWorkingFolder(platform::SystemInfo::ExecutablePath());
    return CommandLine::Run(QCoreApplication::arguments(),
                            CommonTools::MakeWorkingPath("pennawick"));
}
