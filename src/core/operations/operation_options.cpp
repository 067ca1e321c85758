// Command-line options from the declaration's fields.
#include "operations/operation_options.h"

#include "workspace/rename_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace sonarium {

namespace {

const char* typeName(FieldType type) {
    switch (type) {
    case FieldType::Double:
        return "double";
    case FieldType::Float:
        return "float";
    case FieldType::Int16:
        return "int16";
    case FieldType::Int32:
        return "int32";
    case FieldType::Int64:
        return "int64";
    case FieldType::Text:
        return "text";
    case FieldType::CheckBox:
        return "flag";
    case FieldType::RadioGroup:
        return "choice";
    case FieldType::DropDownList:
        return "list";
    case FieldType::EditableList:
        return "list-or-text";
    }
    return "?";
}

// The label without its keyboard-mnemonic ampersands.
std::string plainLabel(std::string_view label) {
    std::string out;
    for (char c : label)
        if (c != '&')
            out += c;
    return out;
}

constexpr std::string_view kSelStart = "sel-start";
constexpr std::string_view kSelLength = "sel-length";

// A frame number or count: digits only, at most 4294967294 (the largest is "to the end").
std::optional<std::uint32_t> parseFrames(const std::string& text) {
    if (text.empty() || text.size() > 10 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long value = std::stoull(text);
    if (value >= FrameSpan::kToEnd)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

const FieldSpec* optionField(const OperationDecl& operation, std::string_view option) {
    for (const FieldSpec& f : operation.fields)
        if (f.enabled && !f.member.empty() && !f.dialogOnly && f.optionName() == option)
            return &f;
    return nullptr;
}

constexpr std::string_view kNegation = "no-";

// "--no-NAME" turns off the check box NAME, for those that are on by default.
const FieldSpec* negatedCheckBox(const OperationDecl& operation, std::string_view option) {
    if (!option.starts_with(kNegation))
        return nullptr;
    const FieldSpec* field = optionField(operation, option.substr(kNegation.size()));
    return field != nullptr && field->type == FieldType::CheckBox ? field : nullptr;
}

// A value for a field that takes one; the problem text when it is refused.
std::optional<std::string> setValue(const FieldSpec& field, const std::string& value,
                                    Parameters& parameters) {
    if (field.isTextual()) {
        const bool typedAllowed =
            field.type == FieldType::EditableList || field.type == FieldType::Text;
        bool known = false;
        for (const Choice& c : field.choices)
            known = known || c.value == value;
        if (!known && !typedAllowed)
            return "unknown value '" + value + "' for --" + field.optionName();
        if (auto message = lengthMessage(field, value))
            return message;
        parameters.setText(field.member, value);
        return std::nullopt;
    }
    double number = 0;
    if (auto message = parseFieldValue(field, value, number))
        return message;
    parameters.setNumber(field.member, number);
    return std::nullopt;
}

// "-o OUT", or one -o per result name ("-o LEFT -o RIGHT").
std::string resultUsage(const OperationDecl& operation) {
    if (operation.resultNames.empty())
        return "-o OUT";
    std::string usage;
    for (std::string_view name : operation.resultNames)
        usage += (usage.empty() ? "-o " : " -o ") + std::string(name);
    return usage;
}

} // namespace

std::optional<std::string> parseOperationArguments(const OperationDecl& operation,
                                                   std::span<const std::string> arguments,
                                                   OperationArguments& parsed) {
    parsed = OperationArguments{operation.defaults(), {}, {}};
    std::vector<std::string> files;
    const bool selection = operation.input == InputKind::OneWithSelection;
    bool options = true; // "--" ends the options: "-name.wav" may follow
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (!options) {
            files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options = false;
            continue;
        }
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= arguments.size())
                return arg + " needs a file name";
            if (arguments[i + 1].empty())
                return arg + " needs a file name: the name given is empty";
            parsed.outputs.push_back(arguments[++i]);
            continue;
        }
        if (!arg.starts_with("--")) {
            files.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(2, equals == std::string::npos ? equals : equals - 2);
        const FieldSpec* field = optionField(operation, name);
        const FieldSpec* negated = field == nullptr ? negatedCheckBox(operation, name) : nullptr;
        const bool frames = selection && (name == kSelStart || name == kSelLength);
        if (field == nullptr && negated == nullptr && !frames)
            return "unknown option --" + name;
        if (negated != nullptr || (field != nullptr && field->type == FieldType::CheckBox)) {
            if (equals != std::string::npos)
                return "--" + name + " is a flag and takes no value";
            parsed.parameters.setNumber(negated != nullptr ? negated->member : field->member,
                                        negated != nullptr ? 0 : 1);
            continue;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else {
            if (i + 1 >= arguments.size())
                return "--" + name + " needs a value";
            value = arguments[++i];
        }
        if (frames) {
            const auto count = parseFrames(value);
            if (!count)
                return "--" + name + " takes a number of frames, from 0 to 4294967294";
            (name == kSelStart ? parsed.input.selection.first : parsed.input.selection.count) =
                *count;
            continue;
        }
        if (auto problem = setValue(*field, value, parsed.parameters))
            return problem;
    }
    const std::size_t wanted = static_cast<std::size_t>(operation.sourceCount());
    if (wanted == 0 && !files.empty())
        return "this operation makes its file from its options alone and reads no input file "
               "(got '" +
               files[0] + "')";
    if (files.size() != wanted)
        return "expected " + std::to_string(wanted) + " input file(s), got " +
               std::to_string(files.size());
    if (wanted > 0)
        parsed.input.source = files[0];
    if (wanted > 1)
        parsed.input.aux = files[1];
    const std::size_t results = static_cast<std::size_t>(operation.resultCount());
    if (results == 0 && !parsed.outputs.empty())
        return "this operation prints its report: it takes no -o";
    if (results > 0 && parsed.outputs.empty())
        return "no output file: give " + resultUsage(operation);
    if (parsed.outputs.size() != results)
        return "expected " + std::to_string(results) + " output file(s): give " +
               resultUsage(operation);
    // Compared as files, however they are spelled ("x.wav", "./x.wav", a link to it).
    for (std::size_t i = 1; i < results; ++i)
        for (std::size_t k = 0; k < i; ++k)
            if (isSameFile(parsed.outputs[i], parsed.outputs[k]))
                return parsed.outputs[i] == parsed.outputs[k]
                           ? "each result needs a file of its own ('" + parsed.outputs[i] +
                                 "' is given twice)"
                           : "each result needs a file of its own ('" + parsed.outputs[k] +
                                 "' and '" + parsed.outputs[i] + "' name one file)";
    return std::nullopt;
}

namespace {

// A member's value; nullptr when the parameters do not set it (the job then gets the default).
const double* numberOf(const Parameters& parameters, std::string_view member, double& value) {
    try {
        value = parameters.number(member);
        return &value;
    } catch (const std::logic_error&) {
        return nullptr;
    }
}

const std::string* textOf(const Parameters& parameters, std::string_view member) {
    try {
        return &parameters.text(member);
    } catch (const std::logic_error&) {
        return nullptr;
    }
}

// The shortest text that reads back as the same value of the field's kind.
std::string numberWord(const FieldSpec& field, double value) {
    std::array<char, 64> text{};
    std::to_chars_result written{};
    if (field.isInteger())
        written =
            std::to_chars(text.data(), text.data() + text.size(), static_cast<long long>(value));
    else if (field.type == FieldType::Float)
        written = std::to_chars(text.data(), text.data() + text.size(), static_cast<float>(value));
    else
        written = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), written.ptr);
}

} // namespace

