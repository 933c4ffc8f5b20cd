#include <cerrno>
#include <cstring>

#include "common/EmulatedSystem.h"
#include "platform/File.h"
#include "platform/MappedFile.h"
#include "platform/SystemError.h"

using platform::File;
using platform::MappedFile;

namespace {

constexpr const char* kPath = "C:\\data\\mapped.bin";

std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

}  // namespace

class MappedFileTest : public EmulatedSystemTest {
protected:
    File Open(File::Mode mode) {
        File file;
        EXPECT_TRUE(file.Open(kPath, mode, false));
        return file;
    }
};

TEST_F(MappedFileTest, MapsAWholeFileOrAnUnalignedPart) {
    const std::string content = Pattern(3 * 4096 + 17);
    system.WriteFile(kPath, content);
    MappedFile mapping;
    {
        File file = Open(File::Mode::Read);
        ASSERT_TRUE(mapping.Create(file, MappedFile::Access::Read, 0, "C:_data_mapped.bin"));
    }
    // The file object is gone; the mapping keeps its own handle.
    EXPECT_EQ(mapping.Size(), content.size());
    EXPECT_EQ(mapping.Name(), "C:_data_mapped.bin");
    const uint8_t* view = mapping.MapView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view), mapping.ViewSize()), content);
    // One view at a time.
    EXPECT_EQ(mapping.MapView(), nullptr);
    EXPECT_EQ(platform::SystemError::Last(), EBUSY);
    ASSERT_TRUE(mapping.UnmapView());
    EXPECT_FALSE(mapping.UnmapView());

    view = mapping.MapView(5000, 10);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(view), 10), content.substr(5000, 10));
    mapping.UnmapView();
    EXPECT_EQ(mapping.MapView(content.size(), 0), nullptr);
    EXPECT_EQ(mapping.MapView(content.size() - 1, 2), nullptr);
}

TEST_F(MappedFileTest, WritesReachTheFileAndAWritableMappingGrowsIt) {
    system.WriteFile(kPath, "0123456789");
    File file = Open(File::Mode::ReadWrite);
    MappedFile mapping;
    ASSERT_TRUE(mapping.Create(file, MappedFile::Access::ReadWrite, 8192, "name"));
    uint8_t* view = mapping.MapView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(mapping.ViewSize(), 8192u);
    std::memcpy(view + 2, "AB", 2);
    std::memcpy(view + 5000, "end", 3);
    EXPECT_TRUE(mapping.Flush(view + 5000, 3));
    EXPECT_TRUE(mapping.Flush());
    EXPECT_FALSE(mapping.Flush(view + 8000, 500));
    EXPECT_FALSE(mapping.Flush(view - 1, 1));
    mapping.Close();
    EXPECT_FALSE(mapping.IsCreated());
    const std::string written = system.ReadFile(kPath);
    ASSERT_EQ(written.size(), 8192u);
    EXPECT_EQ(written.substr(0, 10), "01AB456789");
    EXPECT_EQ(written.substr(5000, 3), "end");
}

TEST_F(MappedFileTest, RefusesWhatWindowsRefuses) {
    system.WriteFile(kPath, "abc");
    MappedFile mapping;
    File file = Open(File::Mode::Read);
    // A read-only mapping cannot grow the file, nor can a file opened for reading be written.
    EXPECT_FALSE(mapping.Create(file, MappedFile::Access::Read, 4096, ""));
    EXPECT_FALSE(mapping.Create(file, MappedFile::Access::ReadWrite, 0, ""));
    EXPECT_EQ(platform::SystemError::Last(), EACCES);
    EXPECT_EQ(system.ReadFile(kPath), "abc");

    system.WriteFile("C:\\data\\empty.bin", "");
    File empty;
    ASSERT_TRUE(empty.Open("C:\\data\\empty.bin", File::Mode::Read, false));
    EXPECT_FALSE(mapping.Create(empty, MappedFile::Access::Read, 0, ""));
    EXPECT_EQ(platform::SystemError::Last(), EINVAL);

    File closed;
    EXPECT_FALSE(mapping.Create(closed, MappedFile::Access::Read, 0, ""));
    EXPECT_EQ(mapping.MapView(), nullptr);
    EXPECT_FALSE(mapping.Flush());
}

TEST_F(MappedFileTest, MovingHandsTheViewOver) {
    system.WriteFile(kPath, "moved");
    File file = Open(File::Mode::Read);
    MappedFile first;
    ASSERT_TRUE(first.Create(file, MappedFile::Access::Read, 0, "n"));
    const uint8_t* view = first.MapView();
    MappedFile second = std::move(first);
    EXPECT_FALSE(first.IsCreated());
    EXPECT_EQ(first.View(), nullptr);
    EXPECT_EQ(second.View(), view);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(second.View()), 5), "moved");
}
