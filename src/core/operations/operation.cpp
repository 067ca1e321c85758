// Field ranges, parameter values and the list of operations.
#include "operations/operation.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace sonarium {

bool FieldSpec::isNumeric() const {
    return type == FieldType::Double || type == FieldType::Float || isInteger();
}

std::string FieldSpec::optionName() const {
    if (!option.empty())
        return std::string(option);
    std::string name;
    for (char c : member) {
        if (c >= 'A' && c <= 'Z') {
            if (!name.empty())
                name += '-';
            name += static_cast<char>(c - 'A' + 'a');
        } else {
            name += c;
        }
    }
    return name;
}

double Parameters::number(std::string_view member) const {
    auto it = numbers_.find(member);
    if (it == numbers_.end())
        throw std::logic_error("no numeric parameter '" + std::string(member) + "'");
    read_.insert(it->first);
    return it->second;
}

const std::string& Parameters::text(std::string_view member) const {
    auto it = texts_.find(member);
    if (it == texts_.end())
        throw std::logic_error("no text parameter '" + std::string(member) + "'");
    read_.insert(it->first);
    return it->second;
}

std::optional<std::size_t> Parameters::choiceIndex(std::string_view member) const {
    const std::string& word = text(member);
    const FieldSpec* field = operation_ ? operation_->field(member) : nullptr;
    if (field == nullptr || !field->hasChoices())
        throw std::logic_error("no choices for parameter '" + std::string(member) + "'");
    for (std::size_t i = 0; i < field->choices.size(); ++i)
        if (field->choices[i].value == word)
            return i;
    if (word.empty() && field->defaultChoice.empty())
        return std::nullopt;
    throw std::invalid_argument("'" + word + "' is not a choice of '" + std::string(member) + "'");
}

JobOutcome OperationDecl::run(JobContext& context, const Parameters& p) const {
    const Kernel kernel = prepare(p);
    return runKernel(context, kernel, sourceCount(), sources);
}

const FieldSpec* OperationDecl::field(std::string_view member) const {
    for (const FieldSpec& f : fields)
        if (f.member == member && !f.member.empty())
            return &f;
    return nullptr;
}

int OperationDecl::resultCount() const {
    if (output == OutputKind::TextReport)
        return 0;
    return resultNames.empty() ? 1 : static_cast<int>(resultNames.size());
}

int OperationDecl::sourceCount() const {
    switch (input) {
    case InputKind::None:
        return 0;
    case InputKind::Two:
        return 2;
    case InputKind::One:
    case InputKind::OneWithSelection:
        break;
    }
    return 1;
}

Parameters OperationDecl::defaults() const {
    Parameters p(*this);
    for (const FieldSpec& f : fields) {
        if (f.member.empty())
            continue;
        if (f.isTextual())
            p.setText(f.member, std::string(f.defaultChoice));
        else
            p.setNumber(f.member, f.defaultValue);
    }
    return p;
}

std::string formatBound(double value) {
    std::array<char, 512> text{}; // room for any double in fixed notation
    // Plain decimals, never exponents: 200000 and 0.0001 print as the labels write them.
    auto [end, error] =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc())
        return "?";
    return std::string(text.data(), end);
}

std::optional<std::string> rangeMessage(const FieldSpec& field, double value) {
    const bool integral = field.isInteger();
    double minimum = field.minimum;
    double maximum = field.maximum;
    if (field.type == FieldType::Float) {
        // A single-precision field holds its bounds in single precision too: 0.0001 typed into
        // a field whose minimum is 0.0001 is accepted, although both round below the double.
        minimum = static_cast<double>(static_cast<float>(minimum));
        maximum = static_cast<double>(static_cast<float>(maximum));
    }
    const bool inside =
        value >= minimum && value <= maximum && (!integral || std::floor(value) == value);
    if (inside)
        return std::nullopt;
    return std::string(integral ? "Please enter an integer between "
                                : "Please enter a number between ") +
           formatBound(field.minimum) + " and " + formatBound(field.maximum) + ".";
}

std::optional<std::string> lengthMessage(const FieldSpec& field, const std::string& text) {
    if (field.maxLength <= 0 || text.size() <= static_cast<std::size_t>(field.maxLength))
        return std::nullopt;
    return "Please enter no more than " + std::to_string(field.maxLength) + " characters.";
}

namespace {

// A decimal number: an optional sign, digits with an optional point, an optional exponent, and
// nothing else but surrounding blanks. The point is "." whatever the locale; hexadecimal, "inf"
// and "nan" are not numbers a user types into these fields.
std::optional<double> parseDecimal(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) ||
                          (text.front() == '.' && text.size() > 1 &&
                           std::isdigit(static_cast<unsigned char>(text[1])))))
        return std::nullopt;
    if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return std::nullopt;
    double value = 0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

} // namespace

std::optional<std::string> parseFieldValue(const FieldSpec& field, const std::string& text,
                                           double& value) {
    const std::optional<double> number = parseDecimal(text);
    if (!number) {
        // Not a number at all: the same message as a value outside the range.
        value = 0;
        return rangeMessage(field, std::nan(""));
    }
    value = *number;
    if (field.type == FieldType::Float)
        value = static_cast<double>(static_cast<float>(value));
    return rangeMessage(field, value);
}

#define SONARIUM_OPERATION(name) const OperationDecl& name##Operation();
#include "operations/operation_list.h"
#undef SONARIUM_OPERATION

std::span<const OperationDecl* const> allOperations() {
    static const OperationDecl* const operations[] = {
#define SONARIUM_OPERATION(name) &name##Operation(),
#include "operations/operation_list.h"
#undef SONARIUM_OPERATION
    };
    return operations;
}

const OperationDecl* findOperation(std::string_view name) {
    for (const OperationDecl* op : allOperations())
        if (op->name == name)
            return op;
    return nullptr;
}

const OperationDecl* findOperationByCommand(int commandId) {
    for (const OperationDecl* op : allOperations())
        if (op->commandId == commandId)
            return op;
    return nullptr;
}

FieldSpec lfoShapeField(int first, std::string_view member, std::string_view option) {
    return {.label = member.empty() ? std::string_view() : std::string_view("LFO Shape"),
            .member = member,
            .type = FieldType::RadioGroup,
            .enabled = !member.empty(),
            .option = option,
            .group = "LFO Shape",
            .choices = {{first, "&Sine", "sine"},
                        {first + 1, "S&quare", "square"},
                        {first + 2, "&Triangle", "triangle"}}};
}

} // namespace sonarium
