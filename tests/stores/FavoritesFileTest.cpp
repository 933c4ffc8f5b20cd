#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/EmulatedSystem.h"
#include "common/ScriptedUserPrompt.h"
#include "platform/FaultSeam.h"
#include "records/URLDB.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"
#include "support/Log.h"

namespace fs = std::filesystem;
using platform::FaultSeam;

namespace {

const std::string kPath = "C:\\Pennawick\\urldb.db";

// A record with every field set; the title is longer than 64 bytes and holds 0x5C trail bytes.
std::unique_ptr<URLInfo> FullRecord(const std::string& url, int seed) {
    auto r = std::make_unique<URLInfo>(url);
    r->SetTitle(Sjis("表示ソフトの能力予測 十分な説明と長い題名がここに続いていきます、まだ続く"));
    r->SetDisplayTitle(Sjis("表示 ") + std::to_string(seed));
    r->SetResponseText("HTTP/1.1 200 OK, fine");
    r->SetHttpBody(Sjis("<html>本文,") + std::to_string(seed));
    r->SetReferenceCount(seed);
    r->SetErrorCount(-seed);
    r->SetHttpStatus(404);
    r->SetFirstTime(1000000000 + seed);
    r->SetLastRequestTime(1100000000);
    r->SetLastNormalTime(-5);
    r->SetEveryuseEnabled(0);
    r->SetLastReferenceTime(2147483647);
    r->SetAuthRequired(1);
    r->SetAuthUser(Sjis("ユーザー"));
    r->SetAuthPassword(Sjis("パス,word") + "\x7F\xFF");
    r->SetExtraValue(-2147483647 - 1);
    r->SetExtraCode(5);
    r->SetGenre(12);
    return r;
}

class FavoritesFileTest : public EmulatedSystemTest {
protected:
    void SetUp() override { SetLogLevel(LOG_V); }
    void TearDown() override {
        FaultSeam::Clear();
        SetLogLevel(LOG_I);
    }

    // The emulated clock stands on a Tuesday.
    bool Logged(const std::string& utf8) const {
        return system.ReadFile("C:\\Pennawick\\LogTue.log").find(Sjis(utf8)) != std::string::npos;
    }
    // The full form of a database: equal bytes mean equal records in all twenty fields.
    std::string Saved(const URLDB& db) {
        std::string path = "C:\\Pennawick\\probe.db";
        EXPECT_EQ(file.Save(path, db, setup), 1);
        return system.ReadFile(path);
    }

    // Loads bytes written to kPath into a fresh database.
    int LoadBytes(const std::string& bytes, URLDB& db) {
        system.WriteFile(kPath, bytes);
        return file.Load(kPath, db);
    }

    // Sets a file's modification time (seconds since 1970).
    void SetAge(const std::string& internal, int64_t seconds) {
        const timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                   {static_cast<time_t>(seconds), 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, system.Native(internal).c_str(), times, 0), 0);
    }

    FavoritesFile file;
    FavoritesSetup setup;
};

}  // namespace

