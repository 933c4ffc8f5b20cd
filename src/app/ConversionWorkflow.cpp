#include "app/ConversionWorkflow.h"

#include <memory>
#include <optional>

#include "app/ConverterApp.h"
#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"
#include "support/Log.h"
#include "support/SystemCommand.h"
#include "support/UserPrompt.h"

namespace {

constexpr const char* kNotWritten = "お気に入りが出力出来ませんでした。";
constexpr const char* kNoFolder = "フォルダが作成できません。";
constexpr const char* kCopyCaption = "コピー元フォルダ";

// Construction values of the export database, the same as the shared one's.
constexpr int kEveryusePeriod = 0;
constexpr int kGenrePeriod = 0;
constexpr int kRecentThreshold = 30;

// One browser output format: its folder below the chosen folder, the file written inside that
// folder (empty: the folder itself is the target) and the text shown when something was written.
struct BrowserOutput {
    int kind;
    const char* folder;
    const char* file;
    const char* done;
};

constexpr BrowserOutput kBrowserOutputs[] = {
    {BrowserProfile::kInternetExplorer, "Microsoft", "",
     "　Microsoft形式でお気に入りを出力しました。\n"
     "　出力されたフォルダをお気に入りのフォルダにコピー\n"
     "してください。\n"
     "　但し自己責任の上でお願いします。"},
    {BrowserProfile::kNetscape4, "Netscape4x", "bookmark.htm",
     "　Netscape.4.x.形式でお気に入りを出力しました。\n"
     "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n"
     "行ってください。\n"
     "　但し自己責任の上でお願いします。"},
    {BrowserProfile::kNetscape6, "Netscape6x", "bookmarks.html",
     "　Netscape.6.x.形式でお気に入りを出力しました。\n"
     "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n"
     "行ってください。\n"
     "　但し自己責任の上でお願いします。"},
    {BrowserProfile::kNetscape7, "Netscape7x", "bookmarks.html",
     "　Netscape.7.x.形式でお気に入りを出力しました。\n"
     "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n"
     "行ってください。\n"
     "　但し自己責任の上でお願いします。"},
    {BrowserProfile::kOpera6, "Opera6", "Opera6.adr",
     "　Opera6形式でお気に入りを出力しました。\n"
     "　出力されたファイル出力形式に合わせて置き換え、又は追加作業を\n"
     "行ってください。\n"
     "　但し自己責任の上でお願いします。"},
};

UserPrompt::Answer Show(const char* utf8, const char* captionUtf8 = "",
                        UserPrompt::Buttons buttons = UserPrompt::Buttons::Ok) {
    return UserPrompt::Current().ShowMessage(platform::Cp932::FromUtf8(utf8),
                                             platform::Cp932::FromUtf8(captionUtf8), buttons,
                                             UserPrompt::Icon::None);
}

// Forms an output path the way "%s\\name" does.
std::string Join(const std::string& folder, const char* name) {
    return folder + '\\' + name;
}

// Makes one output folder below the chosen folder. An existing folder counts as made; a file of
// that name does not, since nothing could be written into it.
bool MakeOutputFolder(const std::string& folder) {
    switch (platform::FileSystem::CreateFolder(folder)) {
        case platform::FileSystem::CreateResult::Created:
            return true;
        case platform::FileSystem::CreateResult::AlreadyExists:
            return platform::FileSystem::IsFolder(folder);
        case platform::FileSystem::CreateResult::Failed:
            break;
    }
    return false;
}

// The drive and folder part of a path, up to and including its last separator, found by
// characters so that a 0x5C trail byte is never taken for one.
std::string FolderOf(const std::string& path) {
    size_t end = 0;
    for (size_t i = 0; i < path.size(); i += platform::Cp932::CharLength(path, i)) {
        if (path[i] == '\\' || path[i] == '/' || (i == 1 && path[i] == ':')) end = i + 1;
    }
    return path.substr(0, end);
}

}  // namespace

ConversionWorkflow::ConversionWorkflow(ConverterApp& app) : app_(app) {}

