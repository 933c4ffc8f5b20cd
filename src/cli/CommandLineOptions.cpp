#include "cli/CommandLineOptions.h"

#include <QCommandLineParser>
#include <algorithm>

#include "selection/ExtractionConditions.h"

#ifndef PENNAWICK_VERSION
#define PENNAWICK_VERSION "0"
#endif

const char* const CommandLineOptions::kFormatNames[6] = {"korvadel", "ie",  "nn4",
                                                         "nn6",      "nn7", "opera"};
// Browser kinds 1 to 5 as --add and the JSON list name them.
const char* const CommandLineOptions::kKindNames[5] = {"ie", "nn4", "nn6", "nn7", "opera"};
// The choices of the page's four time lists, in their order.
const char* const CommandLineOptions::kRangeNames[5] = {"all", "3days", "week", "month", "older"};
// The page's status boxes in their order: uncollected URL, 300 or less, 400 or more, 401, 403,
// 500 or more, 500, 503.
const char* const CommandLineOptions::kStatusNames[8] = {"uncollected", "300-", "400+", "401",
                                                         "403",         "500+", "500",  "503"};

namespace {

const char* const kRangeOptions[4] = {"first-time", "last-reference", "last-request",
                                      "last-normal"};

QString Q(const char* text) {
    return QString::fromUtf8(text);
}

QString NameList(const char* const* names, size_t count) {
    QStringList list;
    for (size_t i = 0; i < count; ++i) list << Q(names[i]);
    return list.join(QLatin1Char(','));
}

// Index of a name in a table; -1 when it is not there.
int IndexOf(const char* const* names, size_t count, const QString& name) {
    for (size_t i = 0; i < count; ++i) {
        if (name == Q(names[i])) return static_cast<int>(i);
    }
    return -1;
}

struct Parser {
    QCommandLineParser parser;
    QCommandLineOption help{QStringList{"h", "help"}, Q("Show this help and exit.")};
    QCommandLineOption version{QStringList{"version"}, Q("Show the version and exit.")};
    QCommandLineOption quiet{QStringList{"q", "quiet"}, Q("Print nothing but errors.")};
    QCommandLineOption prefix{QStringList{"prefix"},
                              Q("Read the Windows system from the Wine prefix DIR (default: "
                                "$WINEPREFIX, else ~/.wine)."),
                              Q("DIR")};
    QCommandLineOption add{QStringList{"add"},
                           Q("Add a row for a loose bookmark file (nn4, nn6, nn7, opera) or an "
                             "Internet Explorer favorites folder (ie). Repeatable."),
                           Q("KIND:PATH")};
    QCommandLineOption noDiscovery{QStringList{"no-discovery"},
                                   Q("Offer only the rows given with --add.")};
    QCommandLineOption json{QStringList{"json"}, Q("list: one JSON object per row (UTF-8).")};
    QCommandLineOption count{QStringList{"count"},
                             Q("list: load each row and show the number of bookmarks.")};
    QCommandLineOption output{QStringList{"o", "output"},
                              Q("convert: write below DIR (created when missing)."), Q("DIR")};
    QCommandLineOption urldb{QStringList{"urldb"},
                             Q("convert: import this Korvadel database instead of the urldb.db "
                               "next to the program."),
                             Q("FILE")};
    QCommandLineOption noUrldb{QStringList{"no-urldb"}, Q("convert: import no Korvadel database.")};
    QCommandLineOption profile{QStringList{"p", "profile"},
                               Q("convert: import row N of the list (repeatable; default: "
                                 "every row)."),
                               Q("N")};
    QCommandLineOption deleteUnheld{QStringList{"delete-unheld"},
                                    Q("convert: drop bookmarks whose URL Korvadel does not hold.")};
    QCommandLineOption minReferences{QStringList{"min-references"},
                                     Q("convert: keep URLs referenced at least N times."), Q("N")};
    QCommandLineOption minErrors{QStringList{"min-errors"},
                                 Q("convert: keep URLs with at least N errors."), Q("N")};
    QCommandLineOption firstTime{QStringList{"first-time"},
                                 Q("convert: condition on the first time."), Q("WHEN")};
    QCommandLineOption lastReference{QStringList{"last-reference"},
                                     Q("convert: condition on the last reference."), Q("WHEN")};
    QCommandLineOption lastRequest{QStringList{"last-request"},
                                   Q("convert: condition on the last update request."), Q("WHEN")};
    QCommandLineOption lastNormal{QStringList{"last-normal"},
                                  Q("convert: condition on the last normal answer."), Q("WHEN")};
    QCommandLineOption status{QStringList{"status"},
                              Q("convert: select by HTTP status, keeping the listed boxes: ") +
                                  NameList(CommandLineOptions::kStatusNames, 8) +
                                  Q(" (comma-separated)."),
                              Q("LIST")};
    QCommandLineOption format{QStringList{"f", "format"},
                              Q("convert: the formats to write, comma-separated (default: ") +
                                  NameList(CommandLineOptions::kFormatNames, 6) + Q(")."),
                              Q("LIST")};
    QCommandLineOption yes{QStringList{"y", "yes"},
                           Q("convert: answer yes to every question (overwriting included).")};
    QCommandLineOption lightDbName{
        QStringList{"light-db-name"},
        Q("convert: where to save the light database when its own name cannot be written."),
        Q("FILE")};
    // The source system as a Windows drive instead of a Wine prefix.
    QCommandLineOption windows{
        QStringList{"windows"},
        Q("Read the Windows installation whose drive C: is the folder ROOT (default: "
          "$PENNAWICK_WINDOWS; without either, the Wine prefix)."),
        Q("ROOT")};
    QCommandLineOption user{
        QStringList{"user"},
        Q("With --windows: the user profile to read, by its folder name (needed when ROOT holds "
          "several)."),
        Q("NAME")};
    QCommandLineOption drive{QStringList{"drive"},
                             Q("With --windows: the folder that holds drive X: (repeatable)."),
                             Q("X:=DIR")};

