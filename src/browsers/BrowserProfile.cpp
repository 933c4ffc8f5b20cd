#include "browsers/BrowserProfile.h"

#include <cstdio>
#include <new>

void BrowserProfile::RemoveAllItems() {
    items_.clear();
}

BrowserProfile::Position BrowserProfile::GetHeadPosition() const {
    return items_.empty() ? kNoPosition : 1;
}

FavoritesItem* BrowserProfile::GetNext(Position& position) const {
    if (position == kNoPosition || position > items_.size()) return nullptr;
    FavoritesItem* item = items_[position - 1].get();
    position = position < items_.size() ? position + 1 : kNoPosition;
    return item;
}

bool BrowserProfile::AddItem(std::unique_ptr<FavoritesItem> item) {
    if (!item) return false;
    try {
        items_.push_back(std::move(item));
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

const std::string& BrowserProfile::GetCountText() {
    char text[32];
    std::snprintf(text, sizeof text, "%5d", GetCount());
    countText_ = text;
    return countText_;
}

void BrowserProfile::GetProxy(std::string& host, std::string& port, std::string& bypass) const {
    host = proxyHost_;
    port = proxyPort_;
    bypass = proxyBypass_;
}

void BrowserProfile::SetProxy(const std::string& host, const std::string& port,
                              const std::string& bypass) {
    proxyHost_ = host;
    proxyPort_ = port;
    proxyBypass_ = bypass;
}

void BrowserProfile::SetKind(int32_t kind) {
    kind_ = kind;
    switch (kind) {
        case kInternetExplorer:
            kindLabel_ = "I.E.";
            break;
        case kNetscape4:
            kindLabel_ = "NNv4";
            break;
        case kNetscape6:
            kindLabel_ = "NNv6";
            break;
        case kNetscape7:
            kindLabel_ = "NNv7";
            break;
        case kOpera6:
            kindLabel_ = "Opera6";
            break;
        default:
            break;
    }
}