ConversionWorkflow::ProfileRow ConversionWorkflow::RowOf(BrowserProfile& profile) {
    return {profile.GetCountText(), profile.GetKindLabel(), profile.GetUser(),
            profile.GetFavoritesPath(), &profile};
}

bool ConversionWorkflow::ImportKorvadelDatabase(bool ticked) {
    return ImportKorvadelDatabase(ticked, app_.GetFavoritesFile()->GetDatabasePath());
}

bool ConversionWorkflow::ImportKorvadelDatabase(bool ticked, const std::string& path) {
    if (!ticked) return false;
    FavoritesFile& file = *app_.GetFavoritesFile();
    URLDB& database = *app_.GetURLDB();
    if (file.Load(path, database) != 1) {
        Show("URLDB情報の取込に失敗しました。存在していないか壊れている可能性があります。",
             "URLDB取込失敗");
        return false;
    }
    const std::string text = "Korvadel" + platform::Cp932::FromUtf8("のお気に入り[") +
                             std::to_string(database.GetCount()) +
                             platform::Cp932::FromUtf8("]件を取込ました。");
    UserPrompt::Current().ShowMessage(text, platform::Cp932::FromUtf8("URLDB取込完了"),
                                      UserPrompt::Buttons::Ok, UserPrompt::Icon::None);
    return true;
}

std::vector<ConversionWorkflow::ProfileRow> ConversionWorkflow::ListProfiles() {
    std::vector<BrowserProfile*>& list = app_.ProfileList();
    list.clear();
    app_.GetFavoritesSetup()->ListProfiles(list);
    std::vector<ProfileRow> rows;
    rows.reserve(list.size());
    for (BrowserProfile* profile : list) rows.push_back(RowOf(*profile));
    return rows;
}

ConversionWorkflow::ProfileRow ConversionWorkflow::RowAt(int row) const {
    BrowserProfile* profile = ProfileAt(row);
    return profile ? RowOf(*profile) : ProfileRow{};
}

BrowserProfile* ConversionWorkflow::ProfileAt(int row) const {
    const std::vector<BrowserProfile*>& list = app_.ProfileList();
    if (row < 0 || static_cast<size_t>(row) >= list.size()) return nullptr;
    return list[static_cast<size_t>(row)];
}

bool ConversionWorkflow::ImportProfile(int row) {
    BrowserProfile* profile = ProfileAt(row);
    if (!profile) return false;
    if (app_.GetFavoritesSetup()->LoadProfile(profile) <= 0) return false;
    LogMessage(LOG_I, "DlgWizard02::OnBtnload *** start ***");
    BrowserProfile::Position position = profile->GetHeadPosition();
    while (const FavoritesItem* item = profile->GetNext(position)) {
        LogMessage(LOG_D, "DlgWizard02::OnBtnload [%s][%s][%s][%s]", item->GetPath().c_str(),
                   item->GetParentPath().c_str(), item->GetName().c_str(), item->GetURL().c_str());
    }
    LogMessage(LOG_I, "DlgWizard02::OnBtnload *** end ***\n");
    return true;
}

void ConversionWorkflow::OpenCreationPage() {
    outputDone_.fill(false);
    results_.fill(OutputResult{});
    for (std::string& folder : app_.LastOutputFolder()) folder.clear();
}

bool ConversionWorkflow::CreateFavorites(const std::array<bool, kFormatCount>& ticked) {
    std::optional<std::string> chosen =
        UserPrompt::Current().AskFolder(platform::Cp932::FromUtf8("フォルダを選択してください。"));
    if (!chosen) return false;
    app_.ChosenFolder() = *chosen;
    const std::string base = *chosen;

    std::vector<BrowserProfile*> profiles;
    app_.GetFavoritesSetup()->ListProfiles(profiles);
    BrowserProfile exportProfile;
    app_.GetExtractionConditions()->ExtractToProfile(*app_.GetURLDB(), profiles, exportProfile);

    for (int format = kKorvadel; format < kFormatCount; ++format) {
        // After a fatal failure in the core the wizard is about to end: write nothing more.
        if (ConverterApp::QuitRequested()) break;
        if (!ticked[format]) continue;
        if (format == kKorvadel)
            WriteLightDatabase(base, profiles);
        else
            WriteBrowserFormat(static_cast<Format>(format), base, exportProfile);
    }
    return true;
}