TEST_F(FavoritesFileTest, UnreadableFilesLoadNothing) {
    struct Case {
        const char* what;
        std::string bytes;
        int result;
        bool formatWarning;
    };
    const std::vector<Case> cases = {
        {"empty", "", 0, false},
        {"capital header", "Size=3\r\n0,http://a/\r\n", 0, true},
        {"blank before header", " size=3\r\n0,http://a/\r\n", 0, true},
        {"binary", std::string("\x00\xFF\x89PNG\r\n0,http://a/\r\n", 16), 0, true},
        {"header only", "size=0\r\n", 0, false},
        {"header only, no line end", "size=0", 0, false},
        // LF alone does not end a line: the whole file is the header line.
        {"LF lines", "size=1\n0,http://a/\n1,A\n", 0, false},
        {"comment after header", "size=0\r\n#\r\n", 1, false},
        {"blank line after header", "size=0\r\n\r\n", 1, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(system.Native("C:\\Pennawick"));
        URLDB db(0, 0, 30);
        EXPECT_EQ(LoadBytes(c.bytes, db), c.result) << c.what;
        EXPECT_EQ(db.GetCount(), 0) << c.what;
        EXPECT_EQ(db.GetRecentEnabled(), 1) << c.what;
        EXPECT_EQ(Logged("FavoritesFile::Load フォーマットが違うファイルが読み込まれました。"),
                  c.formatWarning)
            << c.what;
        EXPECT_TRUE(Logged("FavoritesFile::Load Start ")) << c.what;
        EXPECT_TRUE(Logged("FavoritesFile::Load Stop ")) << c.what;
    }
    URLDB db(0, 0, 30);
    EXPECT_EQ(file.Load("C:\\Pennawick\\missing.db", db), 0);
    EXPECT_EQ(db.GetRecentEnabled(), 1);
}

TEST_F(FavoritesFileTest, LineRules) {
    const std::string bytes =
        "size=99\r\n"
        "# 0,http://comment/\r\n"
        "\r\n"
        "no comma\r\n"
        ",http://lead.comma/\r\n"
        "20,http://twenty/\r\n"
        "-1,http://minus/\r\n"
        "99999999999,http://huge/\r\n"
        // A record whose lines come before its line 0 has no URL and is dropped.
        "3,orphan\r\n"
        "0,http://a/,b\r\n"
        "1,  padded title \t \r\n"
        "4,ab\r\n"
        "4,cd\r\n"
        "6,\r\n"
        "7,12abc\r\n"
        "7, -3x\r\n"
        "18,9\r\n"
        "19,+7\r\n"
        "def,http://b/\r\n"
        "4,xy\r\n"
        "5,99\r\n"
        "16,NjE2MjYz\r\n"
        "0,http://c/\r\n"
        "16,NjE2Mj\r\n"  // decodes to an odd number of bytes
        "0,http://a/,b\r\n"
        "1,second record of a URL that is already there\r\n"
        "0,http://d/\r\n"
        "15,user\r\n"
        "16,!!!!\r\n"  // not Base64
        "19,12";
    URLDB db(0, 0, 30);
    ASSERT_EQ(LoadBytes(bytes, db), 1);
    ASSERT_EQ(db.GetCount(), 4);

    const URLInfo& a = *db.GetAt(0);
    EXPECT_EQ(a.GetURL(), "http://a/,b");
    EXPECT_EQ(a.GetTitle(), "  padded title");
    EXPECT_EQ(a.GetResponseText(), "");
    EXPECT_EQ(a.GetHttpBody(), "abcd");
    EXPECT_EQ(a.GetHttpBodySize(), 4);
    EXPECT_EQ(a.GetReferenceCount(), -1);
    EXPECT_EQ(a.GetErrorCount(), -3);
    EXPECT_EQ(a.GetExtraCode(), 0);
    EXPECT_EQ(a.GetGenre(), 7);
    EXPECT_EQ(a.GetFirstTime(), EmulatedSystem::kNow);

    const URLInfo& b = *db.GetAt(1);
    EXPECT_EQ(b.GetURL(), "http://b/");
    EXPECT_EQ(b.GetHttpBody(), "xy");
    EXPECT_EQ(b.GetHttpBodySize(), 99);
    EXPECT_EQ(b.GetAuthPassword(), "abc");

    EXPECT_EQ(db.GetAt(2)->GetURL(), "http://c/");
    EXPECT_EQ(db.GetAt(2)->GetAuthPassword(), "");
    const URLInfo& d = *db.GetAt(3);
    EXPECT_EQ(d.GetURL(), "http://d/");
    EXPECT_EQ(d.GetAuthPassword(), "");
    EXPECT_EQ(d.GetAuthUser(), "user");
    EXPECT_EQ(d.GetGenre(), 12);

    // Loading the same file again adds nothing and changes nothing.
    const std::string before = Saved(db);
    EXPECT_EQ(file.Load(kPath, db), 1);
    EXPECT_EQ(Saved(db), before);
}

TEST_F(FavoritesFileTest, HostileInputNeverBreaksTheLoader) {
    // Megabyte lines: a body built of two huge lines, and a huge key field.
    const std::string huge(3 << 20, 'x');
    URLDB db(0, 0, 30);
    ASSERT_EQ(LoadBytes("size=1\r\n0,http://big/\r\n4," + huge + "\r\n4," + huge + "\r\n" +
                            std::string(1 << 20, '9') + ",t\r\n",
                        db),
              1);
    ASSERT_EQ(db.GetCount(), 1);
    EXPECT_EQ(db.GetAt(0)->GetHttpBodySize(), 2 * static_cast<int>(huge.size()));

    // Random bytes behind a valid header: whatever comes of them is sorted and has URLs.
    std::mt19937 random(9);
    for (int round = 0; round < 20; ++round) {
        std::string bytes = "size=5\r\n";
        for (int i = 0; i < 4000; ++i) {
            const unsigned roll = random() % 16;
            bytes += roll < 3   ? '\r'
                     : roll < 5 ? '\n'
                     : roll < 7 ? ','
                     : roll < 9 ? '0' + random() % 10
                                : char(random());
        }
        URLDB noisy(0, 0, 30);
        EXPECT_EQ(LoadBytes(bytes, noisy), 1);
        for (int i = 0; i < noisy.GetCount(); ++i) EXPECT_FALSE(noisy.GetAt(i)->GetURL().empty());
    }
}

TEST_F(FavoritesFileTest, FullAndLightFilesRoundTrip) {
    URLDB db(0, 0, 30);
    db.Add(FullRecord("http://example.jp/b", 2), false);
    db.Add(FullRecord(Sjis("http://例え.jp/表"), 3), false);
    auto bare = std::make_unique<URLInfo>("http://example.jp/a");
    db.Add(std::move(bare), false);  // no body, no titles, no password

    std::string path = kPath;
    ASSERT_EQ(file.Save(path, db, setup), 1);
    EXPECT_EQ(path, kPath);
    const std::string saved = system.ReadFile(kPath);
    const std::string bare_record =
        "0,http://example.jp/a\r\n1,\r\n2,\r\n3,\r\n5,0\r\n6,0\r\n7,0\r\n8,0\r\n9,1796698800\r\n"
        "10,1796698800\r\n11,1796698800\r\n12,1\r\n13,1796698800\r\n14,0\r\n15,\r\n16,\r\n17,0\r\n"
        "18,0\r\n19,0\r\n";
    EXPECT_EQ(saved.substr(0, 8 + bare_record.size()), "size=3\r\n" + bare_record);
    EXPECT_TRUE(Logged("FavoritesFile::Save 書込み時のURL数 Size=(3) "));

    URLDB loaded(0, 0, 30);
    ASSERT_EQ(file.Load(kPath, loaded), 1);
    EXPECT_EQ(Saved(loaded), saved);

    // The light form keeps URL, titles and credentials; the password is encoded there too.
    std::string light = "C:\\out\\Korvadel\\urldb_light.db";
    system.MakeFolder("C:\\out\\Korvadel");
    ASSERT_EQ(file.SaveLight(light, db, setup), 1);
    const std::string lightBytes = system.ReadFile(light);
    EXPECT_EQ(lightBytes.substr(0, 78),
              "size=3\r\n0,http://example.jp/a\r\n1,\r\n2,\r\n14,0\r\n15,\r\n16,\r\n0,http://"
              "example.jp/b\r\n");
    EXPECT_EQ(lightBytes.find(Sjis("パス")), std::string::npos);
    URLDB lightLoaded(0, 0, 30);
    ASSERT_EQ(file.Load(light, lightLoaded), 1);
    URLDB expected(0, 0, 30);  // the six fields, every other field at its default
    for (int i = 0; i < db.GetCount(); ++i) {
        const URLInfo& r = *db.GetAt(i);
        auto six = std::make_unique<URLInfo>(r.GetURL());
        six->SetTitle(r.GetTitle());
        six->SetDisplayTitle(r.GetDisplayTitle());
        six->SetAuthRequired(r.GetAuthRequired());
        six->SetAuthUser(r.GetAuthUser());
        six->SetAuthPassword(r.GetAuthPassword());
        expected.Add(std::move(six), false);
    }
    EXPECT_EQ(Saved(lightLoaded), Saved(expected));
    EXPECT_EQ(lightLoaded.GetAt(1)->GetAuthPassword(), Sjis("パス,word") + "\x7F\xFF");

    // An empty database is the header alone.
    URLDB empty(0, 0, 30);
    std::string emptyPath = "C:\\Pennawick\\empty.db";
    ASSERT_EQ(file.SaveLight(emptyPath, empty, setup), 1);
    EXPECT_EQ(system.ReadFile(emptyPath), "size=0\r\n");
}

TEST_F(FavoritesFileTest, BackupsKeepTheMostRecentVersions) {
    EXPECT_EQ(file.GetDatabasePath(), kPath);
    EXPECT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 1);  // nothing there: nothing to do
    EXPECT_FALSE(system.Exists(kPath + ".1"));
    // A folder in the file's place is left where it is, and nothing can be written there.
    system.WriteFile(kPath + "\\inside", "kept");
    std::string path = kPath;
    EXPECT_EQ(file.SaveLight(path, URLDB(0, 0, 30), setup), 0);
    EXPECT_EQ(system.ReadFile(kPath + "\\inside"), "kept");
    EXPECT_FALSE(system.Exists(kPath + ".1"));

    for (int count = 0; count <= 6; ++count) {
        fs::remove_all(system.Native("C:\\Pennawick"));
        const int slots = count >= 1 && count <= 5 ? count : 2;
        // Each version is written, dated one minute after the one before, then moved aside.
        const int versions = slots + 3;
        for (int v = 1; v <= versions; ++v) {
            system.WriteFile(kPath, "v" + std::to_string(v));
            SetAge(kPath, 1700000000 + 60 * v);
            ASSERT_EQ(FavoritesFile::MakeBackupFile(kPath, count), 1) << count;
            EXPECT_FALSE(system.Exists(kPath)) << count;
        }
        std::vector<std::string> kept;
        for (int slot = 1; slot <= slots; ++slot)
            kept.push_back(system.ReadFile(kPath + "." + std::to_string(slot)));
        std::sort(kept.begin(), kept.end());
        std::vector<std::string> expected;
        for (int v = versions - slots + 1; v <= versions; ++v)
            expected.push_back("v" + std::to_string(v));
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(kept, expected) << count;
        EXPECT_FALSE(system.Exists(kPath + "." + std::to_string(slots + 1))) << count;
    }

    // Slot ages, not slot numbers, decide: the older slot 2 goes.
    fs::remove_all(system.Native("C:\\Pennawick"));
    system.WriteFile(kPath + ".1", "newer");
    SetAge(kPath + ".1", 1700000200);
    system.WriteFile(kPath + ".2", "older");
    SetAge(kPath + ".2", 1700000100);
    system.WriteFile(kPath, "current");
    ASSERT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 1);
    EXPECT_EQ(system.ReadFile(kPath + ".1"), "newer");
    EXPECT_EQ(system.ReadFile(kPath + ".2"), "current");
}