    Parser() {
        parser.setApplicationDescription(
            Q("Converts bookmarks like the Pennawick wizard, without a window.\n\n"
              "Commands:\n"
              "  list     the profile rows of step 2\n"
              "  convert  import, select and write below --output\n\n"
              "WHEN is one of ") +
            NameList(CommandLineOptions::kRangeNames, 5) + Q(".\nKIND is one of ") +
            NameList(CommandLineOptions::kKindNames, 5) + Q("."));
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        for (const QCommandLineOption* option :
             {&help,         &version,       &quiet,     &prefix,    &add,           &noDiscovery,
              &json,         &count,         &output,    &urldb,     &noUrldb,       &profile,
              &deleteUnheld, &minReferences, &minErrors, &firstTime, &lastReference, &lastRequest,
              &lastNormal,   &status,        &format,    &yes,       &lightDbName,   &windows,
              &user,         &drive}) {
            parser.addOption(*option);
        }
        parser.addPositionalArgument(Q("command"), Q("list or convert"), Q("list|convert"));
    }
};

}  // namespace

bool CommandLineOptions::Conditions::AnyGiven() const {
    return deleteUnheld || minReferences || minErrors || status ||
           std::any_of(ranges.begin(), ranges.end(), [](const auto& r) { return r.has_value(); });
}

bool CommandLineOptions::Fail(const std::string& reason) {
    error_ = reason;
    return false;
}

std::string CommandLineOptions::VersionText() {
    return std::string("pennawick-convert ") + PENNAWICK_VERSION;
}

std::string CommandLineOptions::HelpText() const {
    return help_;
}

bool CommandLineOptions::ParseWindows(const QCommandLineParser& parser,
                                      const QCommandLineOption& windowsOption,
                                      const QCommandLineOption& userOption,
                                      const QCommandLineOption& driveOption) {
    windows = parser.value(windowsOption).toStdString();
    if (!parser.isSet(windowsOption))
        windows = qEnvironmentVariable("PENNAWICK_WINDOWS").toStdString();
    user = parser.value(userOption).toStdString();
    for (const QString& value : parser.values(driveOption)) drives.push_back(value.toStdString());
    if (windows.empty() && (parser.isSet(userOption) || parser.isSet(driveOption))) {
        return Fail(std::string("--") + (parser.isSet(userOption) ? "user" : "drive") +
                    " needs --windows ROOT");
    }
    if (!windows.empty() && parser.isSet("prefix")) {
        return Fail("--prefix and --windows name two different systems; give one");
    }
    return true;
}