void ConversionWorkflow::WriteLightDatabase(const std::string& base,
                                            const std::vector<BrowserProfile*>& profiles) {
    URLDB database(kEveryusePeriod, kGenrePeriod, kRecentThreshold);
    app_.GetExtractionConditions()->ExtractToDatabase(*app_.GetURLDB(), profiles, database);
    const std::string folder = Join(base, "Korvadel");
    OutputResult& result = results_[kKorvadel];
    result = OutputResult{false, 0, folder};
    if (MakeOutputFolder(folder)) {
        std::string path = Join(folder, "urldb_light.db");
        result.written =
            app_.GetFavoritesFile()->SaveLight(path, database, *app_.GetFavoritesSetup()) != 0;
        // The save may have gone to another name the user gave.
        result.target = path;
        if (!result.written) {
            Show(kNotWritten);
        } else {
            result.count = database.GetCount();
            Show("Korvadelの簡易形式でお気に入りを出力しました。");
        }
    } else {
        Show(kNoFolder);
    }
    outputDone_[kKorvadel] = true;
}

void ConversionWorkflow::WriteBrowserFormat(Format format, const std::string& base,
                                            BrowserProfile& exportProfile) {
    const BrowserOutput& output = kBrowserOutputs[format - kInternetExplorer];
    const std::string folder = Join(base, output.folder);
    // Recorded before the folder is made, so that step 5 offers it even when making it failed.
    app_.LastOutputFolder()[static_cast<size_t>(output.kind - 1)] = folder;
    OutputResult& result = results_[format];
    result = OutputResult{false, 0, folder};
    if (MakeOutputFolder(folder)) {
        const std::string target = *output.file ? Join(folder, output.file) : folder;
        result.target = target;
        const int count = app_.GetFavoritesSetup()->SaveKind(output.kind, target, &exportProfile);
        if (count > 0) {
            result = OutputResult{true, count, target};
            Show(output.done);
        } else {
            Show(kNotWritten);
        }
    } else {
        Show(kNoFolder);
    }
    outputDone_[format] = true;
}

bool ConversionWorkflow::ConfirmLeavingCreation() {
    for (bool done : outputDone_) {
        if (done) return true;
    }
    return Show("お気に入りの出力が行われてません。\n無視して先に進みますか？", "確認",
                UserPrompt::Buttons::YesNo) == UserPrompt::Answer::Yes;
}

void ConversionWorkflow::OpenSourceFolder(int row) {
    BrowserProfile* profile = ProfileAt(row);
    if (!profile) {
        Show("選択されている項目がありません。", kCopyCaption);
        return;
    }
    const std::string& path = profile->GetFavoritesPath();
    // Internet Explorer keeps a folder of shortcuts; the others one bookmark file in a folder.
    SystemCommand::ExplorerExecution(
        profile->GetKind() == BrowserProfile::kInternetExplorer ? path : FolderOf(path));
}

void ConversionWorkflow::OpenOutputFolder(int row) {
    BrowserProfile* profile = ProfileAt(row);
    if (!profile) {
        Show("選択されている項目がありません。", kCopyCaption);
        return;
    }
    const int kind = profile->GetKind();
    const std::array<std::string, ConverterApp::kBrowserKinds>& folders = app_.LastOutputFolder();
    if (kind >= 1 && kind <= ConverterApp::kBrowserKinds &&
        !folders[static_cast<size_t>(kind - 1)].empty()) {
        SystemCommand::ExplorerExecution(folders[static_cast<size_t>(kind - 1)]);
        return;
    }
    Show("対象のお気に入りが出力されていません。", kCopyCaption);
}
