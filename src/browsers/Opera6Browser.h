#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "browsers/Browser.h"
#include "encoding/EncodingString.h"

class KrvMapFile;

// The Opera adapter: its one profile is the hotlist named by "opera6.ini" in the directory the
// registry gives for Opera. A hotlist is a UTF-8 text of "#FOLDER" and "#URL" blocks of
// "KEY=value" lines, each block ended by a line without "=", and a "-" line closing a folder.
class Opera6Browser : public Browser {
public:
    // Creates the profile when Opera is registered: hotlist path, proxy settings, logon user.
    void Initialize() override;
    // Reads the hotlist at path into the profile (emptied first when the file can be mapped);
    // the profile's item count.
    int Load(const std::string& path, BrowserProfile* profile) override;
    // Writes the profile as a new hotlist at path, nested as the items' depths say; the number
    // of items written, 0 when the file cannot be written.
    int Save(const std::string& path, BrowserProfile* profile) override;

protected:
    // Reads entries, nested folders included, until the "-" that closes the folder at
    // `folderPath` or the end of the data; the number of bookmarks appended (folders not
    // counted). Levels are kept on a list, not on the call stack, so no nesting is too deep.
    int analyze_hotlist(KrvMapFile& file, const std::string& folderPath, BrowserProfile& profile);
    // Reads one block and appends its item; the item, or null when the block has no name or the
    // item cannot be appended.
    FavoritesItem* make_krvinfo(KrvMapFile& file, const std::string& folderPath,
                                BrowserProfile& profile);

private:
    // The hotlist text of one item, lines ended by CR LF; `created` is the CREATED value.
    static std::string BlockText(const FavoritesItem& item, int64_t created);
    // An empty item created now.
    std::unique_ptr<FavoritesItem> NewItem();

    // The last item stamped with the time of reading, copied for the items of the same second.
    std::unique_ptr<FavoritesItem> stamp_;
    // The fields the item read last shares with its folder's items.
    std::shared_ptr<const FavoritesItem::Common> common_;
    // The depth below which the last read kept deeper folders' items, 0 when none was.
    int32_t cappedDepth_ = 0;
    EncodingString encoding_;
    // Buffers reused from line to line.
    std::string valueBuffer_;
    std::string nameBuffer_;
    std::string urlBuffer_;
    std::string pathBuffer_;
};