TEST_F(FavoritesFileTest, BackupFailuresTryTheNextSlot) {
    // The move into free slot 1 fails: slot 2 takes the file.
    system.WriteFile(kPath, "current");
    FaultSeam::FailNext(FaultSeam::Operation::Rename, kPath, EACCES);
    EXPECT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 1);
    EXPECT_EQ(system.ReadFile(kPath + ".2"), "current");
    EXPECT_TRUE(Logged("FavoritesFile::MakeBackupFile 権限などの問題でバックアップが出来ません。"));

    // The oldest slot cannot be deleted: the next oldest is used.
    system.WriteFile(kPath + ".1", "one");
    SetAge(kPath + ".1", 1700000000);
    SetAge(kPath + ".2", 1700000100);
    system.WriteFile(kPath, "newest");
    FaultSeam::FailNext(FaultSeam::Operation::Delete, kPath + ".1", EACCES);
    EXPECT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 1);
    EXPECT_EQ(system.ReadFile(kPath + ".1"), "one");
    EXPECT_EQ(system.ReadFile(kPath + ".2"), "newest");
    EXPECT_TRUE(Logged(
        "FavoritesFile::MakeBackupFile "
        "権限などの問題でバックアップファイルが削除出来ません。[C:\\Pennawick\\urldb.db.1]"));

    // The slot was freed but the move fails: no backup.
    system.WriteFile(kPath, "latest");
    SetAge(kPath + ".2", 1700000200);
    FaultSeam::FailNext(FaultSeam::Operation::Rename, kPath, EACCES);
    EXPECT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 0);
    EXPECT_EQ(system.ReadFile(kPath), "latest");
    EXPECT_FALSE(system.Exists(kPath + ".1"));
    EXPECT_TRUE(
        Logged("FavoritesFile::MakeBackupFile "
               "権限などの問題でバックアップが出来ません。[C:\\Pennawick\\urldb.db.1]"));

    // Slots that are folders are never removed; with no slot free there is no backup.
    fs::remove_all(system.Native("C:\\Pennawick"));
    system.MakeFolder(kPath + ".1");
    system.MakeFolder(kPath + ".2");
    system.WriteFile(kPath + ".2\\inside", "kept");
    system.WriteFile(kPath, "current");
    EXPECT_EQ(FavoritesFile::MakeBackupFile(kPath, 2), 0);
    EXPECT_EQ(system.ReadFile(kPath), "current");
    EXPECT_EQ(system.ReadFile(kPath + ".2\\inside"), "kept");
}

