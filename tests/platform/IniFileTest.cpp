#include <cerrno>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

#include "common/EmulatedSystem.h"
#include "platform/FaultSeam.h"
#include "platform/IniFile.h"
#include "platform/SystemError.h"
#include "platform/Utf8.h"

using platform::IniFile;

namespace {

constexpr const char* kPath = "C:\\ini\\test.ini";

std::string Get(const std::string& section, const std::string& key,
                const std::string& fallback = "<DEFAULT>", size_t size = 256) {
    std::string value;
    const size_t length = IniFile::GetString(section, key, fallback, size, value, kPath);
    EXPECT_EQ(length, value.size());
    return value;
}

// The reference's "\xHH" escapes back to bytes; any other backslash stands for itself.
std::string Unescape(std::string_view text) {
    std::string bytes;
    for (size_t pos = 0; pos < text.size(); ++pos) {
        if (text.substr(pos, 2) == "\\x" && pos + 3 < text.size() + 0 &&
            isxdigit(static_cast<unsigned char>(text[pos + 2])) &&
            isxdigit(static_cast<unsigned char>(text[pos + 3]))) {
            bytes +=
                static_cast<char>(std::stoi(std::string(text.substr(pos + 2, 2)), nullptr, 16));
            pos += 3;
        } else if (text.substr(pos, 2) == "\\0") {
            bytes += '\0';
            ++pos;
        } else {
            bytes += text[pos];
        }
    }
    return bytes;
}

std::vector<std::string> SplitNames(const std::string& list) {
    // Each name ends in a zero; one more zero ends the list.
    std::vector<std::string> names;
    std::string_view rest(list);
    rest.remove_suffix(1);
    while (!rest.empty()) {
        const size_t zero = rest.find('\0');
        names.emplace_back(rest.substr(0, zero));
        rest.remove_prefix(zero + 1);
    }
    return names;
}

}  // namespace

class IniFileTest : public EmulatedSystemTest {};

// Every Get and GetInt line of the reference's reading scenario, replayed on its input file.
TEST_F(IniFileTest, ReadsTheReferenceScenarioAsWindowsDid) {
    SKIP_WITHOUT_SHARED();
    const std::string reference = SharedDir() + "/reference/";
    std::ifstream input(reference + "ini-windows-input.ini", std::ios::binary);
    std::stringstream bytes;
    bytes << input.rdbuf();
    system.WriteFile(kPath, bytes.str());

    std::ifstream expected(reference + "ini-windows.txt", std::ios::binary);
    std::string line;
    int checked = 0;
    while (std::getline(expected, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with("LF-only")) break;
        const size_t close = line.find("] ");
        const size_t arrow = line.find(") -> ");
        if (close == std::string::npos || arrow == std::string::npos) continue;
        std::string section = line.substr(line.find("([") + 2, close - line.find("([") - 2);
        std::string key = line.substr(close + 2, arrow - close - 2);
        const std::string result = line.substr(arrow + 5);
        SCOPED_TRACE(line);
        if (line.starts_with("  GetInt(")) {
            const size_t comma = key.find(", default ");
            const int fallback = std::stoi(key.substr(comma + 10));
            EXPECT_EQ(IniFile::GetInt(section, key.substr(0, comma), fallback, kPath),
                      std::stoi(result));
        } else if (key == "NULL") {
            const std::string list = Unescape(result.substr(0, result.rfind(" (ret")));
            EXPECT_EQ(section == "NULL" ? IniFile::SectionNames(kPath)
                                        : IniFile::KeyNames(section, kPath),
                      SplitNames(list));
        } else {
            const std::string value = Unescape(result.substr(1, result.rfind("\" (ret") - 1));
            size_t size = 256;
            if (const size_t at = key.find(" size="); at != std::string::npos) {
                size = std::stoul(key.substr(at + 6));
                key.resize(at);
            }
            EXPECT_EQ(Get(section, key, key == "missing" ? value : "<DEFAULT>", size), value);
        }
        ++checked;
    }
    EXPECT_EQ(checked, 39);
}

