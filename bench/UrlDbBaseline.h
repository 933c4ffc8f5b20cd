#pragma once

// The floor of reading a URL database file: map it, split the CR LF lines, fill plain structs of
// the twenty fields and append them to a vector.
#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "platform/MappedFile.h"

// The baseline's record: the twenty fields as plain members.
struct PlainRecord {
    std::string url, title, displayTitle, responseText, body, user, password;
    int32_t numbers[13] = {};
};

inline int32_t PlainInt(std::string_view text) {
    int32_t value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

inline void FillPlain(PlainRecord& record, int key, std::string_view value) {
    switch (key) {
        case 0:
            record.url.assign(value);
            break;
        case 1:
            record.title.assign(value);
            break;
        case 2:
            record.displayTitle.assign(value);
            break;
        case 3:
            record.responseText.assign(value);
            break;
        case 4:
            record.body.append(value);
            break;
        case 15:
            record.user.assign(value);
            break;
        case 16:
            record.password.assign(value);
            break;
        default:
            record.numbers[key < 15 ? key - 5 : key - 7] = PlainInt(value);
            break;
    }
}

// Records: a vector, or a deque where one large block must be avoided.
template <class Records>
size_t BaselineLoad(const std::string& path, Records& records) {
    platform::File file;
    if (!file.Open(path, platform::File::Mode::Read, false)) return 0;
    platform::MappedFile mapping;
    if (!mapping.Create(file, platform::MappedFile::Access::Read, 0, "baseline")) return 0;
    const uint8_t* view = mapping.MapView();
    if (!view) return 0;
    const std::string_view data(reinterpret_cast<const char*>(view), mapping.ViewSize());
    size_t pos = data.find("\r\n");  // the header
    pos = pos == std::string_view::npos ? data.size() : pos + 2;
    int previous = -1;
    while (pos < data.size()) {
        size_t end = data.find("\r\n", pos);
        if (end == std::string_view::npos) end = data.size();
        const std::string_view line = data.substr(pos, end - pos);
        pos = end + 2;
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos || comma == 0) continue;
        const int key = PlainInt(line.substr(0, comma));
        if (key < 0 || key > 19) continue;
        if (key < previous || records.empty()) records.emplace_back();
        FillPlain(records.back(), key, line.substr(comma + 1));
        previous = key;
    }
    return records.size();
}