TEST_F(FavoritesFileTest, SaveWithoutBackup) {
    URLDB db(0, 0, 30);
    db.Add(std::make_unique<URLInfo>("http://a/"), false);
    const std::string fresh = "size=1\r\n0,http://a/\r\n";
    auto blockSlots = [&] {
        system.MakeFolder(kPath + ".1");
        system.MakeFolder(kPath + ".2");
    };

    {  // The old file is deleted after telling the user, then the file is written.
        ScriptedUserPrompt prompt;
        blockSlots();
        system.WriteFile(kPath, "old");
        std::string path = kPath;
        EXPECT_EQ(file.SaveLight(path, db, setup), 1);
        EXPECT_EQ(system.ReadFile(kPath).substr(0, fresh.size()), fresh);
        ASSERT_EQ(prompt.messages.size(), 1u);
        EXPECT_EQ(prompt.messages[0].text,
                  Sjis("権限等の問題で前回データのバックアップに失敗しました。"));
        EXPECT_TRUE(prompt.fileTitles.empty());
    }
    {  // Nor can it be deleted: the user cancels the save-as question, nothing is written.
        ScriptedUserPrompt prompt;
        system.WriteFile(kPath, "old");
        FaultSeam::FailNext(FaultSeam::Operation::Delete, kPath, EACCES);
        std::string path = kPath;
        EXPECT_EQ(file.Save(path, db, setup), 0);
        EXPECT_EQ(system.ReadFile(kPath), "old");
        ASSERT_EQ(prompt.messages.size(), 2u);
        EXPECT_EQ(prompt.messages[1].text,
                  Sjis("urldb.dbにデータを保存できません。別名称を入力してください。\n"
                       "その後ファイルの権限チェックをしてください。\n"
                       "ファイルが壊れているときは\"CHKDSK /F\"等を実行後\n"
                       "バックアップしたファイルの名称をurldb.dbに修正してください。"));
        EXPECT_EQ(prompt.fileTitles.size(), 1u);
    }
    {  // The user picks another name: the file goes there and the caller learns the name.
        ScriptedUserPrompt prompt;
        prompt.fileNames.push_back(std::string("C:\\Pennawick\\other.db"));
        FaultSeam::FailNext(FaultSeam::Operation::Delete, kPath, EACCES);
        std::string path = kPath;
        EXPECT_EQ(file.SaveLight(path, db, setup), 1);
        EXPECT_EQ(path, "C:\\Pennawick\\other.db");
        EXPECT_EQ(system.ReadFile(kPath), "old");
        EXPECT_EQ(system.ReadFile(path).substr(0, fresh.size()), fresh);
    }
}

