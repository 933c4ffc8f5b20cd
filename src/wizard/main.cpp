// The program: a Qt application that runs the conversion wizard on the emulated Windows system:
// the Wine prefix, or with --windows ROOT [--user NAME] [--drive X:=DIR]... (or
// $PENNAWICK_WINDOWS) the drive of a Windows installation.

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "app/ConverterApp.h"
#include "platform/Cp932.h"
#include "platform/SystemInfo.h"
#include "platform/WindowsRoot.h"
#include "support/CommonTools.h"
#include "support/Log.h"
#include "wizard/QtUserPrompt.h"
#include "wizard/QtWizardHost.h"
#include "wizard/UserChoiceDialog.h"

namespace {

// The Windows drive options of the command line; nothing when a value is missing.
std::optional<platform::WindowsRootOptions> ParseOptions(int argc, char* argv[]) {
    platform::WindowsRootOptions options;
    if (const char* root = std::getenv("PENNAWICK_WINDOWS")) options.root = root;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        std::string* target = nullptr;
        if (option == "--windows") {
            target = &options.root;
        } else if (option == "--user") {
            target = &options.user;
        } else if (option == "--drive") {
            target = &options.drives.emplace_back();
        }
        if (!target) continue;
        if (++i >= argc) return std::nullopt;
        *target = argv[i];
    }
    return options;
}

// Selects the Windows drive the options name, asking for the user when it holds several.
// The program's exit status when it should end here, else -1.
int SelectSystem(int argc, char* argv[], UserPrompt& prompt) {
    std::optional<platform::WindowsRootOptions> options = ParseOptions(argc, argv);
    std::string error;
    if (!options) {
        error = platform::Cp932::FromUtf8(
            "使い方: pennawick [--windows ドライブのフォルダ [--user ユーザー] "
            "[--drive X:=フォルダ]...]");
    } else if (options->root.empty()) {
        return -1;  // the Wine prefix
    } else {
        if (options->user.empty()) {
            const std::vector<std::string> users = platform::WindowsRoot::Users(options->root);
            if (users.size() > 1) {
                std::optional<std::string> chosen = UserChoiceDialog::Ask(users, options->root);
                if (!chosen) return 0;
                options->user = *chosen;
            }
        }
        error = platform::WindowsRoot::Use(*options);
    }
    if (error.empty()) return -1;
    CommonTools::InitializeWorkingFolder(platform::SystemInfo::ExecutablePath());
    LogMessage(LOG_E, "%s", error.c_str());
    prompt.ShowMessage(error, std::string(), UserPrompt::Buttons::Ok, UserPrompt::Icon::Error);
    return 1;
}

}  // namespace

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
    if (const int status = SelectSystem(argc, argv, prompt); status >= 0) {
        UserPrompt::Install(nullptr);
        return status;
    }
    QtWizardHost host;
    // Set by the start-up timing script: close the wizard once its first page is shown.
    host.SetCloseWhenShown(std::getenv("PENNAWICK_CLOSE_WHEN_SHOWN") != nullptr);
    ConverterApp app;
    app.InitInstance(host);
    UserPrompt::Install(nullptr);
    return 0;
}
