#include "cli/ConsoleHost.h"

#include <cstdio>
#include <vector>

#include "app/ConversionWorkflow.h"
#include "app/ConverterApp.h"
#include "browsers/BrowserProfile.h"
#include "cli/ConsolePrompt.h"
#include "cli/ProfileTable.h"
#include "cli/SourceCheck.h"
#include "platform/Console.h"
#include "platform/Cp932.h"
#include "platform/FileSystem.h"
#include "platform/PathMap.h"
#include "platform/SystemError.h"
#include "records/URLDB.h"
#include "selection/ExtractionConditions.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"

namespace {

using Values = ExtractionConditions::Values;

// The folder each format writes below the output folder, in ConversionWorkflow's order.
constexpr const char* kFormatFolders[] = {"Korvadel",   "Microsoft",  "Netscape4x",
                                          "Netscape6x", "Netscape7x", "Opera6"};

constexpr auto kStatusFields = ExtractionConditions::kStatusFields;
constexpr auto kRangeFields = ExtractionConditions::kRangeFields;

std::string Utf8(const std::string& internal) {
    return platform::Cp932::ToUtf8(internal);
}

// A path for a message: the native one where the drive is mapped, else the internal one.
std::string Shown(const std::string& internal) {
    const std::string native = platform::PathMap::ToNative(internal);
    return native.empty() ? Utf8(internal) : native;
}

std::string KindName(int kind) {
    return kind >= 1 && kind <= 5 ? CommandLineOptions::kKindNames[kind - 1] : "";
}

// "row 3 (NNv4 taro)" for messages about one row.
std::string RowName(int row, const BrowserProfile& profile) {
    std::string name = "row " + std::to_string(row + 1) + " (" + Utf8(profile.GetKindLabel());
    if (!profile.GetUser().empty()) name += " " + Utf8(profile.GetUser());
    return name + ")";
}

void Line(const std::string& text) {
    std::fprintf(stderr, "pennawick-convert: %s\n", text.c_str());
    std::fflush(stderr);
}

}  // namespace

ConsoleHost::ConsoleHost(const CommandLineOptions& options, ConsolePrompt& prompt,
                         std::string output, std::string urldb)
    : options_(options),
      prompt_(prompt),
      output_(std::move(output)),
      urldb_(std::move(urldb)),
      progress_(!options.quiet && platform::Console::ErrorIsTerminal()) {}

void ConsoleHost::Progress(const std::string& line) const {
    if (progress_) Line(line);
}

void ConsoleHost::Warning(const std::string& line) const {
    if (!options_.quiet) Line("warning: " + line);
}

void ConsoleHost::Error(const std::string& line) const {
    Line(line);
}

int ConsoleHost::Run(ConverterApp& app) {
    ConversionWorkflow workflow(app);
    OfferRows(app);
    status_ = options_.command == CommandLineOptions::Command::kList ? List(workflow)
                                                                     : Convert(app, workflow);
    if (status_ == kSucceeded && ConverterApp::QuitRequested()) {
        Error("stopped after a fatal error (see the log)");
        status_ = kFailed;
    }
    return status_;
}

void ConsoleHost::OfferRows(ConverterApp& app) {
    FavoritesSetup& setup = *app.GetFavoritesSetup();
    setup.SetOfferDetected(!options_.noDiscovery);
    for (const CommandLineOptions::Added& added : options_.added) {
        setup.AddLooseProfile(added.kind, platform::PathMap::ToInternal(added.path));
    }
}

int ConsoleHost::List(ConversionWorkflow& workflow) {
    const std::vector<ConversionWorkflow::ProfileRow> rows = workflow.ListProfiles();
    ProfileTable table;
    for (size_t i = 0; i < rows.size(); ++i) {
        const int row = static_cast<int>(i);
        if (options_.count) ImportRow(workflow, row);
        const ConversionWorkflow::ProfileRow& shown = rows[i];
        ProfileTable::Row line{row + 1,          KindName(shown.profile->GetKind()),
                               Utf8(shown.kind), Utf8(shown.user),
                               Utf8(shown.path), {}};
        if (options_.count) line.count = shown.profile->GetCount();
        table.Add(std::move(line));
    }
    const std::string text = options_.json ? table.JsonLines() : table.Table();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return kSucceeded;
}

int ConsoleHost::Convert(ConverterApp& app, ConversionWorkflow& workflow) {
    // Step 2's list first: a row that does not exist is bad usage, found before anything is
    // written.
    const int rowCount = static_cast<int>(workflow.ListProfiles().size());
    for (int row : options_.profiles) {
        if (row > rowCount) {
            usageError_ = "no such profile row " + std::to_string(row) + " (there are " +
                          std::to_string(rowCount) + ")";
            return kBadUsage;
        }
    }
    if (!ImportDatabase(app, workflow)) return kFailed;
    if (!MakeOutputFolder()) return kFailed;
    if (options_.profiles.empty()) {
        for (int row = 0; row < rowCount; ++row) ImportRow(workflow, row);
    } else {
        for (int row : options_.profiles) ImportRow(workflow, row - 1);
    }
    ApplyConditions(app);
    return Write(workflow);
}