TEST_F(FavoritesFileTest, FailedWritesReportFailure) {
    URLDB db(0, 0, 30);
    db.Add(FullRecord("http://a/", 1), false);
    ScriptedUserPrompt prompt;
    struct Case {
        FaultSeam::Operation operation;
        bool light;
        const char* logLine;
    };
    const std::vector<Case> cases = {
        {FaultSeam::Operation::Open, false, "FavoritesFile::Save *ERROR*: 書込みに失敗しました。"},
        {FaultSeam::Operation::Write, false, "FavoritesFile::Save *ERROR*: 書込みに失敗しました。"},
        {FaultSeam::Operation::Close, true,
         "FavoritesFile::SaveLight *ERROR*: 書込みに失敗しました。"},
    };
    for (const Case& c : cases) {
        fs::remove_all(system.Native("C:\\Pennawick"));
        system.WriteFile(kPath, "previous");
        FaultSeam::FailNext(c.operation, kPath, ENOSPC);
        std::string path = kPath;
        EXPECT_EQ(c.light ? file.SaveLight(path, db, setup) : file.Save(path, db, setup), 0);
        // The previous data waits in the backup.
        EXPECT_EQ(system.ReadFile(kPath + ".1"), "previous");
        EXPECT_TRUE(Logged(c.logLine)) << c.logLine;
    }
    EXPECT_TRUE(prompt.messages.empty());
}

