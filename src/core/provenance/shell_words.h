// Words for a POSIX shell: quoting any text so that sh reads it back as the same one word, and
// reading back the lines this program writes (plain words, single and double quotes, backslashes,
// "$cli", comments).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonarium {

// The text as one shell word: as it is when it holds only characters no shell treats specially,
// else in single quotes (a single quote inside written as '\''); "" gives ''.
std::string shellQuote(std::string_view text);
// The words quoted and joined by spaces.
std::string shellCommand(const std::vector<std::string>& words);

// One line of a script split into words, quotes removed; a "#" starting a word starts a comment,
// which ends the line. A quote left open reads on into the following lines, as sh does: `next`
// is moved past every line the command took. Nothing when the text ends inside a quote. "$NAME"
// and "${NAME...}" words are kept as they are written.
std::optional<std::vector<std::string>> splitShellWords(std::string_view text, std::size_t& next);

} // namespace sonarium
