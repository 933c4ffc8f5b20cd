// The program: a Qt application that runs the conversion wizard on the emulated Windows system.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>

#include "app/ConverterApp.h"
#include "wizard/QtUserPrompt.h"
#include "wizard/QtWizardHost.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Qt's own dialogs (the folder chooser, the save-as dialog) in Japanese where the Qt
    // translations are installed.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        application.installTranslator(&qtTexts);
    }
    QtUserPrompt prompt;
    UserPrompt::Install(&prompt);
    QtWizardHost host;
    // Set by the start-up timing script: close the wizard once its first page is shown.
    host.SetCloseWhenShown(std::getenv("PENNAWICK_CLOSE_WHEN_SHOWN") != nullptr);
    ConverterApp app;
    app.InitInstance(host);
    UserPrompt::Install(nullptr);
    return 0;
}