TEST_F(FavoritesFileTest, AFileShortenedByAnotherProcessFailsCleanly) {
    // Records of two lines of 64 bytes each, up to `size` bytes; past 10,000 records they repeat.
    const auto records = [](size_t size, int& count) {
        std::string bytes = "size=0\r\n";
        for (count = 0; bytes.size() < size && count < 10000; ++count) {
            char record[129];
            std::snprintf(record, sizeof record,
                          "0,http://www.example.co.jp/page/%028d\r\n1,%060d\r\n", count, count);
            bytes += record;
        }
        while (bytes.size() < size)
            bytes.append(bytes, 8, std::min(bytes.size() - 8, size - bytes.size()));
        return bytes;
    };
    const auto halve = [this] {
        const std::string native = system.Native(kPath);
        fs::resize_file(native, fs::file_size(native) / 2);
    };
    struct Case {
        const char* what;
        size_t size;
        FaultSeam::Operation when;
        bool failed;  // else a shorter file read whole
    };
    const std::vector<Case> cases = {
        {"before it is opened", 128 * 2000, FaultSeam::Operation::Open, false},
        {"while it is read", 128 * 2000, FaultSeam::Operation::Read, true},
        {"50 MB, after it was opened", 50 << 20, FaultSeam::Operation::Read, true},
    };
    for (const Case& c : cases) {
        fs::remove_all(system.Native("C:\\Pennawick"));
        int count = 0;
        system.WriteFile(kPath, records(c.size, count));
        FaultSeam::RunBeforeNext(c.when, kPath, halve);
        URLDB db(0, 0, 30);
        EXPECT_EQ(file.Load(kPath, db), c.failed ? 0 : 1) << c.what;
        EXPECT_EQ(Logged("E] KrvMapFile::GetPointerOfMapView *ERROR*: MapViewOfFile"), c.failed)
            << c.what;
        if (c.failed) {
            EXPECT_EQ(db.GetCount(), 0) << c.what;
        } else {
            // The records wholly within the first half, and the one cut there.
            EXPECT_GE(db.GetCount(), count / 2 - 1) << c.what;
            EXPECT_LE(db.GetCount(), count / 2 + 1) << c.what;
        }
        EXPECT_TRUE(Logged("FavoritesFile::Load Stop ")) << c.what;
    }
}

