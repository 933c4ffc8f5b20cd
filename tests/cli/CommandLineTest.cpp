// pennawick-convert as scripts run it: the real program in a folder of the emulated system, with
// no display, no Qt platform and standard input at its end; and its questions, answered from the
// options or left to fail the run, in this process through the fault seam.

#include <gtest/gtest.h>

#include <QProcess>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "common/EmulatedSystem.h"
#include "platform/FaultSeam.h"

namespace fs = std::filesystem;

namespace {

const std::string kStage = std::string(EmulatedSystem::kWorkingFolder);
const std::string kLoose = "C:\\loose\\";

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class CommandLineTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        system.MakeFolder(kStage);
        fs::copy_file(PENNAWICK_CONVERT, system.Native(kStage + "pennawick-convert"));
        // A Netscape 4.x file in Shift-JIS, an Opera hotlist, a favorites folder, and a
        // Netscape 6.x file without bookmarks.
        system.WriteFile(kLoose + "bookmark.htm",
                         "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n<DL><p>\r\n"
                         "    <DT><A HREF=\"http://www.example.co.jp/\">" +
                             Sjis("例のページ") + "</A>\r\n</DL><p>\r\n");
        system.WriteFile(kLoose + "opera6.adr",
                         "Opera Hotlist version 2.0\nOptions: encoding = utf8, version=3\n\n"
                         "#URL\n\tNAME=Opera page\n\tURL=http://opera.example/\n\n");
        system.WriteFile(kLoose + "Favorites\\Sub\\Site.url",
                         "[InternetShortcut]\r\nURL=http://ie.example/\r\n");
        system.WriteFile(kLoose + "empty.html", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n");
    }

    std::string Loose(const char* name) const { return system.Native(kLoose + name); }

    // Runs the staged program as a script would, without any display; the system comes from
    // WINEPREFIX unless the arguments name it.
    Outcome Run(const QStringList& args, bool prefixVariable = true) const {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QString::fromLatin1(name));
        if (!prefixVariable) environment.remove(QStringLiteral("WINEPREFIX"));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(QString::fromStdString(system.Native(kStage + "pennawick-convert")), args);
        Outcome outcome;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "pennawick-convert did not end: " << args.join(' ').toStdString();
            return outcome;
        }
        outcome.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        outcome.out = process.readAllStandardOutput().toStdString();
        outcome.err = process.readAllStandardError().toStdString();
        return outcome;
    }
};

QStringList Args(std::initializer_list<std::string> args) {
    QStringList list;
    for (const std::string& arg : args) list << QString::fromStdString(arg);
    return list;
}

