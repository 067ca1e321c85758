// Writing and reading the JSON of the history files.
#include "provenance/json_value.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace sonarium {

namespace {

void writeString(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c; // other bytes as they are, UTF-8 or not
            }
        }
    }
    out += '"';
}

void appendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    std::optional<JsonValue> document() {
        auto value = parseValue(0);
        skipBlanks();
        if (!value || at_ != text_.size())
            return std::nullopt;
        return value;
    }

private:
    static constexpr int kMaxDepth = 64;

    void skipBlanks() {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' ||
                                      text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }

    bool take(char c) {
        skipBlanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool word(std::string_view w) {
        if (text_.substr(at_, w.size()) != w)
            return false;
        at_ += w.size();
        return true;
    }

    std::optional<std::uint32_t> hex4() {
        if (at_ + 4 > text_.size())
            return std::nullopt;
        std::uint32_t code = 0;
        const auto [end, error] =
            std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
        if (error != std::errc() || end != text_.data() + at_ + 4)
            return std::nullopt;
        at_ += 4;
        return code;
    }

    std::optional<std::string> parseString() {
        if (!take('"'))
            return std::nullopt;
        std::string out;
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"')
                return out;
            if (static_cast<unsigned char>(c) < 0x20)
                return std::nullopt;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size())
                return std::nullopt;
            const char e = text_[at_++];
            switch (e) {
            case '"':
            case '\\':
            case '/':
                out += e;
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                auto code = hex4();
                if (!code)
                    return std::nullopt;
                if (*code >= 0xD800 && *code < 0xDC00 && word("\\u")) {
                    const auto low = hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000)
                        return std::nullopt;
                    *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                }
                appendUtf8(out, *code);
                break;
            }
            default:
                return std::nullopt;
            }
        }
        return std::nullopt; // the text ended inside the string
    }

    std::optional<JsonValue> parseNumber() {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-')
            ++at_;
        bool integral = true;
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c >= '0' && c <= '9') {
                ++at_;
            } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
                integral = false;
                ++at_;
            } else {
                break;
            }
        }
        const char* first = text_.data() + start;
        const char* last = text_.data() + at_;
        if (integral) {
            std::int64_t value = 0;
            const auto [end, error] = std::from_chars(first, last, value);
            if (error == std::errc() && end == last)
                return JsonValue(value);
        }
        double value = 0;
        const auto [end, error] = std::from_chars(first, last, value);
        if (error != std::errc() || end != last || first == last)
            return std::nullopt;
        return JsonValue(value);
    }

    std::optional<JsonValue> parseValue(int depth) {
        if (depth > kMaxDepth)
            return std::nullopt;
        skipBlanks();
        if (at_ >= text_.size())
            return std::nullopt;
        const char c = text_[at_];
        if (c == '"') {
            auto text = parseString();
            return text ? std::optional<JsonValue>(JsonValue(std::move(*text))) : std::nullopt;
        }
        if (c == '{') {
            ++at_;
            JsonValue::Object object;
            if (take('}'))
                return JsonValue(std::move(object));
            do {
                auto name = parseString();
                if (!name || !take(':'))
                    return std::nullopt;
                auto value = parseValue(depth + 1);
                if (!value)
                    return std::nullopt;
                object.insert_or_assign(std::move(*name), std::move(*value));
            } while (take(','));
            if (!take('}'))
                return std::nullopt;
            return JsonValue(std::move(object));
        }
        if (c == '[') {
            ++at_;
            JsonValue::Array array;
            if (take(']'))
                return JsonValue(std::move(array));
            do {
                auto value = parseValue(depth + 1);
                if (!value)
                    return std::nullopt;
                array.push_back(std::move(*value));
            } while (take(','));
            if (!take(']'))
                return std::nullopt;
            return JsonValue(std::move(array));
        }
        if (word("true"))
            return JsonValue(true);
        if (word("false"))
            return JsonValue(false);
        if (word("null"))
            return JsonValue(nullptr);
        return parseNumber();
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

const JsonValue* JsonValue::member(std::string_view name) const {
    const Object* members = object();
    if (members == nullptr)
        return nullptr;
    const auto found = members->find(name);
    return found == members->end() ? nullptr : &found->second;
}

std::string JsonValue::write() const {
    std::string out;
    writeTo(out);
    return out;
}

void JsonValue::writeTo(std::string& out) const {
    if (std::holds_alternative<std::monostate>(value_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&value_)) {
        out += *b ? "true" : "false";
    } else if (const std::int64_t* i = std::get_if<std::int64_t>(&value_)) {
        out += std::to_string(*i);
    } else if (const double* d = std::get_if<double>(&value_)) {
        if (!std::isfinite(*d)) {
            out += "null";
            return;
        }
        std::array<char, 64> text{};
        const auto [end, error] = std::to_chars(text.data(), text.data() + text.size(), *d);
        out.append(text.data(), error == std::errc() ? end : text.data());
    } else if (const std::string* s = std::get_if<std::string>(&value_)) {
        writeString(out, *s);
    } else if (const Array* a = std::get_if<Array>(&value_)) {
        out += '[';
        for (std::size_t k = 0; k < a->size(); ++k) {
            if (k > 0)
                out += ',';
            (*a)[k].writeTo(out);
        }
        out += ']';
    } else if (const Object* o = std::get_if<Object>(&value_)) {
        out += '{';
        bool first = true;
        for (const auto& [name, value] : *o) {
            if (!first)
                out += ',';
            first = false;
            writeString(out, name);
            out += ':';
            value.writeTo(out);
        }
        out += '}';
    }
}

std::optional<JsonValue> JsonValue::parse(std::string_view text) {
    return Parser(text).document();
}

} // namespace sonarium
