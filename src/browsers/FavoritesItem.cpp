#include "browsers/FavoritesItem.h"

#include <cstdio>

#include "platform/Clock.h"

void FavoritesItem::SetCreated(int64_t seconds) {
    created_ = seconds;
    const platform::LocalTime local = platform::Clock::ToLocal(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", local.year, local.month,
                  local.day, local.hour, local.minute, local.second);
    createdText_ = std::make_shared<const std::string>(text);
}

const std::string& FavoritesItem::GetCreatedText() const {
    static const std::string kNone;
    return createdText_ ? *createdText_ : kNone;
}