bool ConsoleHost::ImportDatabase(ConverterApp& app, ConversionWorkflow& workflow) {
    // Step 1 with the box unticked: nothing is imported and nothing is said.
    if (options_.noUrldb) {
        workflow.ImportKorvadelDatabase(false);
        return true;
    }
    const std::string path = urldb_.empty() ? app.GetFavoritesFile()->GetDatabasePath() : urldb_;
    std::string reason;
    const bool readable = SourceCheck::File(path, reason);
    // A database named on the command line must be there; the program's own is optional, as in
    // the wizard, which tells the user and goes on.
    if (!urldb_.empty() && !readable) {
        Error("cannot read the Korvadel database " + Shown(path) + ": " + reason);
        return false;
    }
    const bool imported = workflow.ImportKorvadelDatabase(true, path);
    if (imported) {
        Progress("Korvadel: " + std::to_string(app.GetURLDB()->GetCount()) +
                 " records imported from " + Shown(path));
    } else if (!urldb_.empty()) {
        Error("cannot import the Korvadel database " + Shown(path) +
              ": it holds no records or is damaged");
        return false;
    } else if (!readable) {
        Warning("no Korvadel database imported: " + Shown(path) + ": " + reason);
    } else {
        Warning("no Korvadel database imported: " + Shown(path) + " holds no records");
    }
    return true;
}

void ConsoleHost::ImportRow(ConversionWorkflow& workflow, int row) {
    const ConversionWorkflow::ProfileRow shown = workflow.RowAt(row);
    if (!shown.profile) return;
    const BrowserProfile& profile = *shown.profile;
    if (profile.GetFavoritesPath().empty()) {
        Warning(RowName(row, profile) + ": no bookmarks of this browser found on the system");
        return;
    }
    std::string reason;
    if (!SourceCheck::Profile(profile.GetKind(), profile.GetFavoritesPath(), reason)) {
        Warning(RowName(row, profile) + ": cannot read " + Shown(profile.GetFavoritesPath()) +
                ": " + reason);
        return;
    }
    workflow.ImportProfile(row);
    if (profile.GetCount() == 0) {
        Warning(RowName(row, profile) + ": no bookmark found in " +
                Shown(profile.GetFavoritesPath()));
        return;
    }
    Progress(RowName(row, profile) + ": " + std::to_string(profile.GetCount()) +
             " bookmarks imported");
}

void ConsoleHost::ApplyConditions(ConverterApp& app) {
    ExtractionConditions& conditions = *app.GetExtractionConditions();
    // What the page shows when it opens, and stores on Next unless the user changes it.
    Values values = conditions.GetValues();
    const CommandLineOptions::Conditions& given = options_.conditions;
    if (app.GetURLDB()->GetCount() == 0) {
        // The page locks every condition when there are no Korvadel records to test.
        if (given.AnyGiven()) Warning("no Korvadel records: the conditions are ignored");
    } else {
        if (given.deleteUnheld) values.DeleteUnheld = 1;
        if (given.minReferences) values.MinReferenceCount = *given.minReferences;
        if (given.minErrors) values.MinErrorCount = *given.minErrors;
        for (size_t i = 0; i < given.ranges.size(); ++i) {
            if (given.ranges[i]) values.*kRangeFields[i] = *given.ranges[i];
        }
        if (given.status) {
            values.StatusSelect = 1;
            for (size_t i = 0; i < given.status->size(); ++i)
                values.*kStatusFields[i] = (*given.status)[i] ? 1 : 0;
        }
    }
    // Unselected, the status boxes show and store their built-in values.
    if (values.StatusSelect == 0) {
        const Values shown{};
        for (const auto field : kStatusFields) values.*field = shown.*field;
    }
    conditions.SetValues(values);
}

bool ConsoleHost::MakeOutputFolder() {
    if (platform::FileSystem::IsFolder(output_)) return true;
    if (platform::FileSystem::Exists(output_)) {
        Error("cannot write below " + Shown(output_) + ": it is not a folder");
        return false;
    }
    if (platform::FileSystem::CreateFolder(output_) !=
        platform::FileSystem::CreateResult::Created) {
        Error("cannot create the output folder " + Shown(output_) + ": " +
              platform::SystemError::Text(platform::SystemError::Last()));
        return false;
    }
    return true;
}

int ConsoleHost::Write(ConversionWorkflow& workflow) {
    workflow.OpenCreationPage();
    std::array<bool, ConversionWorkflow::kFormatCount> ticked{};
    for (size_t i = 0; i < ticked.size(); ++i) ticked[i] = options_.formats[i];
    workflow.CreateFavorites(ticked);
    int status = kSucceeded;
    for (int format = 0; format < ConversionWorkflow::kFormatCount; ++format) {
        if (!ticked[static_cast<size_t>(format)]) continue;
        const auto f = static_cast<ConversionWorkflow::Format>(format);
        const ConversionWorkflow::OutputResult& result = workflow.Result(f);
        if (!workflow.OutputDone(f)) {
            Error(std::string(kFormatFolders[format]) + ": not written");
            status = kFailed;
        } else if (!result.written) {
            Error(std::string(kFormatFolders[format]) + ": not written to " + Shown(result.target));
            status = kFailed;
        } else {
            Progress(std::string(kFormatFolders[format]) + ": " + std::to_string(result.count) +
                     " entries written to " + Shown(result.target));
        }
    }
    if (prompt_.Unanswered()) status = kFailed;
    return status;
}
