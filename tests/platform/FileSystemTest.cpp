#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "EmulatedSystem.h"
#include "platform/FaultSeam.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/SystemError.h"

using platform::FaultSeam;
using platform::File;
using platform::FileSystem;
using platform::FolderEntry;
using platform::SystemError;

namespace {

std::vector<std::string> Names(const std::vector<FolderEntry>& entries) {
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(Utf8(entry.name));
    return names;
}

}  // namespace

TEST_F(EmulatedSystemTest, ListingGivesDotsFirstThenNtfsOrder) {
    const std::string folder = "C:\\Fav";
    for (const char* name :
         {"b.url", "A.url", "_x.url", "a b.url", "Z", "ｂ.url", "あ.url", "10.url", "9.url"}) {
        system.WriteFile(folder + "\\" + Sjis(name), "x");
    }
    system.MakeFolder(folder + "\\Old.Links");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(FileSystem::ListFolder(folder, entries));
    // Upper-cased UTF-16 order: digits, letters, '_' (0x5F) after 'Z', kana, full-width.
    EXPECT_EQ(Names(entries),
              (std::vector<std::string>{".", "..", "10.url", "9.url", "a b.url", "A.url", "b.url",
                                        "Old.Links", "Z", "_x.url", "あ.url", "ｂ.url"}));
    const FolderEntry& links = entries[7];
    EXPECT_TRUE(links.isFolder);
    EXPECT_EQ(links.title, "Old");
    EXPECT_EQ(links.path, "C:\\Fav\\Old.Links");
    EXPECT_EQ(entries[2].title, "10");
    EXPECT_FALSE(entries[2].isFolder);
}

TEST_F(EmulatedSystemTest, ListingKeepsNamesWithTrailByte5C) {
    const std::string name = Sjis("予定表.url");
    system.WriteFile("C:\\F\\" + name, "x");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(FileSystem::ListFolder("C:\\F\\", entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[2].name, name);
    EXPECT_EQ(entries[2].title, Sjis("予定表"));
    EXPECT_EQ(entries[2].path, "C:\\F\\" + name);
}

TEST_F(EmulatedSystemTest, ListingSkipsNamesThatHaveNoInternalForm) {
    system.MakeFolder("C:\\F");
    const std::string native = system.Native("C:\\F");
    std::ofstream(native + "/emoji-\xF0\x9F\x98\x80.url") << "x";  // beyond code page 932
    std::ofstream(native + "/bad-\xFF.url") << "x";                // not UTF-8
    std::ofstream(native + "/back\\slash.url") << "x";
    std::ofstream(native + "/ok.url") << "x";
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(FileSystem::ListFolder("C:\\F", entries));
    EXPECT_EQ(Names(entries), (std::vector<std::string>{".", "..", "ok.url"}));
}

TEST_F(EmulatedSystemTest, ListingFailuresAreReported) {
    std::vector<FolderEntry> entries;
    EXPECT_FALSE(FileSystem::ListFolder("C:\\missing", entries));
    EXPECT_EQ(SystemError::Last(), ENOENT);
    system.MakeFolder("C:\\locked");
    FaultSeam::FailNext(FaultSeam::Operation::Open, "C:\\locked", EACCES);
    EXPECT_FALSE(FileSystem::ListFolder("C:\\locked", entries));
    EXPECT_EQ(SystemError::Last(), EACCES);
    EXPECT_TRUE(FileSystem::ListFolder("C:\\locked", entries)) << "a fault fires once";
}

TEST_F(EmulatedSystemTest, AttributesAndFolderIdentity) {
    system.WriteFile("C:\\d\\f.txt", "abc");
    EXPECT_EQ(FileSystem::GetAttributes("C:\\d") & FileSystem::kAttributeDirectory,
              FileSystem::kAttributeDirectory);
    EXPECT_EQ(FileSystem::GetAttributes("C:\\d\\f.txt") & FileSystem::kAttributeDirectory, 0u);
    EXPECT_EQ(FileSystem::GetAttributes("C:\\d\\none"), FileSystem::kInvalidAttributes);
    EXPECT_EQ(FileSystem::GetAttributes("C:\\d\\f.txt\\under"), FileSystem::kInvalidAttributes);
    platform::FolderIdentity a, b;
    ASSERT_TRUE(FileSystem::GetFolderIdentity("C:\\d", a));
    std::filesystem::create_directory_symlink(system.Native("C:\\d"), system.Native("C:\\link"));
    ASSERT_TRUE(FileSystem::GetFolderIdentity("C:\\link", b));
    EXPECT_EQ(a, b);
    uint64_t size = 0;
    ASSERT_TRUE(FileSystem::GetSize("C:\\d\\f.txt", size));
    EXPECT_EQ(size, 3u);
}

TEST_F(EmulatedSystemTest, CreateFolderOutcomes) {
    EXPECT_EQ(FileSystem::CreateFolder("C:\\new"), FileSystem::CreateResult::Created);
    EXPECT_EQ(FileSystem::CreateFolder("C:\\new"), FileSystem::CreateResult::AlreadyExists);
    EXPECT_EQ(SystemError::Last(), EEXIST);
    EXPECT_EQ(FileSystem::CreateFolder("C:\\no\\parent"), FileSystem::CreateResult::Failed);
    EXPECT_EQ(SystemError::Last(), ENOENT);
    FaultSeam::FailNext(FaultSeam::Operation::CreateFolder, "C:\\denied", EACCES);
    EXPECT_EQ(FileSystem::CreateFolder("C:\\denied"), FileSystem::CreateResult::Failed);
    EXPECT_EQ(SystemError::Last(), EACCES);
    EXPECT_FALSE(system.Exists("C:\\denied"));
}

TEST_F(EmulatedSystemTest, CopyMoveAndDelete) {
    system.WriteFile("C:\\a.txt", "one");
    system.WriteFile("C:\\b.txt", "something longer");
    ASSERT_TRUE(FileSystem::CopyFile("C:\\a.txt", "C:\\b.txt"));
    EXPECT_EQ(system.ReadFile("C:\\b.txt"), "one") << "copy overwrites";
    EXPECT_FALSE(FileSystem::MoveFile("C:\\a.txt", "C:\\b.txt")) << "move never replaces";
    EXPECT_EQ(SystemError::Last(), EEXIST);
    ASSERT_TRUE(FileSystem::MoveFile("C:\\a.txt", "C:\\c.txt"));
    EXPECT_FALSE(system.Exists("C:\\a.txt"));
    ASSERT_TRUE(FileSystem::DeleteFile("C:\\c.txt"));
    EXPECT_FALSE(FileSystem::DeleteFile("C:\\c.txt"));
    EXPECT_EQ(SystemError::Last(), ENOENT);

    // A copy that fails part-way leaves no cut-off target.
    for (auto operation : {FaultSeam::Operation::Write, FaultSeam::Operation::Close}) {
        FaultSeam::FailNext(operation, "C:\\d.txt", ENOSPC);
        EXPECT_FALSE(FileSystem::CopyFile("C:\\b.txt", "C:\\d.txt"));
        EXPECT_EQ(SystemError::Last(), ENOSPC);
        EXPECT_FALSE(system.Exists("C:\\d.txt"));
    }
    FaultSeam::FailNext(FaultSeam::Operation::Rename, "C:\\b.txt", EBUSY);
    EXPECT_FALSE(FileSystem::MoveFile("C:\\b.txt", "C:\\e.txt"));
    FaultSeam::FailNext(FaultSeam::Operation::Delete, "C:\\b.txt", EBUSY);
    EXPECT_FALSE(FileSystem::DeleteFile("C:\\b.txt"));
    EXPECT_TRUE(system.Exists("C:\\b.txt"));
}

TEST_F(EmulatedSystemTest, TextModeWritesCrLfAndReadsLinesWithoutEnds) {
    File file;
    ASSERT_TRUE(file.Open("C:\\t.txt", File::Mode::Write, true));
    ASSERT_TRUE(file.Write("one\ntwo\r\nthree"));
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(system.ReadFile("C:\\t.txt"), "one\r\ntwo\r\r\nthree");

    system.WriteFile("C:\\r.txt", "a\r\nb\nc\rd\n\nlast");
    ASSERT_TRUE(file.Open("C:\\r.txt", File::Mode::Read, true));
    std::vector<std::string> lines;
    std::string line;
    while (file.ReadLine(line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "c\rd", "", "last"}));
}

