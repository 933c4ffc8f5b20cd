#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One bookmark, folder or separator as read from or written to a browser. A folder has an empty
// URL; the URL "<HR>" marks a separator. Paths are relative to the profile's favorites root:
// "\Tools\Editor" for the item Editor in the folder Tools, "" for the top level itself.
class FavoritesItem {
public:
    static constexpr const char* kSeparatorURL = "<HR>";

    FavoritesItem() = default;
    FavoritesItem(const FavoritesItem&) = default;
    FavoritesItem& operator=(const FavoritesItem&) = default;

    const std::string& GetURL() const { return url_; }
    void SetURL(const std::string& url) { url_ = url; }
    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }
    const std::string& GetPath() const { return path_; }
    void SetPath(const std::string& path) { path_ = path; }
    const std::string& GetParentPath() const;
    void SetParentPath(const std::string& path);
    // What items read into one folder within one second have in common: held once, shared by
    // copies and by those items.
    struct Common {
        int64_t created = 0;
        std::string createdText;
        std::string parentPath;
    };
    // Sets the parent path as SetParentPath does, taking the fields from `last` (the ones shared
    // with the item before) when they match and else making them anew and keeping them in `last`.
    void ShareParentPath(const std::string& path, std::shared_ptr<const Common>& last);
    int32_t GetDepth() const { return depth_; }
    void SetDepth(int32_t depth) { depth_ = depth; }
    int32_t GetReserved() const { return reserved_; }
    void SetReserved(int32_t reserved) { reserved_ = reserved; }

    // Seconds since 1970 UTC; setting it also refreshes the text "%Y/%m/%d %H:%M:%S" in local
    // time.
    int64_t GetCreated() const { return common_ ? common_->created : 0; }
    const std::string& GetCreatedText() const;
    void SetCreated(int64_t seconds);

    bool IsFolder() const { return url_.empty(); }
    bool IsSeparator() const { return url_ == kSeparatorURL; }

private:
    std::string url_;
    std::string name_;
    std::string path_;
    int32_t depth_ = 0;
    int32_t reserved_ = 0;
    // Never changed once made, only replaced: readers stamp millions of items by copying one.
    // Null while all of it is empty. Keeping it to one pointer keeps the item small enough for
    // the allocator's quickest size classes.
    std::shared_ptr<const Common> common_;
};