TEST_F(CommandLineTest, BadUsageEndsWithOneReasonAndTheHintBeforeAnythingIsWritten) {
    const std::string out = system.Native("C:\\out");
    const std::string missing = system.Native("C:\\nothing\\bookmark.htm");
    struct Case {
        QStringList args;
        std::string reason;
    };
    const std::vector<Case> cases = {
        {Args({"list", "--bogus"}), "Unknown option 'bogus'."},
        {Args({}), "no command given (list or convert)"},
        {Args({"export"}), "unknown command 'export'"},
        {Args({"convert"}), "convert needs --output DIR"},
        {Args({"convert", "-o", out, "--json"}), "--json does not apply to convert"},
        {Args({"list", "--format", "nn6"}), "--format does not apply to list"},
        {Args({"convert", "-o", out, "--min-references", "12x"}),
         "bad value for --min-references: '12x' (0 to 99999999 expected)"},
        {Args({"convert", "-o", out, "--min-errors", "123456789"}),
         "bad value for --min-errors: '123456789' (0 to 99999999 expected)"},
        {Args({"convert", "-o", out, "--last-normal", "year"}),
         "bad value for --last-normal: 'year' (one of all,3days,week,month,older)"},
        {Args({"convert", "-o", out, "--format", "nn6,nn5"}), "unknown format 'nn5'"},
        {Args({"convert", "-o", out, "--status", "400+,404"}), "unknown status box '404'"},
        {Args({"convert", "-o", out, "--profile", "0"}), "bad row for --profile: '0'"},
        {Args({"convert", "-o", out, "--profile", "3"}), "no such profile row 3 (there are 1)"},
        {Args({"list", "--add", "nn5:" + missing}),
         "bad --add 'nn5:" + missing +
             "': expected KIND:PATH with KIND one of ie,nn4,nn6,nn7,opera"},
        {Args({"convert", "-o", out, "--add", "nn4:" + missing}),
         "--add nn4:" + missing + ": No such file or directory"},
        {Args({"list", "--add", "ie:" + Loose("bookmark.htm")}),
         "--add ie:" + Loose("bookmark.htm") + ": is not a folder"},
        {Args({"list", "--add", "opera:" + Loose("Favorites")}),
         "--add opera:" + Loose("Favorites") + ": is a folder, not a file"},
        {Args({"list", "--user", "taro"}), "--user needs --windows ROOT"},
        {Args({"list", "--windows", system.Root(), "--prefix", system.Root()}),
         "--prefix and --windows name two different systems; give one"},
        {Args({"list", "--prefix", system.Native("C:\\none")}),
         "--prefix " + system.Native("C:\\none") + ": no such folder"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = Run(c.args);
        const std::string shown = c.args.join(' ').toStdString();
        EXPECT_EQ(outcome.status, 2) << shown;
        EXPECT_EQ(outcome.err, "pennawick-convert: " + c.reason +
                                   "\nTry 'pennawick-convert --help' for more information.\n")
            << shown;
        EXPECT_EQ(outcome.out, "") << shown;
    }
    EXPECT_FALSE(system.Exists("C:\\out"));
}

TEST_F(CommandLineTest, ListsLooseFilesAfterTheDetectedRowsAsJsonLines) {
    const Outcome all =
        Run(Args({"list", "--json", "--count", "--add", "nn4:" + Loose("bookmark.htm"), "--add",
                  "opera:" + Loose("opera6.adr"), "--add", "ie:" + Loose("Favorites"), "--add",
                  "nn6:" + Loose("empty.html")}));
    EXPECT_EQ(all.status, 0) << all.err;
    // The empty system still offers its Internet Explorer row first, with the logon user.
    const std::string detected = "{\"row\":1,\"kind\":\"ie\",\"browser\":\"I.E.\",\"user\":\"";
    ASSERT_EQ(all.out.substr(0, detected.size()), detected);
    EXPECT_EQ(all.out.substr(all.out.find('\n') + 1),
              "{\"row\":2,\"kind\":\"nn4\",\"browser\":\"NNv4\",\"user\":\"\","
              "\"path\":\"C:\\\\loose\\\\bookmark.htm\",\"count\":1}\n"
              "{\"row\":3,\"kind\":\"opera\",\"browser\":\"Opera6\",\"user\":\"\","
              "\"path\":\"C:\\\\loose\\\\opera6.adr\",\"count\":1}\n"
              "{\"row\":4,\"kind\":\"ie\",\"browser\":\"I.E.\",\"user\":\"\","
              "\"path\":\"C:\\\\loose\\\\Favorites\",\"count\":2}\n"
              "{\"row\":5,\"kind\":\"nn6\",\"browser\":\"NNv6\",\"user\":\"\","
              "\"path\":\"C:\\\\loose\\\\empty.html\",\"count\":0}\n");
    EXPECT_NE(all.err.find("warning: row 5 (NNv6): no bookmark found in " + Loose("empty.html")),
              std::string::npos)
        << all.err;

    // The drive C: of the paths shown is the prefix's, named on the command line.
    const Outcome table =
        Run(Args({"--prefix", system.Root(), "list", "--no-discovery", "--add",
                  "nn4:" + Loose("bookmark.htm"), "--add", "ie:" + Loose("Favorites")}),
            false);
    EXPECT_EQ(table.status, 0) << table.err;
    EXPECT_EQ(table.out,
              "ROW  BROWSER  USER  PATH\n"
              "1    NNv4           C:\\loose\\bookmark.htm\n"
              "2    I.E.           C:\\loose\\Favorites\n");
}

TEST_F(CommandLineTest, ConvertsWithoutADisplayAndLeavesTheSettingsFileAlone) {
    const std::string settings = "[CONFIG]\r\nDEBUG=3\r\n";
    system.WriteFile(kStage + "pennawick.ini", settings);
    const Outcome outcome = Run(
        Args({"convert", "--no-discovery", "--no-urldb", "--add", "nn4:" + Loose("bookmark.htm"),
              "--format", "nn6,opera", "--output", system.Native("C:\\out\\new")}));
    // The parent of the output folder is missing: nothing can be written.
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find("cannot create the output folder " + system.Native("C:\\out\\new") +
                               ": No such file or directory"),
              std::string::npos)
        << outcome.err;
    EXPECT_FALSE(system.Exists("C:\\out"));
    const std::string urldb = system.Native("C:\\none\\urldb.db");
    const Outcome unread = Run(Args({"convert", "--urldb", urldb, "-o", system.Native("C:\\out")}));
    EXPECT_EQ(unread.status, 1);
    EXPECT_NE(unread.err.find("cannot read the Korvadel database " + urldb +
                              ": No such file or directory"),
              std::string::npos)
        << unread.err;
    EXPECT_FALSE(system.Exists("C:\\out"));

    const Outcome written = Run(
        Args({"convert", "--no-discovery", "--no-urldb", "--add", "nn4:" + Loose("bookmark.htm"),
              "--format", "nn6,opera", "--output", system.Native("C:\\out")}));
    EXPECT_EQ(written.status, 0) << written.err;
    // The wizard's messages, one paragraph each; no progress lines into a pipe.
    EXPECT_NE(written.err.find("　Netscape.6.x.形式でお気に入りを出力しました。\n"),
              std::string::npos);
    EXPECT_EQ(written.err.find("entries written"), std::string::npos);
    EXPECT_NE(system.ReadFile("C:\\out\\Netscape6x\\bookmarks.html").find("例のページ"),
              std::string::npos);
    EXPECT_NE(system.ReadFile("C:\\out\\Opera6\\Opera6.adr").find("www.example.co.jp"),
              std::string::npos);
    EXPECT_FALSE(system.Exists("C:\\out\\Korvadel"));
    EXPECT_EQ(system.ReadFile(kStage + "pennawick.ini"), settings);

    const Outcome quiet =
        Run(Args({"-q", "convert", "--no-discovery", "--add", "nn6:" + Loose("empty.html"), "-f",
                  "nn4", "-o", system.Native("C:\\out")}));
    // Nothing to write: the failure is named, the wizard's messages and warnings are not shown.
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(quiet.err, "pennawick-convert: Netscape4x: not written to " +
                             system.Native("C:\\out\\Netscape4x\\bookmark.htm") + "\n");
}

