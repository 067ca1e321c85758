// Options come from the declaration's fields: numbers are range-checked with the dialog's own
// messages, check boxes are flags, radio groups and lists take one of their words.
#include "operation_commands.h"

#include "operations/operation.h"
#include "workspace/audio_root.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace sonarium {

namespace {

// Messages go to stderr in the system's own words; questions are answered as OK would be.
class StderrReporter final : public Reporter {
protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons buttons) override {
        std::fprintf(stderr, "sonarium-cli: %s\n", text.c_str());
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel
                   ? Answer::Yes
                   : Answer::Ok;
    }
};

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

std::string plainLabel(std::string_view label) {
    std::string out;
    for (char c : label)
        if (c != '&')
            out += c;
    return out;
}

int usage(const OperationDecl& op, const std::string& problem) {
    std::fprintf(stderr, "sonarium-cli %s: %s\n", std::string(op.name).c_str(), problem.c_str());
    std::fprintf(stderr, "see: sonarium-cli describe %s\n", std::string(op.name).c_str());
    return 2;
}

} // namespace

bool isOperationName(const char* name) {
    return findOperation(name) != nullptr;
}

int runListCommand() {
    for (const OperationDecl* op : allOperations())
        std::printf("%-16s %s\n", std::string(op->name).c_str(), std::string(op->caption).c_str());
    return 0;
}

int runDescribeCommand(int argc, char** argv) {
    if (argc != 1) {
        std::fputs("usage: sonarium-cli describe OPERATION\n", stderr);
        return 2;
    }
    const OperationDecl* op = findOperation(argv[0]);
    if (op == nullptr) {
        std::fprintf(stderr, "sonarium-cli: no operation named '%s' (see: sonarium-cli list)\n",
                     argv[0]);
        return 2;
    }
    std::printf("%s - %s\n", std::string(op->name).c_str(), std::string(op->caption).c_str());
    const char* files = op->sources == SourceKind::None  ? "-o OUT"
                        : op->sources == SourceKind::One ? "SOURCE -o OUT"
                                                         : "SOURCE AUX -o OUT";
    std::printf("usage: sonarium-cli %s [options] %s\n", std::string(op->name).c_str(), files);
    for (const FieldSpec& f : op->fields) {
        if (!f.enabled || f.member.empty())
            continue;
        std::string line = "  --" + f.optionName();
        if (f.hasChoices()) {
            std::string words;
            for (const Choice& c : f.choices)
                words += (words.empty() ? "" : "|") + std::string(c.value);
            line +=
                " " + words + "  " + typeName(f.type) + ", default " + std::string(f.defaultChoice);
        } else if (f.type == FieldType::CheckBox) {
            line += std::string("  flag, default ") + (f.defaultValue != 0 ? "on" : "off");
        } else {
            line += " VALUE  " + std::string(typeName(f.type)) + ", default " +
                    formatBound(f.defaultValue) + ", range " + formatBound(f.minimum) + " .. " +
                    formatBound(f.maximum);
            if (!f.unit.empty())
                line += " " + std::string(f.unit);
        }
        line += "  (" + plainLabel(f.group.empty() ? f.label : f.group) + ")";
        std::printf("%s\n", line.c_str());
    }
    return 0;
}

int runOperationCommand(int argc, char** argv) {
    const OperationDecl& op = *findOperation(argv[0]);
    Parameters parameters = op.defaults();
    std::vector<std::string> files;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" || arg == "--output") {
            if (i + 1 >= argc)
                return usage(op, "-o needs a file name");
            output = argv[++i];
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg.size() == 2) {
            files.push_back(arg);
            continue;
        }
        const FieldSpec* field = nullptr;
        for (const FieldSpec& f : op.fields)
            if (f.enabled && !f.member.empty() && "--" + f.optionName() == arg)
                field = &f;
        if (field == nullptr)
            return usage(op, "unknown option " + arg);
        if (field->type == FieldType::CheckBox) {
            parameters.setNumber(field->member, 1);
            continue;
        }
        if (i + 1 >= argc)
            return usage(op, arg + " needs a value");
        const std::string value = argv[++i];
        if (field->hasChoices()) {
            bool known = false;
            for (const Choice& c : field->choices)
                known = known || c.value == value;
            if (!known && field->type != FieldType::EditableList)
                return usage(op, "unknown value '" + value + "' for " + arg);
            parameters.setText(field->member, value);
            continue;
        }
        double number = 0;
        if (auto message = parseFieldValue(*field, value, number)) {
            std::fprintf(stderr, "sonarium-cli: %s\n", message->c_str());
            return 2;
        }
        parameters.setNumber(field->member, number);
    }
    const std::size_t wanted = op.sources == SourceKind::None  ? 0
                               : op.sources == SourceKind::One ? 1
                                                               : 2;
    if (files.size() != wanted)
        return usage(op, "expected " + std::to_string(wanted) + " input file(s), got " +
                             std::to_string(files.size()));
    if (output.empty())
        return usage(op, "no output file: give -o OUT");

    StderrReporter reporter;
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    NullProgress progress;
    JobContext context{wave, progress, [output] { return output; }, false};
    JobPaths paths;
    if (wanted >= 1)
        paths.source = files[0];
    if (wanted == 2)
        paths.aux = files[1];
    const JobOutcome outcome = op.run(context, paths, parameters);
    return outcome == JobOutcome::Completed && context.writeFailures == 0 ? 0 : 1;
}

} // namespace sonarium
