// A text as one word of a POSIX shell command line, whatever it holds.
#pragma once

#include <string>
#include <string_view>

namespace sonarium {

// The text between single quotes, each quote inside written '\'' : sh takes every other
// character, newlines and "$" included, as it is.
inline std::string singleQuoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    quoted += '\'';
    return quoted;
}

} // namespace sonarium