TEST_F(EmulatedSystemTest, ReadLineLimitBoundsMemoryOnBinaryData) {
    system.WriteFile("C:\\big.bin", std::string(100000, 'x') + "\nnext");
    File file;
    ASSERT_TRUE(file.Open("C:\\big.bin", File::Mode::Read, true));
    std::string line;
    ASSERT_TRUE(file.ReadLine(line, 1000));
    EXPECT_EQ(line.size(), 1000u);
    ASSERT_TRUE(file.ReadLine(line, 1000));
    EXPECT_EQ(line, "next");
}

TEST_F(EmulatedSystemTest, FileFaultsReachTheCaller) {
    File file;
    FaultSeam::FailNext(FaultSeam::Operation::Open, "C:\\f.txt", EACCES);
    EXPECT_FALSE(file.Open("C:\\f.txt", File::Mode::Write, true));
    EXPECT_EQ(SystemError::Last(), EACCES);
    ASSERT_TRUE(file.Open("C:\\f.txt", File::Mode::Write, true));
    FaultSeam::FailNext(FaultSeam::Operation::Write, "C:\\f.txt", ENOSPC);
    EXPECT_FALSE(file.Write("x"));
    FaultSeam::FailNext(FaultSeam::Operation::Close, "C:\\f.txt", EIO);
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(SystemError::Last(), EIO);
    EXPECT_FALSE(file.Open("C:\\missing\\f.txt", File::Mode::Write, true));
    EXPECT_EQ(SystemError::Last(), ENOENT);
    EXPECT_FALSE(file.Open("C:\\" + std::string(300, 'n'), File::Mode::Write, true));
    EXPECT_EQ(SystemError::Last(), ENAMETOOLONG);
}

TEST_F(EmulatedSystemTest, OnlyRegularFilesOpen) {
    system.MakeFolder("C:\\dir");
    File file;
    EXPECT_FALSE(file.Open("C:\\dir", File::Mode::Read, true));
    EXPECT_EQ(SystemError::Last(), EISDIR);
    // A named pipe without a writer would block an ordinary open for ever.
    ASSERT_EQ(mkfifo(system.Native("C:\\pipe.url").c_str(), 0600), 0);
    EXPECT_FALSE(file.Open("C:\\pipe.url", File::Mode::Read, true));
    std::filesystem::create_symlink("/dev/zero", system.Native("C:\\zero.url"));
    EXPECT_FALSE(file.Open("C:\\zero.url", File::Mode::Read, false));
    EXPECT_FALSE(FileSystem::CopyFile("C:\\pipe.url", "C:\\copy.url"));
}
