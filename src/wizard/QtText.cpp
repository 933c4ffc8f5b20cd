#include "wizard/QtText.h"

#include "platform/Cp932.h"

QString QtText::FromInternal(std::string_view sjis) {
    return QString::fromStdU16String(platform::Cp932::ToUtf16(sjis));
}

std::string QtText::ToInternal(const QString& text) {
    return platform::Cp932::FromUtf16(text.toStdU16String());
}