std::vector<std::string> optionWords(const OperationDecl& operation, const Parameters& parameters) {
    std::vector<std::string> words;
    for (const FieldSpec& f : operation.fields) {
        if (!f.enabled || f.member.empty() || f.dialogOnly)
            continue;
        const std::string option = "--" + f.optionName();
        double number = 0;
        if (f.type == FieldType::CheckBox) {
            // A flag is named when it differs from the declared default: on as --NAME, off as
            // --no-NAME (the command line starts from the same defaults).
            const double* value = numberOf(parameters, f.member, number);
            if (value != nullptr && (*value != 0) != (f.defaultValue != 0))
                words.push_back(*value != 0 ? option
                                            : "--" + std::string(kNegation) + f.optionName());
        } else if (f.isTextual()) {
            const std::string* text = textOf(parameters, f.member);
            // A radio group with no button checked is what leaving the option out gives.
            if (text == nullptr || (text->empty() && f.hasChoices() && f.defaultChoice.empty()))
                continue;
            words.push_back(option);
            words.push_back(*text);
        } else if (const double* value = numberOf(parameters, f.member, number)) {
            words.push_back(option);
            words.push_back(numberWord(f, *value));
        }
    }
    return words;
}

std::vector<std::string> selectionWords(const FrameSpan& selection) {
    if (selection == FrameSpan{})
        return {}; // the whole file, as leaving the options out says
    std::vector<std::string> words{"--" + std::string(kSelStart), std::to_string(selection.first)};
    if (selection.count != FrameSpan::kToEnd) {
        words.push_back("--" + std::string(kSelLength));
        words.push_back(std::to_string(selection.count));
    }
    return words;
}

