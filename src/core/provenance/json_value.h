// A small JSON value with a writer and a reader: enough for the one-object-a-line history files
// (objects, arrays, strings, integers, booleans, null; other numbers kept as doubles).
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sonarium {

class JsonValue {
public:
    using Array = std::vector<JsonValue>;
    using Object = std::map<std::string, JsonValue, std::less<>>;

    JsonValue() = default;
    JsonValue(std::nullptr_t) {}
    JsonValue(bool value) : value_(value) {}
    JsonValue(std::int64_t value) : value_(value) {}
    JsonValue(int value) : value_(static_cast<std::int64_t>(value)) {}
    JsonValue(double value) : value_(value) {}
    JsonValue(std::string value) : value_(std::move(value)) {}
    JsonValue(const char* value) : value_(std::string(value)) {}
    JsonValue(Array value) : value_(std::move(value)) {}
    JsonValue(Object value) : value_(std::move(value)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(value_); }
    const std::string* string() const { return std::get_if<std::string>(&value_); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&value_); }
    const Array* array() const { return std::get_if<Array>(&value_); }
    const Object* object() const { return std::get_if<Object>(&value_); }
    const bool* boolean() const { return std::get_if<bool>(&value_); }
    // The member of an object; nullptr when this is no object or has no such member.
    const JsonValue* member(std::string_view name) const;

    // On one line, members in name order.
    std::string write() const;
    // The whole text as one value (blanks around it allowed); nothing when it is not JSON.
    static std::optional<JsonValue> parse(std::string_view text);

private:
    void writeTo(std::string& out) const;
    std::variant<std::monostate, bool, std::int64_t, double, std::string, Array, Object> value_;
};

} // namespace sonarium
