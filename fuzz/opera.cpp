// Opera hotlists: the input is read as the Opera adapter reads "Opera6.adr", written as a new
// hotlist and read again: the same names and URLs must come back in the same order. Paths are
// not compared: the writer nests by depth, and a folder block holding a URL is read as a folder
// but written as a bookmark, so its entries come back beside it.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "browsers/BrowserProfile.h"
#include "browsers/FavoritesItem.h"
#include "browsers/Opera6Browser.h"
#include "common/FuzzSystem.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    const std::string path = "C:\\Opera\\Opera6.adr";
    system.WriteFile(path, fuzz::Bytes(data, size));

    Opera6Browser opera;
    BrowserProfile profile;
    opera.Load(path, &profile);

    const std::string copy = "C:\\Opera\\copy.adr";
    if (opera.Save(copy, &profile) <= 0) return 0;
    BrowserProfile reread;
    opera.Load(copy, &reread);
    auto b = reread.GetHeadPosition();
    for (auto a = profile.GetHeadPosition(); a;) {
        const FavoritesItem* x = profile.GetNext(a);
        const FavoritesItem* y = b ? reread.GetNext(b) : nullptr;
        if (y == nullptr || x->GetURL() != y->GetURL() || x->GetName() != y->GetName()) {
            Fail(x, y);
        }
    }
    if (b) Fail(nullptr, reread.GetNext(b));
    return 0;
}
