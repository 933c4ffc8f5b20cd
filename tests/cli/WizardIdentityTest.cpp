// The same conversion of the sample system through the wizard, driven as a user drives it, and
// through the command line with the same choices: every file written is byte for byte the same.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "app/ConverterApp.h"
#include "cli/CommandLine.h"
#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "platform/Prefix.h"
#include "wizard/ConversionWizard.h"

namespace fs = std::filesystem;

namespace {

const std::string kWizardOut = "C:\\ByWizard";
const std::string kCommandOut = "C:\\ByCommand";

template <typename T>
T* Control(QWizard& wizard, const char* id) {
    T* control = wizard.currentPage()->findChild<T*>(QString::fromLatin1(id));
    if (!control) ADD_FAILURE() << "no control " << id;
    return control;
}

void Click(QWizard& wizard, const char* id) {
    if (auto* button = Control<QAbstractButton>(wizard, id)) button->click();
}

// Every file below a folder (relative path to bytes).
std::map<std::string, std::string> Tree(const std::string& native) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(native)) {
        if (!entry.is_regular_file()) continue;
        std::string bytes;
        std::FILE* file = std::fopen(entry.path().c_str(), "rb");
        for (int c; file && (c = std::fgetc(file)) != EOF;) bytes += static_cast<char>(c);
        if (file) std::fclose(file);
        files[fs::relative(entry.path(), native).string()] = bytes;
    }
    return files;
}

// What the user does in the wizard: the rows imported in step 2 (all when empty), the changes
// on the conditions page, the format boxes ticked in step 4.
struct Choices {
    std::vector<int> rows;
    std::function<void(QWizard&)> conditions;
    std::vector<const char*> formatBoxes;
    QStringList options;  // the same choices for pennawick-convert
};

class WizardIdentityTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        QProcess generator;
        generator.start(
            QStringLiteral("python3"),
            {QStringLiteral(PENNAWICK_DEMO_GENERATOR), QString::fromStdString(system.Root()),
             QString::fromStdString(
                 system.Native(std::string(EmulatedSystem::kWorkingFolder) + "urldb.db")),
             QString::number(EmulatedSystem::kNow)});
        ASSERT_TRUE(generator.waitForFinished(60000) && generator.exitCode() == 0)
            << generator.readAllStandardError().toStdString();
        platform::Prefix::Reset();
    }

    void ConvertWithTheWizard(const Choices& choices) {
        system.MakeFolder(kWizardOut);
        ScriptedUserPrompt prompt;
        prompt.folders.push_back(kWizardOut);
        ConverterApp app;
        app.CreateSharedObjects();
        ConversionWizard wizard(app);
        wizard.show();
        wizard.next();
        auto* list = Control<QTreeWidget>(wizard, "1051");
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            if (!choices.rows.empty() &&
                std::find(choices.rows.begin(), choices.rows.end(), row + 1) == choices.rows.end())
                continue;
            list->setCurrentItem(list->topLevelItem(row));
            Click(wizard, "1052");
        }
        wizard.next();
        if (choices.conditions) choices.conditions(wizard);
        wizard.next();
        for (const char* box : choices.formatBoxes) Click(wizard, box);
        Click(wizard, "1032");
        wizard.next();
        wizard.next();
        wizard.accept();
    }

    void ExpectSameOutput(const Choices& choices) {
        ConvertWithTheWizard(choices);
        QStringList args{QStringLiteral("pennawick-convert"), QStringLiteral("-q"),
                         QStringLiteral("convert"), QStringLiteral("--output"),
                         QString::fromStdString(system.Native(kCommandOut))};
        EXPECT_EQ(CommandLine::Run(args + choices.options,
                                   std::string(EmulatedSystem::kWorkingFolder) + "pennawick.exe"),
                  0);
        const auto byWizard = Tree(system.Native(kWizardOut));
        const auto byCommand = Tree(system.Native(kCommandOut));
        EXPECT_GE(byWizard.size(), choices.formatBoxes.size());
        for (const auto& [name, bytes] : byWizard) {
            ASSERT_TRUE(byCommand.count(name)) << name << " not written by the command";
            EXPECT_TRUE(byCommand.at(name) == bytes) << name << " differs";
        }
        for (const auto& [name, bytes] : byCommand) {
            EXPECT_TRUE(byWizard.count(name)) << name << " written by the command only";
        }
    }
};

constexpr const char* kAllFormats[] = {"1044", "1045", "1046", "1047", "1048", "1050"};

TEST_F(WizardIdentityTest, DefaultConditionsEveryRowEveryFormat) {
    ExpectSameOutput({{}, nullptr, {std::begin(kAllFormats), std::end(kAllFormats)}, {}});
}

TEST_F(WizardIdentityTest, HeldBookmarksReferencedTwiceWithinAMonth) {
    ExpectSameOutput({{},
                      [](QWizard& wizard) {
                          Click(wizard, "1019");
                          Control<QLineEdit>(wizard, "1012")->setText(QStringLiteral("2"));
                          Control<QComboBox>(wizard, "1015")->setCurrentIndex(3);
                      },
                      {std::begin(kAllFormats), std::end(kAllFormats)},
                      {"--delete-unheld", "--min-references", "2", "--last-reference", "month"}});
}

TEST_F(WizardIdentityTest, SomeRowsStatusSelectionAndThreeFormats) {
    ExpectSameOutput({{1, 2, 5, 8},
                      [](QWizard& wizard) {
                          Click(wizard, "1019");
                          Click(wizard, "1010");
                          Click(wizard, "1055");
                          Control<QComboBox>(wizard, "1011")->setCurrentIndex(4);
                      },
                      {"1044", "1046", "1050"},
                      {"--profile", "1", "--profile", "2", "--profile", "5", "--profile", "8",
                       "--delete-unheld", "--status", "uncollected,300-,500+", "--first-time",
                       "older", "--format", "korvadel,nn6,opera"}});
}

}  // namespace
