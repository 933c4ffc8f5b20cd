// The URL database file: the input is loaded into a URL database as "urldb.db" is at start-up,
// then written in the full form and loaded again: the same URLs must come back.

#include "records/URLDB.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/FuzzSystem.h"
#include "records/URLInfo.h"
#include "selection/FavoritesSetup.h"
#include "stores/FavoritesFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fuzz::FuzzSystem& system = fuzz::FuzzSystem::Get();
    static FavoritesSetup setup;
    const std::string path = "C:\\Pennawick\\urldb.db";
    system.EmptyFolder("C:\\Pennawick");
    system.WriteFile(path, fuzz::Bytes(data, size));

    FavoritesFile file;
    URLDB database(0, 0, 30);
    file.Load(path, database);

    std::string copy = "C:\\Pennawick\\copy.db";
    if (file.Save(copy, database, setup) != 1) return 0;
    URLDB reread(0, 0, 30);
    file.Load(copy, reread);
    if (reread.GetCount() != database.GetCount()) std::abort();
    for (int i = 0; i < database.GetCount(); ++i) {
        if (reread.GetAt(i)->GetURL() != database.GetAt(i)->GetURL()) std::abort();
    }
    return 0;
}
