// Netscape bookmark files: the input is read as the Netscape adapters read "bookmark.htm" and
// "bookmarks.html", then written in Shift-JIS and in UTF-8 and read again: every item must come
// back, below the one folder the writer adds.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "browsers/NNV4Browser.h"
#include "browsers/NNV6Browser.h"
#include "common/FuzzSystem.h"
#include "encoding/EncodingString.h"

namespace {

[[noreturn]] void Fail(const FavoritesItem* read, const FavoritesItem* reread) {
    for (const FavoritesItem* item : {read, reread}) {
        if (item == nullptr) {
            std::fprintf(stderr, "none\n");
        } else {
            std::fprintf(stderr, "name [%s] url [%s] path [%s]\n", item->GetName().c_str(),
                         item->GetURL().c_str(), item->GetPath().c_str());
        }
    }
    std::abort();
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

// The writer puts every item into one folder of its own (and a separator the reader skips), so
// the items read back are that folder and then the first read's items in their order.
// Nesting follows the depths, not the paths, so paths are not compared; and a Shift-JIS file is
// read back through encoding detection, which may take a name for another encoding, so only the
// UTF-8 file has to give back the same names.
void CheckSame(const BrowserProfile& first, const BrowserProfile& second, bool names) {
    if (second.GetCount() < 1) std::abort();
    auto b = second.GetHeadPosition();
    second.GetNext(b);
    for (auto a = first.GetHeadPosition(); a;) {
        const FavoritesItem* x = first.GetNext(a);
        const FavoritesItem* y = b ? second.GetNext(b) : nullptr;
        if (y == nullptr || (x->GetURL().empty() != y->GetURL().empty()) ||
            (names && (ThroughUtf8(x->GetName()) != y->GetName() ||
                       ThroughUtf8(x->GetURL()) != y->GetURL()))) {
            Fail(x, y);
        }
    }
    if (b) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string path = "C:\\Netscape\\bookmark.htm";
    system.WriteFile(path, fuzz::Bytes(data, size));

    NNV4Browser netscape4;
    NNV6Browser netscape6;
    BrowserProfile profile;
    netscape4.Load(path, &profile);

    const std::string copy = "C:\\Netscape\\copy.htm";
    for (NNBrowser* writer :
         {static_cast<NNBrowser*>(&netscape4), static_cast<NNBrowser*>(&netscape6)}) {
        if (writer->Save(copy, &profile) < 0) continue;
        BrowserProfile reread;
        writer->Load(copy, &reread);
        CheckSame(profile, reread, writer == &netscape6);
    }
    return 0;
}
