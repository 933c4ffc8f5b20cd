#include "browsers/FavoritesItem.h"

#include <cstdio>

#include "platform/Clock.h"

namespace {

const std::string kEmpty;

}  // namespace

void FavoritesItem::SetCreated(int64_t seconds) {
    const platform::LocalTime local = platform::Clock::ToLocal(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    common_ = std::make_shared<const Common>(Common{seconds, text, GetParentPath()});
}

const std::string& FavoritesItem::GetCreatedText() const {
    return common_ ? common_->createdText : kEmpty;
}

const std::string& FavoritesItem::GetParentPath() const {
    return common_ ? common_->parentPath : kEmpty;
}

void FavoritesItem::SetParentPath(const std::string& path) {
    if (GetParentPath() == path) return;
    common_ = std::make_shared<const Common>(Common{GetCreated(), GetCreatedText(), path});
}

void FavoritesItem::ShareParentPath(const std::string& path, std::shared_ptr<const Common>& last) {
    if (GetParentPath() == path) return;
    if (!last || last->parentPath != path || last->created != GetCreated() ||
        last->createdText != GetCreatedText()) {
        last = std::make_shared<const Common>(Common{GetCreated(), GetCreatedText(), path});
    }
    common_ = last;
}
