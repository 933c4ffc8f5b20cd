#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/EmulatedSystem.h"
#include "mapping/KrvMapFile.h"
#include "support/Log.h"

namespace {

const std::string kPath = "C:\\data\\mapped.txt";

class KrvMapFileTest : public EmulatedSystemTest {
protected:
    void SetUp() override { SetLogLevel(LOG_V); }
    void TearDown() override { SetLogLevel(LOG_I); }

    bool Logged(const std::string& utf8) const {
        std::string text;
        std::error_code error;
        for (const auto& log : std::filesystem::directory_iterator(
                 system.Native(EmulatedSystem::kWorkingFolder), error)) {
            std::ifstream in(log.path(), std::ios::binary);
            text.append(std::istreambuf_iterator<char>(in), {});
        }
        return text.find(Sjis(utf8)) != std::string::npos;
    }

    std::vector<std::string> Lines(KrvMapFile::LineEnd lineEnd) {
        KrvMapFile file;
        EXPECT_EQ(file.Open(kPath, KrvMapFile::kModeRead | KrvMapFile::kTypeBinary), 1);
        EXPECT_EQ(file.Attach("FavoritesFile", file.GetFileLength()), 1);
        std::vector<std::string> lines;
        std::string line;
        while (file.ReadLine(line, lineEnd)) lines.push_back(line);
        EXPECT_EQ(file.ReadLine(line, lineEnd), 0);
        return lines;
    }
};

using LineList = std::vector<std::string>;

}  // namespace

TEST_F(KrvMapFileTest, ReadLineSplitsAtCrLfOrAtLf) {
    using LE = KrvMapFile::LineEnd;
    struct Case {
        std::string content;
        LE lineEnd;
        LineList expected;
    };
    const std::vector<Case> cases = {
        {"a\r\nb\r\n", LE::CrLf, {"a", "b"}},
        {"a\r\nlast", LE::CrLf, {"a", "last"}},
        {"a\r\n\r\nb", LE::CrLf, {"a", "", "b"}},
        // A lone LF or CR is part of the line.
        {"a\nb\rc\r\nd", LE::CrLf, {"a\nb\rc", "d"}},
        {"\r\n", LE::CrLf, {""}},
        {"a\nb\r\nc\r", LE::Lf, {"a", "b", "c\r"}},
        {"a\r\r\n\n", LE::Lf, {"a\r", ""}},
        {std::string("x\0y\n", 4), LE::Lf, {std::string("x\0y", 3)}},
    };
    for (const Case& c : cases) {
        system.WriteFile(kPath, c.content);
        EXPECT_EQ(Lines(c.lineEnd), c.expected) << c.content;
    }
}

TEST_F(KrvMapFileTest, MissingEmptyAndTooLargeFilesAreRefused) {
    KrvMapFile file;
    std::string line = "stale";
    EXPECT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 0);
    EXPECT_TRUE(Logged("KrvMapFile::Open ファイルが存在しません。"));
    EXPECT_EQ(file.ReadLine(line), 0);
    EXPECT_EQ(line, "");
    EXPECT_TRUE(Logged("KrvMapFile::Attach ファイルが存在しません。"));

    // An empty file opens but cannot be mapped whole.
    system.WriteFile(kPath, "");
    EXPECT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 1);
    EXPECT_EQ(file.Attach("FavoritesFile", 0), 0);
    EXPECT_TRUE(Logged("KrvMapFile::Attach *ERROR*: CreateFileMapping  SystemMessage=("));
    EXPECT_EQ(file.GetPointer(-1), nullptr);

    // Positions are 32-bit: the largest file below 2 GiB opens, one byte more is refused.
    std::filesystem::resize_file(system.Native(kPath), 0x7FFFFFFF);
    EXPECT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 1);
    EXPECT_EQ(file.GetFileLength(), 0x7FFFFFFFu);
    file.Reset();
    std::filesystem::resize_file(system.Native(kPath), 0x80000000);
    EXPECT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 0);
    EXPECT_EQ(file.GetFileLength(), 0u);
}

