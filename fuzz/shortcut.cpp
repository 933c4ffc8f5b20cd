// Internet Shortcut files: the input is "<file name>\n<file contents>", written into a favorites
// folder that the Internet Explorer adapter then loads. The name's bytes reach the file system
// as they stand (a "/" or zero byte becomes "_"), so names that are not valid text are met too.
// What the adapter reads, it must write out so that it reads back the same.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "browsers/MSBrowser.h"
#include "common/FuzzSystem.h"
#include "platform/Cp932.h"

namespace {

const std::string kFolder = "C:\\Favorites";
const std::string kOutput = "C:\\Output";

std::string NativeName(std::string_view name) {
    std::string cleaned(name.substr(0, 200));
    for (char& c : cleaned) {
        if (c == '/' || c == '\0') c = '_';
    }
    if (cleaned.empty() || cleaned == "." || cleaned == "..") cleaned = "site.url";
    return cleaned;
}

// The relative path as the writer stores it: in each name every character Windows file names
// cannot hold becomes "_" (walked by characters); empty when a name is "." or "..", which the
// writer refuses.
std::string WrittenPath(const std::string& path) {
    std::string result;
    std::string name;
    for (size_t pos = path.empty() || path[0] != '\\' ? 0 : 1; pos <= path.size();) {
        const size_t length = pos < path.size() ? platform::Cp932::CharLength(path, pos) : 1;
        const unsigned char c = pos < path.size() ? static_cast<unsigned char>(path[pos]) : 0;
        if (pos == path.size() || (length == 1 && c == '\\')) {
            if (name == "." || name == "..") return std::string();
            result += "\\" + name;
            name.clear();
        } else if (length == 1 && (c < 0x20 || std::string_view("/:*?\"<>|").find(path[pos]) !=
                                                   std::string_view::npos)) {
            name += '_';
        } else {
            name.append(path, pos, length);
        }
        pos += length;
    }
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string_view input = fuzz::Bytes(data, size);
    const size_t newline = input.find('\n');
    const std::string_view name = newline == std::string_view::npos ? "" : input.substr(0, newline);
    const std::string_view content =
        newline == std::string_view::npos ? input : input.substr(newline + 1);

    system.EmptyFolder(kFolder);
    {
        std::ofstream out(std::filesystem::path(system.Native(kFolder)) / NativeName(name),
                          std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

    MSBrowser browser;
    BrowserProfile profile;
    browser.Load(kFolder, &profile);

    // Written out and read back, the tree must be the same under the names the writer gives its
    // files, less the items whose names it refuses because they would leave the output folder.
    system.EmptyFolder(kOutput);
    browser.Save(kOutput, &profile);
    BrowserProfile reread;
    browser.Load(kOutput, &reread);
    auto position = reread.GetHeadPosition();
    for (auto a = profile.GetHeadPosition(); a;) {
        const FavoritesItem* item = profile.GetNext(a);
        const std::string written = WrittenPath(item->GetPath());
        if (written.empty()) continue;
        const FavoritesItem* back = position ? reread.GetNext(position) : nullptr;
        if (back == nullptr || back->GetPath() != written || back->GetURL() != item->GetURL()) {
            std::abort();
        }
    }
    if (position) std::abort();
    return 0;
}
