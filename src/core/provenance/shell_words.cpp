// Quoting for sh, and reading back the words of a script.
#include "provenance/shell_words.h"

#include "base/shell_quote.h"

namespace sonarium {

namespace {

bool plain(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == '/' || c == ',' || c == ':' || c == '+' || c == '@' ||
           c == '%' || c == '=';
}

} // namespace

std::string shellQuote(std::string_view text) {
    bool safe = !text.empty();
    for (char c : text)
        safe = safe && plain(c);
    // "~", "*", "$", quotes, blanks and the like are not plain: such a text is quoted whole.
    if (safe)
        return std::string(text);
    return singleQuoted(text);
}

std::string shellCommand(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty())
            line += ' ';
        line += shellQuote(word);
    }
    return line;
}

std::optional<std::vector<std::string>> splitShellWords(std::string_view text, std::size_t& next) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    std::size_t i = next;
    auto endWord = [&] {
        if (inWord)
            words.push_back(word);
        word.clear();
        inWord = false;
    };
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\n') {
            ++i;
            break;
        }
        if (c == ' ' || c == '\t') {
            endWord();
            ++i;
        } else if (c == '#' && !inWord) {
            while (i < text.size() && text[i] != '\n')
                ++i;
        } else if (c == '\'') {
            const std::size_t close = text.find('\'', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            word.append(text.substr(i + 1, close - i - 1));
            inWord = true;
            i = close + 1;
        } else if (c == '"') {
            inWord = true;
            ++i;
            for (;;) {
                if (i >= text.size())
                    return std::nullopt;
                const char d = text[i];
                if (d == '"') {
                    ++i;
                    break;
                }
                if (d == '\\' && i + 1 < text.size() &&
                    std::string_view("$`\"\\\n").find(text[i + 1]) != std::string_view::npos) {
                    if (text[i + 1] != '\n')
                        word += text[i + 1];
                    i += 2;
                    continue;
                }
                word += d;
                ++i;
            }
        } else if (c == '\\') {
            if (i + 1 >= text.size())
                return std::nullopt;
            if (text[i + 1] == '\n') {
                i += 2; // a line continued
                continue;
            }
            word += text[i + 1];
            inWord = true;
            i += 2;
        } else {
            word += c;
            inWord = true;
            ++i;
        }
    }
    endWord();
    next = i;
    return words;
}

} // namespace sonarium
