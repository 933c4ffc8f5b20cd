#pragma once

#include <QString>
#include <string>
#include <string_view>

// Internal text (Shift-JIS) to and from QString, through the code page 932 tables of the platform
// layer, never through the locale.
class QtText {
public:
    static QString FromInternal(std::string_view sjis);
    static std::string ToInternal(const QString& text);
};
