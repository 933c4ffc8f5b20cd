#include "cli/CommandLine.h"

#include <QFileInfo>
#include <QtGlobal>
#include <cstdio>

#include "app/ConverterApp.h"
#include "cli/CommandLineOptions.h"
#include "cli/ConsoleHost.h"
#include "cli/ConsolePrompt.h"
#include "cli/SourceCheck.h"
#include "platform/Cp932.h"
#include "platform/PathMap.h"
#include "platform/Prefix.h"
#include "platform/WindowsRoot.h"

namespace {

int BadUsage(const std::string& reason) {
    std::fprintf(stderr,
                 "pennawick-convert: %s\nTry 'pennawick-convert --help' for more information.\n",
                 reason.c_str());
    return ConsoleHost::kBadUsage;
}

void Print(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// The internal path of a native one given on the command line; empty when it cannot be named.
bool Internal(const char* option, const std::string& native, std::string& internal,
              std::string& reason) {
    internal = platform::PathMap::ToInternal(native);
    if (!internal.empty()) return true;
    reason = std::string("--") + option + " " + native + ": the name cannot be used here";
    return false;
}

}  // namespace

int CommandLine::Run(const QStringList& args, const std::string& programPath) {
    CommandLineOptions options;
    if (!options.Parse(args)) return BadUsage(options.Error());
    if (options.help) {
        Print(options.HelpText());
        return ConsoleHost::kSucceeded;
    }
    if (options.version) {
        Print(CommandLineOptions::VersionText() + "\n");
        return ConsoleHost::kSucceeded;
    }

    if (!options.prefix.empty()) {
        const QString prefix = QString::fromStdString(options.prefix);
        if (!QFileInfo(prefix).isDir()) {
            return BadUsage("--prefix " + options.prefix + ": no such folder");
        }
        qputenv("WINEPREFIX", QFileInfo(prefix).absoluteFilePath().toUtf8());
        platform::Prefix::Reset();
    }

    if (!options.windows.empty()) {
        platform::WindowsRootOptions windows;
        windows.root = options.windows;
        windows.user = options.user;
        windows.drives = options.drives;
        // Refused: not a Windows drive, an unknown user, several users and none named (the text
        // lists them), a bad --drive.
        const std::string error = platform::WindowsRoot::Use(windows);
        if (!error.empty()) return BadUsage(platform::Cp932::ToUtf8(error));
    }

    // Every loose source must be readable before anything is read or written.
    for (const CommandLineOptions::Added& added : options.added) {
        std::string internal;
        std::string reason;
        if (!Internal("add", added.path, internal, reason)) return BadUsage(reason);
        if (!SourceCheck::Profile(added.kind, internal, reason)) {
            return BadUsage("--add " + std::string(CommandLineOptions::kKindNames[added.kind - 1]) +
                            ":" + added.path + ": " + reason);
        }
    }

    ConsolePrompt::Answers answers;
    std::string urldb;
    if (options.command == CommandLineOptions::Command::kConvert) {
        std::string reason;
        if (!Internal("output", options.output, answers.folder, reason)) return BadUsage(reason);
        if (!options.urldb.empty() && !Internal("urldb", options.urldb, urldb, reason))
            return BadUsage(reason);
        if (!options.lightDbName.empty() &&
            !Internal("light-db-name", options.lightDbName, answers.saveName, reason))
            return BadUsage(reason);
    }
    answers.yes = options.yes;
    answers.quiet = options.quiet;

    ConsolePrompt prompt(answers);
    UserPrompt* previous = UserPrompt::Installed();
    UserPrompt::Install(&prompt);
    ConsoleHost host(options, prompt, answers.folder, urldb);
    ConverterApp app;
    app.SetSettingsReadOnly(true);
    app.InitInstance(host, programPath);
    UserPrompt::Install(previous);
    if (host.ExitStatus() == ConsoleHost::kBadUsage) return BadUsage(host.UsageError());
    return host.ExitStatus();
}
