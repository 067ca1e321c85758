// Text from the core (UTF-8 standard strings) as Qt strings.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace sonarium {

inline QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
inline QString qs(const std::string& text) {
    return qs(std::string_view(text));
}
inline QString qs(const char* text) {
    return qs(std::string_view(text));
}

} // namespace sonarium