bool CommandLineOptions::Parse(const QStringList& args) {
    Parser p;
    QCommandLineParser& parser = p.parser;
    help_ = parser.helpText().toStdString();
    if (!parser.parse(args)) return Fail(parser.errorText().toStdString());
    help = parser.isSet(p.help);
    version = parser.isSet(p.version);
    if (help || version) return true;
    if (!ParseWindows(parser, p.windows, p.user, p.drive)) return false;
    if (!ParseCommand(parser.positionalArguments())) return false;

    quiet = parser.isSet(p.quiet);
    noDiscovery = parser.isSet(p.noDiscovery);
    prefix = parser.value(p.prefix).toStdString();
    for (const QString& value : parser.values(p.add)) {
        if (!ParseAdded(value)) return false;
    }

    // Options of the other command are a mistake worth telling, not something to ignore.
    const bool listing = command == Command::kList;
    const QCommandLineOption* listOnly[] = {&p.json, &p.count};
    const QCommandLineOption* convertOnly[] = {
        &p.output,        &p.urldb,     &p.noUrldb,   &p.profile,       &p.deleteUnheld,
        &p.minReferences, &p.minErrors, &p.firstTime, &p.lastReference, &p.lastRequest,
        &p.lastNormal,    &p.status,    &p.format,    &p.yes,           &p.lightDbName};
    for (const QCommandLineOption* option : listing
                                                ? std::vector(convertOnly, std::end(convertOnly))
                                                : std::vector(listOnly, std::end(listOnly))) {
        if (parser.isSet(*option)) {
            return Fail("--" + option->names().constLast().toStdString() + " does not apply to " +
                        (listing ? "list" : "convert"));
        }
    }
    if (listing) {
        json = parser.isSet(p.json);
        count = parser.isSet(p.count);
        return true;
    }

    output = parser.value(p.output).toStdString();
    if (output.empty()) return Fail("convert needs --output DIR");
    noUrldb = parser.isSet(p.noUrldb);
    urldb = parser.value(p.urldb).toStdString();
    if (noUrldb && parser.isSet(p.urldb)) return Fail("--urldb and --no-urldb exclude each other");
    if (parser.isSet(p.urldb) && urldb.empty()) return Fail("--urldb needs a file name");
    for (const QString& value : parser.values(p.profile)) {
        bool number = false;
        const int row = value.toInt(&number);
        if (!number || row < 1) return Fail("bad row for --profile: '" + value.toStdString() + "'");
        if (std::find(profiles.begin(), profiles.end(), row) == profiles.end())
            profiles.push_back(row);
    }
    conditions.deleteUnheld = parser.isSet(p.deleteUnheld);
    if (parser.isSet(p.minReferences) &&
        !ParseCountValue("min-references", parser.value(p.minReferences), conditions.minReferences))
        return false;
    if (parser.isSet(p.minErrors) &&
        !ParseCountValue("min-errors", parser.value(p.minErrors), conditions.minErrors))
        return false;
    const QCommandLineOption* rangeOptions[4] = {&p.firstTime, &p.lastReference, &p.lastRequest,
                                                 &p.lastNormal};
    for (size_t i = 0; i < 4; ++i) {
        if (parser.isSet(*rangeOptions[i]) &&
            !ParseRange(kRangeOptions[i], parser.value(*rangeOptions[i]), conditions.ranges[i]))
            return false;
    }
    if (parser.isSet(p.status) && !ParseStatus(parser.value(p.status))) return false;
    if (parser.isSet(p.format) && !ParseFormats(parser.value(p.format))) return false;
    yes = parser.isSet(p.yes);
    lightDbName = parser.value(p.lightDbName).toStdString();
    return true;
}

bool CommandLineOptions::ParseCommand(const QStringList& positional) {
    if (positional.isEmpty()) return Fail("no command given (list or convert)");
    if (positional.size() > 1)
        return Fail("unexpected argument '" + positional[1].toStdString() + "'");
    if (positional[0] == QLatin1String("list")) {
        command = Command::kList;
    } else if (positional[0] == QLatin1String("convert")) {
        command = Command::kConvert;
    } else {
        return Fail("unknown command '" + positional[0].toStdString() + "'");
    }
    return true;
}

bool CommandLineOptions::ParseFormats(const QString& list) {
    formats.fill(false);
    for (const QString& name : list.split(QLatin1Char(','))) {
        const int index = IndexOf(kFormatNames, 6, name.trimmed());
        if (index < 0) return Fail("unknown format '" + name.toStdString() + "'");
        formats[static_cast<size_t>(index)] = true;
    }
    return true;
}

bool CommandLineOptions::ParseStatus(const QString& list) {
    std::array<bool, 8> boxes{};
    // An empty list ticks "select by status" with every box cleared, as the page allows.
    for (const QString& name : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int index = IndexOf(kStatusNames, 8, name.trimmed());
        if (index < 0) return Fail("unknown status box '" + name.toStdString() + "'");
        boxes[static_cast<size_t>(index)] = true;
    }
    conditions.status = boxes;
    return true;
}

bool CommandLineOptions::ParseAdded(const QString& value) {
    const qsizetype colon = value.indexOf(QLatin1Char(':'));
    const int kind = colon < 0 ? -1 : IndexOf(kKindNames, 5, value.left(colon));
    if (kind < 0) {
        return Fail("bad --add '" + value.toStdString() +
                    "': expected KIND:PATH with KIND one of " +
                    NameList(kKindNames, 5).toStdString());
    }
    const std::string path = value.mid(colon + 1).toStdString();
    if (path.empty()) return Fail("bad --add '" + value.toStdString() + "': no path");
    added.push_back({kind + 1, path});
    return true;
}

bool CommandLineOptions::ParseCountValue(const char* option, const QString& value,
                                         std::optional<int>& target) {
    // The page's number fields take up to eight digits and nothing else.
    const std::string text = value.toStdString();
    const bool digits =
        !text.empty() && text.size() <= ExtractionConditions::kCountDigitsMax &&
        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        return Fail(std::string("bad value for --") + option + ": '" + text +
                    "' (0 to 99999999 expected)");
    }
    target = ExtractionConditions::ParseCount(text);
    return true;
}

bool CommandLineOptions::ParseRange(const char* option, const QString& value,
                                    std::optional<int>& target) {
    const int index = IndexOf(kRangeNames, 5, value);
    if (index < 0) {
        return Fail(std::string("bad value for --") + option + ": '" + value.toStdString() +
                    "' (one of " + NameList(kRangeNames, 5).toStdString() + ")");
    }
    target = index;
    return true;
}
