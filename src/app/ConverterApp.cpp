#include "app/ConverterApp.h"

#include <new>
#include <vector>

#include "app/WizardHost.h"
#include "platform/AppFolders.h"
#include "platform/Cp932.h"
#include "platform/SystemInfo.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"
#include "support/CommonTools.h"
#include "support/Log.h"
#include "support/ProfileSection.h"
#include "support/QuitRequest.h"
#include "support/SystemReport.h"
#include "support/UserPrompt.h"

namespace {

constexpr const char* kSection = "CONFIG";
constexpr int kDefaultLogLevel = 3;

// Construction values of every URL database the program makes.
constexpr int kEveryusePeriod = 0;
constexpr int kGenrePeriod = 0;
constexpr int kRecentThreshold = 30;

// Runs one factory, turning a failed allocation into "not created".
template <typename T, typename Make>
std::unique_ptr<T> MakeOrNull(Make make) {
    try {
        return make();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The program file's name without folder and extension.
std::string BaseName(const std::string& programPath) {
    std::vector<std::string> parts;
    CommonTools::SplitPath(programPath, parts);
    return parts.size() >= 2 ? parts[parts.size() - 2] : std::string();
}

}  // namespace

ConverterApp::ConverterApp() = default;

ConverterApp::~ConverterApp() {
    ReleaseSharedObjects();
}

bool ConverterApp::InitInstance(WizardHost& wizard) {
    return InitInstance(wizard, platform::SystemInfo::ExecutablePath());
}

bool ConverterApp::InitInstance(WizardHost& wizard, const std::string& programPath) {
    CommonTools::InitializeWorkingFolder(programPath);
    settingsPath_ = CommonTools::MakeSettingsPath(BaseName(programPath));
    ProfileSection settings(kSection, settingsPath_);
    SetLogLevel(static_cast<unsigned>(settings.ReadInt("DEBUG", kDefaultLogLevel)));
    LogMessage(LOG_I, "ConverterApp::InitInstance %s: settings %s, logs %s, urldb.db %s",
               platform::AppFolders::WayName(), settingsPath_.c_str(),
               platform::AppFolders::LogFolder().c_str(),
               platform::AppFolders::DataFolder().c_str());
    // What went wrong while opening the Windows system, before the user sees any page.
    SystemReport::ReportWaiting();

    CreateSharedObjects();
    if (!HasSharedObjects()) {
        // Every page needs all four objects: without them there is nothing to run.
        UserPrompt::Current().ShowMessage(
            platform::Cp932::FromUtf8("初期化に失敗したため終了します。"), std::string(),
            UserPrompt::Buttons::Ok, UserPrompt::Icon::None);
    } else if (!QuitRequested()) {
        wizard.Run(*this);
    }

    ReleaseSharedObjects();
    ReleaseSharedObjects();
    profileList_.clear();
    if (!settingsReadOnly_) settings.WriteString("WORKFOLDER", CommonTools::GetWorkingFolder());
    return false;
}

void ConverterApp::CreateSharedObjects() {
    if (!notYetCreated_) return;
    favoritesFile_ = MakeOrNull<FavoritesFile>([this] { return NewFavoritesFile(); });
    if (favoritesFile_) {
        favoritesSetup_ = MakeOrNull<FavoritesSetup>([this] { return NewFavoritesSetup(); });
    }
    if (favoritesSetup_) urlDB_ = MakeOrNull<URLDB>([this] { return NewURLDB(); });
    if (urlDB_) {
        conditions_ =
            MakeOrNull<ExtractionConditions>([this] { return NewExtractionConditions(); });
    }
    notYetCreated_ = false;
}

void ConverterApp::ReleaseSharedObjects() {
    // The profile list points into the settings object's adapters.
    if (favoritesSetup_) profileList_.clear();
    favoritesFile_.reset();
    favoritesSetup_.reset();
    urlDB_.reset();
    conditions_.reset();
}

bool ConverterApp::HasSharedObjects() const {
    return favoritesFile_ && favoritesSetup_ && urlDB_ && conditions_;
}

bool ConverterApp::QuitRequested() {
    return QuitRequest::IsRaised();
}

std::unique_ptr<FavoritesFile> ConverterApp::NewFavoritesFile() {
    return std::make_unique<FavoritesFile>();
}

std::unique_ptr<FavoritesSetup> ConverterApp::NewFavoritesSetup() {
    return std::make_unique<FavoritesSetup>();
}

std::unique_ptr<URLDB> ConverterApp::NewURLDB() {
    return std::make_unique<URLDB>(kEveryusePeriod, kGenrePeriod, kRecentThreshold);
}

std::unique_ptr<ExtractionConditions> ConverterApp::NewExtractionConditions() {
    return std::make_unique<ExtractionConditions>();
}