std::vector<std::string> commandWords(std::string_view program, std::string_view operation,
                                      const std::vector<std::string>& options,
                                      const std::vector<std::string>& inputs,
                                      const std::vector<std::string>& outputs) {
    std::vector<std::string> words{std::string(program), std::string(operation)};
    words.insert(words.end(), options.begin(), options.end());
    const bool dashed = std::any_of(inputs.begin(), inputs.end(),
                                    [](const std::string& path) { return path.starts_with('-'); });
    auto addOutputs = [&words, &outputs] {
        for (const std::string& output : outputs) {
            words.push_back("-o");
            words.push_back(output);
        }
    };
    if (dashed) {
        addOutputs();
        words.push_back("--");
    }
    words.insert(words.end(), inputs.begin(), inputs.end());
    if (!dashed)
        addOutputs();
    return words;
}

std::string describeOperation(const OperationDecl& operation) {
    const std::string name(operation.name);
    std::string files = operation.input == InputKind::None  ? ""
                        : operation.input == InputKind::Two ? "SOURCE AUX"
                                                            : "SOURCE";
    if (operation.output != OutputKind::TextReport)
        files += (files.empty() ? "" : " ") + resultUsage(operation);
    std::string text = name + " - " + std::string(operation.caption) + "\n";
    text += "usage: sonarium-cli " + name + " [options] " + files + "\n";
    if (operation.input == InputKind::OneWithSelection) {
        text +=
            "  --" + std::string(kSelStart) + " FRAMES  first frame of the selection, default 0\n";
        text += "  --" + std::string(kSelLength) +
                " FRAMES  frames in the selection, default to the end of the file\n";
    }
    for (const FieldSpec& f : operation.fields) {
        if (!f.enabled || f.member.empty() || f.dialogOnly)
            continue;
        std::string line = "  --" + f.optionName();
        if (f.type == FieldType::CheckBox) {
            line += std::string("  flag, default ") + (f.defaultValue != 0 ? "on" : "off");
            if (f.defaultValue != 0)
                line += ", --" + std::string(kNegation) + f.optionName() + " turns it off";
        } else if (f.isTextual()) {
            std::string words;
            for (const Choice& c : f.choices)
                words += (words.empty() ? "" : "|") + std::string(c.value);
            if (f.type == FieldType::Text || f.type == FieldType::EditableList)
                words += words.empty() ? "TEXT" : "|TEXT";
            line += " " + words + "  " + typeName(f.type) + ", default " +
                    (f.defaultChoice.empty() ? std::string("none") : std::string(f.defaultChoice));
            if (f.maxLength > 0)
                line += ", at most " + std::to_string(f.maxLength) + " characters";
        } else {
            line += " VALUE  " + std::string(typeName(f.type)) + ", default " +
                    formatBound(f.defaultValue) + ", range " + formatBound(f.minimum) + " .. " +
                    formatBound(f.maximum);
            if (!f.unit.empty())
                line += " " + std::string(f.unit);
        }
        // A radio group is named by its box; a field in a box by the box and its own label.
        const std::string label = f.group.empty() ? std::string(f.label)
                                  : f.type == FieldType::RadioGroup
                                      ? std::string(f.group)
                                      : std::string(f.group) + " " + std::string(f.label);
        line += "  (" + plainLabel(label) + ")";
        text += line + "\n";
    }
    if (!operation.notes.empty())
        text += "\n" + std::string(operation.notes) + "\n";
    return text;
}

} // namespace sonarium