// Loading a file must keep what adding its records one by one keeps, whatever their order:
// repeats and case or slash variants of a URL, records without a URL, and a database that
// already holds records. Compared: every record in order, the lists, what lookups find and
// the database's log lines.
TEST_F(FavoritesFileTest, LoadingMatchesAddingOneByOne) {
    // Lengths around multiples of eight too, where hashed forms with a slash start a new word.
    const std::string stems[] = {
        "http://a.jp/x",    "http://a.jp/x.html", "http://b.jp/",           "http://b.jp",
        "http://c.jp/page", "http://d.jp/abc",    "http://e.jp/abcdefghijk"};
    const auto dbLog = [&](size_t from) {
        std::string lines;
        const std::string log = system.ReadFile("C:\\Pennawick\\LogTue.log").substr(from);
        for (size_t pos = log.find("URLDB::"); pos != std::string::npos;
             pos = log.find("URLDB::", pos + 1)) {
            lines += log.substr(pos, log.find('\n', pos) - pos) + "\n";
        }
        return lines;
    };
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::vector<std::string> urls;
        for (int i = 0; i < 60; ++i) {
            std::string url = stems[random() % std::size(stems)];
            for (char& c : url)
                if (c >= 'a' && c <= 'z' && random() % 6 == 0) c = static_cast<char>(c - 32);
            url += std::string(random() % 3, '/');
            urls.push_back(random() % 12 == 0 ? std::string() : url);
        }
        const auto record = [&](size_t i) {
            auto r = std::make_unique<URLInfo>(urls[i]);
            r->SetTitle("t" + std::to_string(i));
            r->SetReferenceCount(static_cast<int32_t>(i * 7 % 11));
            r->SetHttpStatus(200);
            r->SetEveryuseEnabled(1);
            r->SetGenre(static_cast<int32_t>(i % 3));
            return r;
        };
        const size_t stored = seed % 3 == 0 ? 10 : 0;  // added before the file is loaded
        std::string bytes = "size=0\r\n";
        for (size_t i = stored; i < urls.size(); ++i) {
            bytes += "0," + urls[i] + "\r\n1,t" + std::to_string(i) + "\r\n6," +
                     std::to_string(i * 7 % 11) + "\r\n8,200\r\n12,1\r\n19," +
                     std::to_string(i % 3) + "\r\n";
        }
        system.WriteFile(kPath, bytes);

        URLDB added(0, 0, 30);
        URLDB loaded(0, 0, 30);
        for (size_t i = 0; i < stored; ++i) {
            added.Add(record(i), false);
            loaded.Add(record(i), false);
        }
        size_t logStart = system.ReadFile("C:\\Pennawick\\LogTue.log").size();
        added.SetRecentEnabled(0);
        for (size_t i = stored; i < urls.size(); ++i) added.Add(record(i), false);
        added.SetRecentEnabled(1);
        const std::string addLog = dbLog(logStart);
        logStart = system.ReadFile("C:\\Pennawick\\LogTue.log").size();
        ASSERT_EQ(file.Load(kPath, loaded), 1);
        EXPECT_EQ(dbLog(logStart), addLog) << seed;

        EXPECT_EQ(Saved(loaded), Saved(added)) << seed;
        for (size_t list = 0; list < URLDB::kEveryuseListCount; ++list) {
            const auto& a = added.GetEveryuseList(list);
            const auto& l = loaded.GetEveryuseList(list);
            ASSERT_EQ(l.size(), a.size()) << seed;
            for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(l[i]->GetTitle(), a[i]->GetTitle());
        }
        for (const std::string& url : urls) {
            for (const std::string& probe : {url, url + "/", url + "X"}) {
                const URLInfo* a = added.GetURLInfo(probe);
                const URLInfo* l = loaded.GetURLInfo(probe);
                ASSERT_EQ(l == nullptr, a == nullptr) << probe;
                if (a) {
                    EXPECT_EQ(l->GetTitle(), a->GetTitle()) << probe;
                }
            }
        }
    }
}
