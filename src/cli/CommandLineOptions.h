#pragma once

#include <QStringList>
#include <array>
#include <optional>
#include <string>
#include <vector>

class QCommandLineOption;
class QCommandLineParser;

// The command line of pennawick-convert, parsed and checked: the command (list or convert) and
// every option, with values in the forms the steps of the conversion take. Paths stay native
// (UTF-8, as given); the command turns them into internal ones once the system is chosen.
class CommandLineOptions {
public:
    enum class Command { kNone, kList, kConvert };

    // A loose bookmark file or Internet Explorer favorites folder (--add KIND:PATH).
    struct Added {
        int kind = 0;      // browser kind, 1 to 5
        std::string path;  // native path
    };

    // The step-3 conditions given on the command line; an unset one keeps the page's value.
    struct Conditions {
        bool deleteUnheld = false;
        std::optional<int> minReferences;
        std::optional<int> minErrors;
        // First time, last reference, last request, last normal.
        std::array<std::optional<int>, 4> ranges;
        // The eight status boxes in the page's order; set means "select by status".
        std::optional<std::array<bool, 8>> status;
        bool AnyGiven() const;
    };

    // Parses args (args[0] is the program). False for bad usage; Error() then holds the reason.
    bool Parse(const QStringList& args);
    const std::string& Error() const { return error_; }
    // The help text (usage, commands, options) and the version line.
    std::string HelpText() const;
    static std::string VersionText();

    bool help = false;
    bool version = false;
    Command command = Command::kNone;
    bool quiet = false;
    bool json = false;
    bool count = false;
    bool yes = false;
    bool noDiscovery = false;
    bool noUrldb = false;
    std::string prefix;
    // The Windows drive to read instead of the Wine prefix; empty for the prefix.
    std::string windows;
    std::string user;
    std::vector<std::string> drives;  // each "X:=DIR"
    std::string urldb;
    std::string output;
    std::string lightDbName;
    std::vector<int> profiles;  // row numbers from 1; empty means every row
    Conditions conditions;
    // Formats in ConversionWorkflow's order; all six unless --format names some.
    std::array<bool, 6> formats{true, true, true, true, true, true};
    std::vector<Added> added;

    // The names of the values the options take, as the help and the man page give them.
    static const char* const kFormatNames[6];
    static const char* const kKindNames[5];
    static const char* const kRangeNames[5];
    static const char* const kStatusNames[8];

private:
    bool Fail(const std::string& reason);
    bool ParseCommand(const QStringList& positional);
    bool ParseWindows(const QCommandLineParser& parser, const QCommandLineOption& windowsOption,
                      const QCommandLineOption& userOption, const QCommandLineOption& driveOption);
    bool ParseFormats(const QString& list);
    bool ParseStatus(const QString& list);
    bool ParseAdded(const QString& value);
    bool ParseCountValue(const char* option, const QString& value, std::optional<int>& target);
    bool ParseRange(const char* option, const QString& value, std::optional<int>& target);

    std::string error_;
    std::string help_;
};