TEST_F(KrvMapFileTest, WritesStayBelowTheMappedSizeAndEndTheFile) {
    system.MakeFolder("C:\\data");
    KrvMapFile file;
    ASSERT_EQ(file.Open(kPath, KrvMapFile::kModeCreate | KrvMapFile::kModeReadWrite), 1);
    // A read-write mapping larger than the file grows it.
    ASSERT_EQ(file.Attach(Sjis("C:\\data\\表\\x"), 16), 1);
    EXPECT_EQ(file.Attach("other", 99), 1);
    EXPECT_EQ(file.GetMapSize(), 16u);
    EXPECT_EQ(file.GetFileLength(), 16u);

    EXPECT_EQ(file.Append("0123456789", 10), 1);
    EXPECT_EQ(file.Append("abcdef", 6), 0);  // would end exactly at the mapped size
    EXPECT_EQ(file.Append("abcde", 5), 1);
    EXPECT_EQ(file.GetDataEnd(), 15u);
    EXPECT_EQ(file.WriteAt("XY", 14, 2), 0);
    EXPECT_EQ(file.WriteAt("XY", 2, 2), 1);
    EXPECT_EQ(file.GetDataEnd(), 15u);
    ASSERT_NE(file.GetPointer(15), nullptr);
    EXPECT_EQ(file.GetPointer(16), nullptr);
    EXPECT_EQ(file.GetPointer(-2), nullptr);

    // Flushing ends the file at the data; the next access maps the shorter file.
    ASSERT_EQ(file.SetPointerOfMapView(file.GetPointer(-1), file.GetDataEnd()), 1);
    EXPECT_EQ(system.ReadFile(kPath), "01XY456789abcde");
    EXPECT_EQ(file.GetFileLength(), 15u);
    std::string line;
    ASSERT_EQ(file.ReadLine(line), 1);
    EXPECT_EQ(line, "01XY456789abcde");
    EXPECT_EQ(file.GetMapSize(), 15u);
    file.Reset();
    EXPECT_EQ(file.GetMapSize(), 0u);
    EXPECT_EQ(file.Detach(), 0);

    // A read-only mapping is never written through.
    ASSERT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 1);
    EXPECT_EQ(file.WriteAt("!", 0, 1), 0);
    EXPECT_EQ(file.Append("!", 1), 0);
    EXPECT_EQ(system.ReadFile(kPath), "01XY456789abcde");
}

TEST_F(KrvMapFileTest, SeekMovesTheLineReaderWithinBounds) {
    system.WriteFile(kPath, "one\r\ntwo\r\nthree");
    KrvMapFile file;
    ASSERT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 1);
    std::string line;
    const struct {
        int origin;
        int32_t offset;
        const char* line;
    } cases[] = {{2, 5, "three"}, {0, 5, "two"}, {1, -100, "one"}, {0, 1000, nullptr}};
    for (const auto& c : cases) {
        ASSERT_EQ(file.Seek(c.origin, c.offset), 1);
        EXPECT_EQ(file.ReadLine(line), c.line ? 1 : 0);
        if (c.line) {
            EXPECT_EQ(line, c.line);
        }
    }
}

TEST(KrvMapFileNames, MappingNamesReplaceSeparatorsByCharacters) {
    EXPECT_EQ(KrvMapFile::MappingName("C:\\data\\urldb.db"), "C__data_urldb.db");
    // The trail byte 0x5C of 表 is not a backslash.
    EXPECT_EQ(KrvMapFile::MappingName(Sjis("C:\\表\\a")), Sjis("C__表_a"));
}

TEST_F(KrvMapFileTest, TheFileChangingAfterItWasReadChangesNothing) {
    system.MakeFolder("C:\\data");
    std::string content;
    for (int i = 0; i < 2000; ++i) content += "line " + std::to_string(i) + "\r\n";
    system.WriteFile(kPath, content);
    KrvMapFile file;
    ASSERT_EQ(file.Open(kPath, KrvMapFile::kModeRead), 1);
    ASSERT_EQ(file.Attach("view", file.GetFileLength()), 1);
    // Another process empties, then rewrites the file while its lines are taken.
    std::filesystem::resize_file(system.Native(kPath), 0);
    std::string line;
    std::string read;
    for (int i = 0; file.ReadLine(line); ++i) {
        if (i == 1000) system.WriteFile(kPath, "other");
        read += line + "\r\n";
    }
    EXPECT_EQ(read, content);
}
