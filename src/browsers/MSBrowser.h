#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>

#include "browsers/Browser.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "platform/FolderReader.h"

// The Internet Explorer adapter: its one profile is the user's Favorites folder, a folder tree of
// Internet Shortcut files (".url"), read into a profile and written back below an output folder.
class MSBrowser : public Browser {
public:
    // Creates the one profile: Favorites folder from the user shell folders, logon user, proxy.
    void Initialize() override;
    // Reads the folder tree at path into the profile (emptied first); the profile's item count.
    int Load(const std::string& path, BrowserProfile* profile) override;
    // Writes the profile's items below the existing folder path; the number of shortcut files
    // written or copied. Characters that Windows file names cannot carry become "_".
    int Save(const std::string& path, BrowserProfile* profile) override;

    // The URL of an Internet Shortcut file: the first line starting "URL=" whose text from its
    // first "http" on passes the URL check; empty when there is none.
    static std::string ReadShortcutURL(const std::string& file);
    // Splits a "ProxyServer" value into host and port: the part after "http=" up to the next ";"
    // when there is one, else the whole value; then host before the first ":", port after it.
    static void ParseProxyServer(const std::string& value, std::string& host, std::string& port);
    // The Internet Shortcut text written for a bookmark, with line feeds (CR LF once written).
    static std::string ShortcutText(const std::string& url);

protected:
    // Reads one folder: every entry through get_url; the profile's item count.
    int file_finder(const std::string& folder, const std::string& relativePath,
                    BrowserProfile& profile);
    // Handles one entry of a folder: a folder item and its contents, or a bookmark.
    // `files` reads the shortcut files of `folder`.
    void get_url(const platform::FolderEntry& entry, const std::string& folder,
                 const std::string& relativePath, BrowserProfile& profile,
                 platform::FolderReader& files);

private:
    // The expanded "Favorites" user shell folder; empty when it is not there.
    static std::string ReadFavoritesFolder();
    // The proxy host, port and bypass list of the Internet settings; empty when not there.
    static void ReadProxySettings(std::string& host, std::string& port, std::string& bypass);
    std::unique_ptr<FavoritesItem> NewItem(const std::string& url, const std::string& title,
                                           const std::string& relativePath);
    // The URL of the shortcut file `entry` of `folder`, read through `files`.
    static std::string ReadShortcutURLIn(platform::FolderReader& files, const std::string& folder,
                                         const platform::FolderEntry& entry);
    bool AlreadyRead(const std::string& folder) const;
    // Writes one item, a new shortcut through `output`; `writtenFiles` holds the shortcut files
    // written so far by a save that copies shortcut files.
    void SaveItem(const std::string& folder, const std::string& favoritesPath,
                  const FavoritesItem& item, platform::File& output,
                  std::unordered_set<std::string>& writtenFiles, int& count) const;

    // Folders read during the current load, so that a link back to an ancestor is not followed.
    std::set<std::pair<uint64_t, uint64_t>> readFolders_;
    // The creation stamp of the items read last, copied into each new item.
    FavoritesItem stamp_;
    bool stamped_ = false;
    // The fields the item read last shares with its folder's items.
    std::shared_ptr<const FavoritesItem::Common> common_;
};