TEST_F(IniFileTest, LfLinesMissingLastLineEndAndUtf8Bom) {
    system.WriteFile(kPath, "\xEF\xBB\xBF[S]\nk=v\nk2=v2\nj=\xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(Get("S", "k"), "v");
    EXPECT_EQ(Get("S", "k2"), "v2");
    EXPECT_EQ(Get("S", "j"), Sjis("日本"));
    // A file that came in UTF-8 is written back in UTF-8.
    ASSERT_TRUE(IniFile::WriteString("S", "k3", Sjis("値"), kPath));
    EXPECT_EQ(
        system.ReadFile(kPath),
        "\xEF\xBB\xBF[S]\r\nk=v\r\nk2=v2\r\nj=\xE6\x97\xA5\xE6\x9C\xAC\r\nk3=\xE5\x80\xA4\r\n");
}

// The reference's writing scenario, step by step.
TEST_F(IniFileTest, WritesKeepTheFileAsWindowsDid) {
    system.WriteFile(
        kPath, "; header comment\n[CONFIG]\nDEBUG=3\n\nWORKFOLDER=C:\\old\\\n\n[Other]\nx=1\n");
    ASSERT_TRUE(IniFile::WriteString("config", "workfolder", "D:\\Tools\\", kPath));
    EXPECT_EQ(
        system.ReadFile(kPath),
        "; header comment\r\n[CONFIG]\r\nDEBUG=3\r\nWORKFOLDER=D:\\Tools\\\r\n[Other]\r\nx=1\r\n");
    ASSERT_TRUE(IniFile::WriteString("CONFIG", "NEWKEY", "spaced value  ", kPath));
    EXPECT_EQ(system.ReadFile(kPath),
              "; header comment\r\n[CONFIG]\r\nDEBUG=3\r\nWORKFOLDER=D:\\Tools\\\r\n"
              "NEWKEY=spaced value  \r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(Get("CONFIG", "NEWKEY"), "spaced value");
    ASSERT_TRUE(IniFile::WriteString("NEWSEC", "a", "1", kPath));
    EXPECT_EQ(system.ReadFile(kPath),
              "; header comment\r\n[CONFIG]\r\nDEBUG=3\r\nWORKFOLDER=D:\\Tools\\\r\n"
              "NEWKEY=spaced value\r\n[Other]\r\nx=1\r\n[NEWSEC]\r\na=1\r\n");
    ASSERT_TRUE(IniFile::DeleteKey("CONFIG", "DEBUG", kPath));
    ASSERT_TRUE(IniFile::DeleteSection("Other", kPath));
    ASSERT_TRUE(IniFile::WriteString("NEWSEC", "q", "\"quoted\"", kPath));
    EXPECT_EQ(system.ReadFile(kPath),
              "; header comment\r\n[CONFIG]\r\nWORKFOLDER=D:\\Tools\\\r\nNEWKEY=spaced value\r\n"
              "[NEWSEC]\r\na=1\r\nq=\"quoted\"\r\n");
    EXPECT_EQ(Get("NEWSEC", "q"), "quoted");
    // The quotes survive a later rewrite.
    ASSERT_TRUE(IniFile::WriteString("NEWSEC", "a", "2", kPath));
    EXPECT_EQ(Get("NEWSEC", "q"), "quoted");

    system.WriteFile(kPath, "[A]\nk=1");
    ASSERT_TRUE(IniFile::WriteString("A", "k2", "2", kPath));
    EXPECT_EQ(system.ReadFile(kPath), "[A]\r\nk=1\r\nk2=2\r\n");
}

TEST_F(IniFileTest, CreatesFilesAndSectionsWithShiftJisNames) {
    const std::string path = "C:\\ini\\new.ini";
    system.MakeFolder("C:\\ini");
    ASSERT_TRUE(IniFile::WriteString("CONFIG", "WORKFOLDER", "D:\\Tools\\", path));
    ASSERT_TRUE(IniFile::WriteString("CONFIG", "DEBUG", "3", path));
    ASSERT_TRUE(IniFile::WriteString(Sjis("日本"), Sjis("キー"), Sjis("値\\"), path));
    EXPECT_EQ(system.ReadFile(path), "[CONFIG]\r\nWORKFOLDER=D:\\Tools\\\r\nDEBUG=3\r\n" +
                                         Sjis("[日本]\r\nキー=値\\\r\n"));
    EXPECT_EQ(IniFile::GetInt("config", "debug", 777, path), 3);
    std::string value;
    IniFile::GetString(Sjis("日本"), Sjis("キー"), "", 256, value, path);
    EXPECT_EQ(value, Sjis("値\\"));
}

TEST_F(IniFileTest, FailedWritesLeaveTheFileAlone) {
    platform::SystemError::SetLast(0);
    EXPECT_FALSE(IniFile::WriteString("S", "k", "v", "C:\\missing\\folder\\x.ini"));
    EXPECT_EQ(platform::SystemError::Last(), ENOENT);
    EXPECT_FALSE(system.Exists("C:\\missing\\folder\\x.ini"));

    // A file that exists but cannot be read is not replaced by a file holding one key.
    system.WriteFile(kPath, "[S]\r\nkeep=1\r\n");
    platform::FaultSeam::FailNext(platform::FaultSeam::Operation::Open, kPath, EACCES);
    EXPECT_FALSE(IniFile::WriteString("S", "k", "v", kPath));
    EXPECT_EQ(system.ReadFile(kPath), "[S]\r\nkeep=1\r\n");

    // A write that fails part-way (a full disk) leaves the old file whole and no other behind.
    for (auto operation :
         {platform::FaultSeam::Operation::Write, platform::FaultSeam::Operation::Close,
          platform::FaultSeam::Operation::Rename}) {
        platform::FaultSeam::FailNext(operation, std::string(kPath) + ".new", ENOSPC);
        EXPECT_FALSE(IniFile::WriteString("S", "k", "v", kPath));
        EXPECT_EQ(platform::SystemError::Last(), ENOSPC);
        EXPECT_EQ(system.ReadFile(kPath), "[S]\r\nkeep=1\r\n");
        EXPECT_FALSE(system.Exists(std::string(kPath) + ".new"));
    }

    system.MakeFolder("C:\\ini\\folder.ini");
    EXPECT_FALSE(IniFile::WriteString("S", "k", "v", "C:\\ini\\folder.ini"));

    // Through a link, the linked file is rewritten and the link stays.
    system.WriteFile("C:\\ini\\real.ini", "[S]\r\n");
    std::filesystem::create_symlink("real.ini", system.Native("C:\\ini\\link.ini"));
    EXPECT_TRUE(IniFile::WriteString("S", "k", "v", "C:\\ini\\link.ini"));
    EXPECT_TRUE(std::filesystem::is_symlink(system.Native("C:\\ini\\link.ini")));
    EXPECT_EQ(system.ReadFile("C:\\ini\\real.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, DoubleByteCharactersAreNeitherSplitNorFolded) {
    // 0x83 0x41 and 0x83 0x61 are different characters although 0x41 is "A" and 0x61 "a";
    // 0x83 0x5D holds "]" as its trail byte.
    system.WriteFile(
        kPath, "[\x83\x5D]\r\n\x83\x41=upper\r\n\x83\x61=lower\r\nj=" + Sjis("日本") + "\r\n");
    EXPECT_EQ(Get("\x83\x5D", "\x83\x41"), "upper");
    EXPECT_EQ(Get("\x83\x5D", "\x83\x61"), "lower");
    EXPECT_EQ(IniFile::SectionNames(kPath), std::vector<std::string>{"\x83\x5D"});
    // Three bytes would cut the second character in half.
    EXPECT_EQ(Get("\x83\x5D", "j", "", 4), Sjis("日"));
    EXPECT_EQ(Get("\x83\x5D", "j", "", 5), Sjis("日本"));
    EXPECT_EQ(Get("\x83\x5D", "j", "", 0), "");
    EXPECT_EQ(Get("\x83\x5D", "missing", "default", 4), "def");
}

TEST_F(IniFileTest, IntegersAndMissingFiles) {
    system.WriteFile(kPath, "[I]\r\nempty=\r\nplus=+8\r\nbin=0b101\r\nbig=99999999999\r\n");
    EXPECT_EQ(IniFile::GetInt("I", "empty", 5, kPath), 5);
    EXPECT_EQ(IniFile::GetInt("I", "plus", 5, kPath), 8);
    EXPECT_EQ(IniFile::GetInt("I", "bin", 7, kPath), 5);
    EXPECT_EQ(IniFile::GetInt("I", "big", 5, kPath), static_cast<int>(99999999999 % 4294967296));
    EXPECT_EQ(IniFile::GetInt("I", "x", 5, "C:\\ini\\none.ini"), 5);
    EXPECT_EQ(Get("I", "x", "d"), "d");
    // A default loses its trailing blanks, not its leading ones.
    EXPECT_EQ(Get("I", "x", "  d e  "), "  d e");
    EXPECT_EQ(Get("I", "x", "   "), "");
    EXPECT_TRUE(IniFile::SectionNames("C:\\ini\\none.ini").empty());
}

TEST_F(IniFileTest, ABareFileNameLivesInTheWindowsFolder) {
    ASSERT_TRUE(IniFile::WriteString("S", "k", "v", "pennawick-test.ini"));
    EXPECT_EQ(system.ReadFile("C:\\windows\\pennawick-test.ini"), "[S]\r\nk=v\r\n");
}

TEST_F(IniFileTest, DamagedFilesReadWithoutHarm) {
    const std::string damaged =
        std::string("\0\0[\r\n[unterminated\r\n=\r\n\xff\xfe\x81=\x83\r\n", 30) +
        std::string(200000, 'x') + "\r\n[S]\r\nk=v\r\n[";
    system.WriteFile(kPath, damaged);
    EXPECT_EQ(Get("unterminated", "", "d"), "");
    EXPECT_EQ(Get("unterminated", "missing", "d"), "d");
    EXPECT_EQ(Get("S", "k"), "v");
    ASSERT_TRUE(IniFile::WriteString("S", "k", "w", kPath));
    EXPECT_EQ(Get("S", "k"), "w");
}

namespace {

// UTF-8 test text in a file's encoding, with its byte-order mark ("" for code page 932).
std::string InEncoding(const std::string& utf8, const std::string& encoding) {
    if (encoding == "ansi") return Sjis(utf8);
    if (encoding == "utf-8") return "\xEF\xBB\xBF" + utf8;
    const std::u16string units = platform::Utf8::ToUtf16(utf8);
    const bool bigEndian = encoding == "utf-16be";
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : units) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Every value the file gives, by section and key, as the reading functions see them.
std::map<std::pair<std::string, std::string>, std::string> AllValues(const std::string& path) {
    std::map<std::pair<std::string, std::string>, std::string> values;
    for (const std::string& section : IniFile::SectionNames(path)) {
        values[{section, "<section>"}] = "";
        for (const std::string& key : IniFile::KeyNames(section, path)) {
            std::string value;
            IniFile::GetString(section, key, "<DEFAULT>", 256, value, path);
            values[{section, key}] = value;
        }
    }
    return values;
}

}  // namespace

// A write changes the key written and nothing else: characters outside code page 932 stay in a
// Unicode file, and a file in code page 932 reads back as before, invalid bytes included.
TEST_F(IniFileTest, WritesKeepEveryOtherCharacterInEveryEncoding) {
    const std::string kept = "[S]\r\nfirst=café 丂 あ 😀\r\n[表]\r\nソ=表示\r\n";
    for (const std::string encoding : {"utf-8", "utf-16le", "utf-16be"}) {
        SCOPED_TRACE(encoding);
        system.WriteFile(kPath, InEncoding(kept, encoding));
        EXPECT_EQ(Get("S", "first"), Sjis("cafe ? あ ??"));
        ASSERT_TRUE(IniFile::WriteString("S", "second", Sjis("値"), kPath));
        ASSERT_TRUE(IniFile::WriteString(Sjis("新"), "k", "v", kPath));
        EXPECT_EQ(system.ReadFile(kPath),
                  InEncoding("[S]\r\nfirst=café 丂 あ 😀\r\nsecond=値\r\n[表]\r\nソ=表示\r\n"
                             "[新]\r\nk=v\r\n",
                             encoding));
    }

    // Random files in code page 932, stray lead bytes and "]" as a trail byte among them.
    const std::vector<std::string> pieces = {"[",        "]",        "=",    "a",    "A",
                                             " ",        "\r\n",     "\n",   "\x81", "\xEF",
                                             "\x83\x5D", "\x95\x5C", "\xA0", "\xFD", ";"};
    std::mt19937 random(932);
    for (int round = 0; round < 200; ++round) {
        std::string bytes;
        for (int piece = 0; piece < 30; ++piece) bytes += pieces[random() % pieces.size()];
        if (round == 0) bytes = "[\xEF\r\nk=v\r\n";
        // Once the blank line goes, these begin like a byte-order mark.
        if (round == 1) bytes = "\r\xFF\xFE";
        if (round == 2) bytes = "\n\xEF\xBB\xBFk=v\r\n[s]\r\n\xFE\xFF=w\r\n";
        SCOPED_TRACE(testing::PrintToString(bytes));
        system.WriteFile(kPath, bytes);
        const auto before = AllValues(kPath);
        ASSERT_TRUE(IniFile::WriteString("written", "key", "1", kPath));
        auto after = AllValues(kPath);
        EXPECT_EQ(after[std::make_pair("written", "key")], "1");
        after.erase({"written", "key"});
        after.erase({"written", "<section>"});
        EXPECT_EQ(after, before);
    }
}