// The light database cannot be moved aside nor deleted: the save asks for another name.
class LightDatabaseQuestionTest : public EmulatedSystemTest {
protected:
    const std::string target = "C:\\out\\Korvadel\\urldb_light.db";

    int Convert(std::initializer_list<std::string> extra) {
        system.WriteFile(target, "old");
        system.WriteFile(kLoose + "bookmark.htm",
                         "<DL><p>\n<DT><A HREF=\"http://a.example/\">A</A>\n</DL><p>\n");
        for (auto operation :
             {platform::FaultSeam::Operation::Rename, platform::FaultSeam::Operation::Rename,
              platform::FaultSeam::Operation::Delete}) {
            platform::FaultSeam::FailNext(operation, target, EACCES);
        }
        QStringList args = Args({"pennawick-convert", "convert", "--no-discovery", "--no-urldb",
                                 "--add", "nn4:" + system.Native(kLoose + "bookmark.htm"), "-f",
                                 "korvadel", "-o", system.Native("C:\\out")});
        args += Args(extra);
        const int status = CommandLine::Run(args, kStage + "pennawick.exe");
        platform::FaultSeam::Clear();
        return status;
    }
};

TEST_F(LightDatabaseQuestionTest, IsAnsweredByTheOptionsOrFailsTheRun) {
    EXPECT_EQ(Convert({}), 1);
    EXPECT_EQ(system.ReadFile(target), "old");

    const std::string other = system.Native("C:\\other.db");
    EXPECT_EQ(Convert({"--light-db-name", other}), 0);
    EXPECT_EQ(system.ReadFile("C:\\other.db").substr(0, 7), "size=1\r");

    // Replacing a file asks first, as a save-as dialog does.
    system.WriteFile("C:\\other.db", "mine");
    EXPECT_EQ(Convert({"--light-db-name", other}), 1);
    EXPECT_EQ(system.ReadFile("C:\\other.db"), "mine");
    EXPECT_EQ(Convert({"--light-db-name", other, "--yes"}), 0);
    EXPECT_EQ(system.ReadFile("C:\\other.db").substr(0, 7), "size=1\r");
}

}  // namespace

// A Windows drive as the source: with two user profiles and none named the command lists them
// and stops; naming one lists that user's rows from the drive.
TEST_F(CommandLineTest, ReadsAWindowsDriveAndAsksForTheUserWhenItHoldsSeveral) {
    const std::string drive = system.Native("C:\\xp");
    QProcess generator;
    generator.start(QStringLiteral("python3"),
                    {QStringLiteral(PENNAWICK_DEMO_GENERATOR), QStringLiteral("--windows"),
                     QStringLiteral("xp"), QStringLiteral("--user"), QString::fromUtf8("太郎"),
                     QStringLiteral("--user"), QStringLiteral("hanako"),
                     QString::fromStdString(drive), QString::fromStdString(drive + ".db")});
    ASSERT_TRUE(generator.waitForFinished(60000));
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();

    const Outcome several = Run(Args({"list", "--windows", drive}), false);
    EXPECT_EQ(several.status, 2);
    EXPECT_NE(several.err.find("太郎"), std::string::npos) << several.err;
    EXPECT_NE(several.err.find("hanako"), std::string::npos) << several.err;
    EXPECT_EQ(several.out, "");

    const Outcome chosen =
        Run(Args({"list", "--json", "--windows", drive, "--user", "hanako"}), false);
    EXPECT_EQ(chosen.status, 0) << chosen.err;
    EXPECT_NE(chosen.out.find("Documents and Settings\\\\hanako\\\\Favorites"), std::string::npos)
        << chosen.out;
}
