// Every real bookmark file of the shared corpus is read with its reader and written through every
// writer (the light database included), then read back: nothing may crash, and names, URLs and
// folder paths must come back as the first read gave them wherever the target format can hold them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "browsers/MSBrowser.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "browsers/Opera6Browser.h"
#include "common/EmulatedSystem.h"
#include "encoding/EncodingString.h"
#include "platform/Cp932.h"
#include "platform/UrlCheck.h"
#include "records/URLDB.h"
#include "records/URLInfo.h"
#include "selection/ExtractionConditions.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"
#include "support/Log.h"

namespace {

namespace fs = std::filesystem;

const std::string kInput = "C:\\input";
const std::string kOutput = "C:\\output";

struct Item {
    std::string path;
    std::string name;
    std::string url;
    bool operator<(const Item& o) const {
        return std::tie(path, name, url) < std::tie(o.path, o.name, o.url);
    }
    bool operator==(const Item& o) const {
        return path == o.path && name == o.name && url == o.url;
    }
};

std::ostream& operator<<(std::ostream& out, const Item& i) {
    return out << "{" << Utf8(i.path) << " | " << Utf8(i.name) << " | " << i.url << "}";
}

std::vector<Item> Items(const BrowserProfile& profile) {
    std::vector<Item> items;
    for (auto position = profile.GetHeadPosition(); position;) {
        const FavoritesItem* item = profile.GetNext(position);
        items.push_back({item->GetPath(), item->GetName(), item->GetURL()});
    }
    return items;
}

// Shift-JIS text after a trip through UTF-8: codes the code page leaves unassigned do not
// survive it.
std::string ThroughUtf8(const std::string& text) {
    EncodingString encoding;
    std::string utf8;
    encoding.ConvertSJIS2UTF8(utf8, text, 0);
    std::string back;
    encoding.ConvertUTF82SJIS(back, utf8, 0);
    return back;
}

// The names of a relative path, split at backslashes by characters.
std::vector<std::string> Names(const std::string& path) {
    std::vector<std::string> names;
    std::string name;
    for (size_t pos = path.empty() || path[0] != '\\' ? 0 : 1; pos <= path.size();) {
        const size_t length = pos < path.size() ? platform::Cp932::CharLength(path, pos) : 1;
        if (pos == path.size() || (length == 1 && path[pos] == '\\')) {
            names.push_back(name);
            name.clear();
        } else {
            name.append(path, pos, length);
        }
        pos += length;
    }
    return names;
}

// A folder's name as the favorites reader gives it back: the name without its last extension,
// as for files ("Dr. Who" comes back as "Dr").
std::string FolderTitle(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// A name as a file name carries it: each character Windows file names cannot hold becomes "_".
std::string FileName(const std::string& name) {
    std::string result;
    for (size_t pos = 0; pos < name.size();) {
        const size_t length = platform::Cp932::CharLength(name, pos);
        const unsigned char c = static_cast<unsigned char>(name[pos]);
        const bool forbidden =
            length == 1 &&
            (c < 0x20 || std::string_view("/:*?\"<>|").find(name[pos]) != std::string_view::npos);
        result += forbidden ? std::string("_") : name.substr(pos, length);
        pos += length;
    }
    return result;
}

// What a favorites tree can hold of the items, as its reader gives them back: folders and "http"
// bookmarks under their file names, each path once (the first wins), inside a folder that was
// written too, no name "." or ".."; folder names lose their last extension.
std::vector<Item> ShortcutTreeForm(const std::vector<Item>& items) {
    std::map<std::string, Item> kept;  // by file-name path
    for (const Item& item : items) {
        std::vector<std::string> names = Names(item.path);
        std::string path;
        bool inside = true;
        for (std::string& name : names) {
            name = FileName(name);
            inside = inside && name != "." && name != "..";
            path += "\\" + name;
        }
        if (!inside || kept.count(path) != 0) continue;
        const std::string parent = path.substr(0, path.size() - names.back().size() - 1);
        if (!parent.empty() && (kept.count(parent) == 0 || !kept[parent].url.empty())) continue;
        if (!item.url.empty() &&
            (item.url.compare(0, 4, "http") != 0 || !platform::UrlCheck::IsValid(item.url))) {
            continue;
        }
        kept[path] = Item{path, names.back(), item.url};
    }
    std::vector<Item> result;
    for (const auto& [path, item] : kept) {
        const std::vector<std::string> names = Names(path);
        Item back{std::string(), item.url.empty() ? FolderTitle(item.name) : item.name, item.url};
        for (size_t i = 0; i + 1 < names.size(); ++i) back.path += "\\" + FolderTitle(names[i]);
        back.path += "\\" + back.name;
        result.push_back(back);
    }
    std::sort(result.begin(), result.end());
    return result;
}

std::vector<Item> Sorted(std::vector<Item> items) {
    std::sort(items.begin(), items.end());
    return items;
}

class CorpusRoundTripTest : public EmulatedSystemTest {
protected:
    void SetUp() override {
        SKIP_WITHOUT_SHARED();
        SetLogLevel(LOG_E);
    }

    std::vector<fs::path> Files(const char* kind) const {
        std::vector<fs::path> files;
        const fs::path folder = fs::path(SharedDir()) / "corpus" / kind;
        if (fs::is_directory(folder)) {
            for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    void Reset(const std::string& folder) const {
        fs::remove_all(system.Native(folder));
        system.MakeFolder(folder);
    }

    // Writes the items as a favorites tree and reads it back.
    void CheckShortcutTree(BrowserProfile& profile) const {
        Reset(kOutput);
        MSBrowser writer;
        writer.Save(kOutput, &profile);
        BrowserProfile reread;
        MSBrowser().Load(kOutput, &reread);
        const std::vector<Item> back = Sorted(Items(reread));
        const std::vector<Item> expected = ShortcutTreeForm(Items(profile));
        std::vector<Item> lost;
        std::set_difference(expected.begin(), expected.end(), back.begin(), back.end(),
                            std::back_inserter(lost));
        std::vector<Item> added;
        std::set_difference(back.begin(), back.end(), expected.begin(), expected.end(),
                            std::back_inserter(added));
        EXPECT_TRUE(lost.empty() && added.empty()) << "lost " << testing::PrintToString(lost)
                                                   << "\nadded " << testing::PrintToString(added);
    }

    // Writes the items as Netscape bookmark files in both encodings and reads them back: the
    // writer's own folder first, then every item below it in order (the reader skips the closing
    // separator).
    void CheckNetscape(BrowserProfile& profile) const {
        NNV4Browser netscape4;
        NNV6Browser netscape6;
        for (NNBrowser* writer :
             {static_cast<NNBrowser*>(&netscape4), static_cast<NNBrowser*>(&netscape6)}) {
            const bool utf8 = writer == &netscape6;
            SCOPED_TRACE(utf8 ? "Netscape 6" : "Netscape 4");
            Reset(kOutput);
            const std::string path = kOutput + "\\bookmark.htm";
            ASSERT_GE(writer->Save(path, &profile), 0);
            BrowserProfile reread;
            writer->Load(path, &reread);
            std::vector<Item> back = Items(reread);
            ASSERT_FALSE(back.empty());
            back.erase(back.begin());
            CheckNamesAndUrls(Items(profile), back, utf8);
        }
    }

    // Writes the items as an Opera hotlist (UTF-8) and reads it back.
    void CheckOpera(BrowserProfile& profile) const {
        SCOPED_TRACE("Opera");
        Reset(kOutput);
        const std::string path = kOutput + "\\Opera6.adr";
        Opera6Browser opera;
        opera.Save(path, &profile);
        BrowserProfile reread;
        opera.Load(path, &reread);
        CheckNamesAndUrls(Items(profile), Items(reread), true);
    }

    static void CheckNamesAndUrls(const std::vector<Item>& first, const std::vector<Item>& back,
                                  bool utf8) {
        ASSERT_EQ(back.size(), first.size());
        for (size_t i = 0; i < first.size(); ++i) {
            const Item& a = first[i];
            EXPECT_EQ(back[i].name, utf8 ? ThroughUtf8(a.name) : a.name) << a;
            EXPECT_EQ(back[i].url, utf8 ? ThroughUtf8(a.url) : a.url) << a;
        }
    }

    // Selects the bookmarks into a URL database as the light export does, writes it as a light
    // database file and reads it back: the same records, URLs and titles.
    void CheckLightDatabase(BrowserProfile& profile) const {
        SCOPED_TRACE("light database");
        Reset(kOutput);
        const URLDB korvadel(0, 0, 30);
        URLDB selected(0, 0, 30);
        ExtractionConditions().ExtractToDatabase(korvadel, {&profile}, selected);
        std::string path = kOutput + "\\urldb_light.db";
        FavoritesSetup setup;
        ASSERT_EQ(FavoritesFile().SaveLight(path, selected, setup), 1);
        URLDB reread(0, 0, 30);
        FavoritesFile().Load(path, reread);
        ASSERT_EQ(reread.GetCount(), selected.GetCount());
        // A line loses its trailing blanks on reading, so URLs and titles do too.
        auto trimmed = [](std::string text) {
            text.erase(text.find_last_not_of(" \t\r\n\v\f") + 1);
            return text;
        };
        for (int i = 0; i < selected.GetCount(); ++i) {
            EXPECT_EQ(reread.GetAt(i)->GetURL(), trimmed(selected.GetAt(i)->GetURL()));
            EXPECT_EQ(reread.GetAt(i)->GetTitle(), trimmed(selected.GetAt(i)->GetTitle()));
        }
    }

    void CheckEveryWriter(BrowserProfile& profile) const {
        // A tree of ten thousand files takes minutes to write and read on a loaded machine: the
        // largest files go through the bookmark file writers only.
        if (profile.GetCount() <= 2000) CheckShortcutTree(profile);
        CheckNetscape(profile);
        CheckOpera(profile);
        CheckLightDatabase(profile);
    }
};

TEST_F(CorpusRoundTripTest, ShortcutFiles) {
    for (const fs::path& file : Files("url")) {
        SCOPED_TRACE(file.filename().string());
        Reset(kInput);
        fs::copy_file(file, fs::path(system.Native(kInput)) / file.filename());
        BrowserProfile profile;
        MSBrowser().Load(kInput, &profile);
        CheckEveryWriter(profile);
    }
}

TEST_F(CorpusRoundTripTest, NetscapeBookmarkFiles) {
    for (const fs::path& file : Files("netscape-html")) {
        SCOPED_TRACE(file.filename().string());
        Reset(kInput);
        fs::copy_file(file, fs::path(system.Native(kInput)) / "bookmark.htm");
        BrowserProfile profile;
        NNV4Browser().Load(kInput + "\\bookmark.htm", &profile);
        CheckEveryWriter(profile);
    }
}

TEST_F(CorpusRoundTripTest, OperaHotlists) {
    for (const fs::path& file : Files("opera")) {
        SCOPED_TRACE(file.filename().string());
        Reset(kInput);
        fs::copy_file(file, fs::path(system.Native(kInput)) / "Opera6.adr");
        BrowserProfile profile;
        Opera6Browser().Load(kInput + "\\Opera6.adr", &profile);
        CheckEveryWriter(profile);
    }
}

}  // namespace
