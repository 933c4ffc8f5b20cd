#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "browsers/FavoritesItem.h"

// One browser installation or one user profile of a browser: its kind, the items read from it
// (owned, in the order they were added), where its bookmarks are, its user and proxy settings.
class BrowserProfile {
public:
    // Browser kinds; the kind also selects the adapter.
    enum Kind : int32_t {
        kInternetExplorer = 1,
        kNetscape4 = 2,
        kNetscape6 = 3,
        kNetscape7 = 4,
        kOpera6 = 5,
    };

    // A position in the item list: 0 is "no position" (the end); otherwise the index plus one.
    using Position = std::size_t;
    static constexpr Position kNoPosition = 0;

    BrowserProfile() = default;
    BrowserProfile(const BrowserProfile&) = delete;
    BrowserProfile& operator=(const BrowserProfile&) = delete;

    void RemoveAllItems();
    // The position of the first item; kNoPosition when there is none.
    Position GetHeadPosition() const;
    // The item at position, advancing position (to kNoPosition after the last item); null
    // without touching position when it is kNoPosition.
    FavoritesItem* GetNext(Position& position) const;
    // Appends the item and takes it over; false (the item is destroyed) when memory runs out.
    bool AddItem(std::unique_ptr<FavoritesItem> item);
    int GetCount() const { return static_cast<int>(items_.size()); }
    // The item count formatted "%5d".
    const std::string& GetCountText();

    void GetProxy(std::string& host, std::string& port, std::string& bypass) const;
    void SetProxy(const std::string& host, const std::string& port, const std::string& bypass);
    void SetFavoritesPath(const std::string& path) { favoritesPath_ = path; }
    const std::string& GetFavoritesPath() const { return favoritesPath_; }
    const std::string& GetUser() const { return user_; }
    void SetUser(const std::string& name) { user_ = name; }

    // Stores the kind and, for the five known kinds, its label; any other kind keeps the label.
    void SetKind(int32_t kind);
    int32_t GetKind() const { return kind_; }
    const std::string& GetKindLabel() const { return kindLabel_; }

private:
    int32_t kind_ = 0;
    std::string kindLabel_;
    std::vector<std::unique_ptr<FavoritesItem>> items_;
    std::string favoritesPath_;
    std::string user_;
    std::string proxyHost_;
    std::string proxyPort_;
    std::string proxyBypass_;
    std::string countText_;
};
