// Renders every page of the wizard, as a user sees it after each step of a whole conversion of
// the sample system, to PNG files: wizard_screenshots STAGE PNGFOLDER. STAGE is the program's
// folder (urldb.db, settings and log files) and holds the output folder "Output"; WINEPREFIX
// names the sample system, or PENNAWICK_WINDOWS a sample Windows drive of one user. Messages are
// answered by the scripted prompt and listed on stdout.

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

#include "ScriptedUserPrompt.h"
#include "app/ConverterApp.h"
#include "app/WizardHost.h"
#include "platform/Cp932.h"
#include "platform/PathMap.h"
#include "platform/WindowsRoot.h"
#include "wizard/ConversionWizard.h"

namespace {

class ScreenshotHost : public WizardHost {
public:
    explicit ScreenshotHost(QString folder) : folder_(std::move(folder)) {}

    int Run(ConverterApp& app) override {
        ConversionWizard wizard(app);
        wizard.show();
        Shoot(wizard, "1-korvadel");
        wizard.next();
        Shoot(wizard, "2-browsers");
        auto* list = wizard.currentPage()->findChild<QTreeWidget*>(QStringLiteral("1051"));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            list->setCurrentItem(list->topLevelItem(row));
            Click(wizard, "1052");
        }
        list->setCurrentItem(list->topLevelItem(0));
        Shoot(wizard, "2-browsers-imported");
        wizard.next();
        Click(wizard, "1019");
        Click(wizard, "1010");
        Click(wizard, "1055");
        Shoot(wizard, "3-conditions");
        wizard.next();
        Shoot(wizard, "4-create");
        for (const char* id : {"1044", "1045", "1046", "1047", "1048", "1050"}) Click(wizard, id);
        Click(wizard, "1032");
        Shoot(wizard, "4-create-done");
        wizard.next();
        list = wizard.currentPage()->findChild<QTreeWidget*>(QStringLiteral("1051"));
        list->setCurrentItem(list->topLevelItem(1));
        Shoot(wizard, "5-copy");
        wizard.next();
        Shoot(wizard, "6-finish");
        wizard.accept();
        return wizard.result();
    }

private:
    void Click(QWizard& wizard, const char* id) {
        auto* button = wizard.currentPage()->findChild<QAbstractButton*>(QString::fromLatin1(id));
        if (button) button->click();
    }

    void Shoot(QWizard& wizard, const char* name) {
        QApplication::processEvents();
        QString path = folder_ + '/' + QString::fromLatin1(name) + QStringLiteral(".png");
        wizard.grab().save(path);
        std::printf("%s\n", qPrintable(path));
    }

    QString folder_;
};

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: wizard_screenshots STAGE PNGFOLDER\n");
        return 2;
    }
    if (const char* root = std::getenv("PENNAWICK_WINDOWS")) {
        platform::WindowsRootOptions drive;
        drive.root = root;
        if (const std::string error = platform::WindowsRoot::Use(drive); !error.empty()) {
            std::fprintf(stderr, "wizard_screenshots: %s\n",
                         platform::Cp932::ToUtf8(error).c_str());
            return 1;
        }
    }
    const QString stage = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QDir().mkpath(stage + QStringLiteral("/Output"));
    QDir().mkpath(QString::fromLocal8Bit(argv[2]));
    ScriptedUserPrompt prompt;
    prompt.folders.push_back(platform::PathMap::ToInternal((stage + "/Output").toStdString()));
    ConverterApp app;
    ScreenshotHost host(QDir(QString::fromLocal8Bit(argv[2])).absolutePath());
    app.InitInstance(host, platform::PathMap::ToInternal((stage + "/pennawick.exe").toStdString()));
    for (const auto& message : prompt.messages) {
        std::printf("message: %s\n", platform::Cp932::ToUtf8(message.text).c_str());
    }
    return 0;
}
