#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/ConverterApp.h"
#include "app/WizardHost.h"
#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"
#include "support/Log.h"
#include "support/QuitRequest.h"

namespace {

// A wizard that runs a test's steps instead of pages.
class ScriptedWizard : public WizardHost {
public:
    explicit ScriptedWizard(std::function<void(ConverterApp&)> steps = {})
        : steps_(std::move(steps)) {}
    int Run(ConverterApp& app) override {
        ++runs;
        if (steps_) steps_(app);
        return 0;
    }
    int runs = 0;

private:
    std::function<void(ConverterApp&)> steps_;
};

// An application whose shared object number failAt (1 to 4) cannot be created.
class FailingApp : public ConverterApp {
public:
    explicit FailingApp(int failAt, bool quitInstead = false)
        : failAt_(failAt), quitInstead_(quitInstead) {}
    int attempts = 0;

protected:
    std::unique_ptr<FavoritesFile> NewFavoritesFile() override {
        return Made(1) ? ConverterApp::NewFavoritesFile() : nullptr;
    }
    std::unique_ptr<FavoritesSetup> NewFavoritesSetup() override {
        return Made(2) ? ConverterApp::NewFavoritesSetup() : nullptr;
    }
    std::unique_ptr<URLDB> NewURLDB() override {
        return Made(3) ? ConverterApp::NewURLDB() : nullptr;
    }
    std::unique_ptr<ExtractionConditions> NewExtractionConditions() override {
        return Made(4) ? ConverterApp::NewExtractionConditions() : nullptr;
    }

private:
    bool Made(int number) {
        ++attempts;
        if (number != failAt_) return true;
        if (!quitInstead_) return false;
        QuitRequest::Raise();
        return true;
    }
    int failAt_;
    bool quitInstead_;
};

class ConverterAppTest : public EmulatedSystemTest {
protected:
    ScriptedUserPrompt prompt;
};

TEST_F(ConverterAppTest, RunsTheWizardOnTheSharedObjectsAndRecordsTheWorkingFolder) {
    system.WriteFile("C:\\Tools\\Conv.ini", "[CONFIG]\r\nDEBUG=4\r\n");
    system.WriteFile("C:\\Tools\\portable", "");
    ConverterApp app;
    ScriptedWizard wizard([&](ConverterApp& running) {
        EXPECT_EQ(GetLogLevel(), 4u);
        EXPECT_TRUE(running.HasSharedObjects());
        // A second creation replaces nothing.
        FavoritesSetup* setup = running.GetFavoritesSetup();
        URLDB* database = running.GetURLDB();
        running.CreateSharedObjects();
        EXPECT_EQ(running.GetFavoritesSetup(), setup);
        EXPECT_EQ(running.GetURLDB(), database);
        EXPECT_EQ(database->GetCount(), 0);
        EXPECT_EQ(database->GetRecentThreshold(), 30);
    });
    EXPECT_FALSE(app.InitInstance(wizard, "C:\\Tools\\Conv.exe"));
    EXPECT_EQ(wizard.runs, 1);
    EXPECT_EQ(app.SettingsPath(), "C:\\Tools\\Conv.ini");
    EXPECT_EQ(system.ReadFile("C:\\Tools\\Conv.ini"),
              "[CONFIG]\r\nDEBUG=4\r\nWORKFOLDER=C:\\Tools\\\r\n");
    EXPECT_FALSE(app.GetFavoritesFile() || app.GetFavoritesSetup() || app.GetURLDB() ||
                 app.GetExtractionConditions());
    EXPECT_TRUE(prompt.messages.empty());
    // Released objects are not made again.
    app.CreateSharedObjects();
    EXPECT_FALSE(app.HasSharedObjects());
}

TEST_F(ConverterAppTest, EndsWithAMessageWhenASharedObjectCannotBeCreated) {
    for (int failAt = 1; failAt <= 4; ++failAt) {
        SCOPED_TRACE(failAt);
        prompt.messages.clear();
        SetLogLevel(LOG_V);
        FailingApp app(failAt);
        ScriptedWizard wizard;
        app.InitInstance(wizard, "C:\\Pennawick\\pennawick.exe");
        EXPECT_EQ(app.attempts, failAt);  // nothing is tried after the failure
        EXPECT_EQ(GetLogLevel(), 3u);     // no settings file: the default threshold
        EXPECT_EQ(wizard.runs, 0);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].text, Sjis("初期化に失敗したため終了します。"));
        EXPECT_EQ(prompt.messages[0].caption, "");
        EXPECT_EQ(prompt.messages[0].buttons, UserPrompt::Buttons::Ok);
        EXPECT_FALSE(app.GetFavoritesFile() || app.GetFavoritesSetup() || app.GetURLDB());
        EXPECT_EQ(system.ReadFile("C:\\Pennawick\\pennawick.ini"),
                  "[CONFIG]\r\nWORKFOLDER=C:\\Pennawick\\\r\n");
    }
}

TEST_F(ConverterAppTest, AQuitRequestDuringStartUpSkipsTheWizardAndStillShutsDown) {
    FailingApp app(2, /*quitInstead=*/true);
    ScriptedWizard wizard;
    app.InitInstance(wizard, "C:\\Pennawick\\pennawick.exe");
    EXPECT_TRUE(ConverterApp::QuitRequested());
    EXPECT_EQ(wizard.runs, 0);
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_FALSE(app.GetFavoritesSetup());
    EXPECT_TRUE(system.Exists("C:\\Pennawick\\pennawick.ini"));
}

}  // namespace
