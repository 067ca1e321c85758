// The declaration of an operation: everything its dialog, its command-line options, its help page
// and its tests need, written once.
#pragma once

#include "jobs/kernels.h"

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sonarium {

// How each kind of dialog control is declared:
// - edits of numbers: Double, Float (read as single precision), Int16, Int32 and Int64, with
//   default, minimum, maximum and unit; a value outside the range gets the range message;
// - a text edit: Text, with its default in defaultChoice and at most maxLength characters;
// - a check box: CheckBox, on when defaultValue is 1;
// - radio buttons: one RadioGroup field whose choices are the buttons (item, label, word) and
//   whose group is the caption of the box around them; defaultChoice is the word of the button
//   checked when the dialog opens, or empty when none is;
// - a drop-down list: DropDownList, its entries as choices (label shown, word passed to the job);
// - an editable drop-down list: EditableList, its entries as choices whose word is the entry's
//   text itself, as a typed text is passed on the same way (at most maxLength characters);
// - a control shown but never read: enabled = false and no member (it keeps its default look);
// - a command-line option with no control: commandLineOnly = true (the dialog's job gets the
//   default);
// - a control with no command-line option: dialogOnly = true (the command line states the same
//   thing through another option, which the dialog sets from its controls).
// The job receives numbers and check boxes with Parameters::number/flag, and radio groups, lists
// and texts with Parameters::text.
enum class FieldType {
    Double,       // edit, double precision
    Float,        // edit, single precision
    Int16,        // edit, 16-bit integer
    Int32,        // edit, 32-bit integer
    Int64,        // edit, integer wider than 32 bits (a whole unsigned 32-bit range, say)
    Text,         // edit holding text
    CheckBox,     // on/off
    RadioGroup,   // one choice among radio buttons (choices give each button's item and label)
    DropDownList, // one choice among fixed entries
    EditableList, // an entry that may also be typed
};

// One radio button or list entry: its dialog item (0 for list entries), its label, and the word
// that names it on the command line and to the job.
struct Choice {
    int item = 0;
    std::string_view label;
    std::string_view value;
};

struct FieldSpec {
    int item = 0;            // dialog item number (the widget's object name is "item<N>")
    std::string_view label;  // exactly as the dialog prints it
    std::string_view member; // the job's parameter name
    FieldType type = FieldType::Double;
    double defaultValue = 0; // numbers and check boxes (0/1)
    double minimum = 0;      // accepted range of numeric fields
    double maximum = 0;
    std::string_view unit;   // text after the edit ("%", "Hz", "smp")
    bool enabled = true;     // false: shown (in its default state) but never read
    std::string_view option; // command-line option without "--"; empty: the member in kebab-case
    std::string_view group;  // caption of the box around a radio group, or around fields (the
                             // consecutive fields that name the same box share it)
    std::vector<Choice> choices;    // radio groups and lists
    std::string_view defaultChoice; // the word of the default choice, or the default text
    int maxLength = 0;              // texts and editable lists: most characters (0: any)
    bool commandLineOnly = false;   // an option of the command line only: no dialog control
    bool dialogOnly = false;        // a dialog control only: no command-line option

    bool isNumeric() const;
    bool isInteger() const {
        return type == FieldType::Int16 || type == FieldType::Int32 || type == FieldType::Int64;
    }
    bool hasChoices() const { return !choices.empty(); }
    // Radio groups, lists and text edits hand the job a text rather than a number.
    bool isTextual() const { return hasChoices() || type == FieldType::Text; }
    std::string optionName() const;
};

// What an operation reads.
enum class InputKind {
    None,             // nothing: it makes a file from its parameters alone
    One,              // the Source file
    Two,              // the Source and the Aux files
    OneWithSelection, // the Source file and a stretch of it (the whole file by default)
};

// What an operation makes.
enum class OutputKind {
    WaveFile,     // a new wave file, opened in its own window
    TextReport,   // a text shown in a dialog (printed on stdout by the command line)
    ExternalFile, // a file another program writes (the MP3 encoder)
};

// The channel count of a wave result.
enum class OutputChannels { AsSource, Mono, Stereo };

struct OperationDecl;

// The values a job runs with, by member name. Asking for a member that was never set (the
// declaration has no such field) or for a number as a text is a programming error: it throws
// std::logic_error rather than handing the job a silent 0.
class Parameters {
public:
    Parameters() = default;
    // Parameters of an operation: choices are decoded through its declaration.
    explicit Parameters(const OperationDecl& operation) : operation_(&operation) {}

    void setNumber(std::string_view member, double value) { numbers_[std::string(member)] = value; }
    void setText(std::string_view member, std::string value) {
        texts_[std::string(member)] = std::move(value);
    }
    double number(std::string_view member) const;
    bool flag(std::string_view member) const { return number(member) != 0; }
    const std::string& text(std::string_view member) const;
    // The place of the member's word among its field's choices, in the declaration's order:
    // the value of an enumeration that lists the choices in that order. A word the field does not
    // list throws std::invalid_argument, never falling back to another choice; an empty word
    // (a radio group with no button checked) gives nothing.
    std::optional<std::size_t> choiceIndex(std::string_view member) const;
    template <typename Enum> Enum choice(std::string_view member) const {
        const auto index = choiceIndex(member);
        if (!index)
            throw std::invalid_argument("no choice made for '" + std::string(member) + "'");
        return static_cast<Enum>(*index);
    }
    template <typename Enum> std::optional<Enum> optionalChoice(std::string_view member) const {
        const auto index = choiceIndex(member);
        return index ? std::optional<Enum>(static_cast<Enum>(*index)) : std::nullopt;
    }

    // The members asked for so far: a test checks that decoding the settings reads them all.
    const std::set<std::string, std::less<>>& membersRead() const { return read_; }

private:
    const OperationDecl* operation_ = nullptr;
    mutable std::set<std::string, std::less<>> read_;
    std::map<std::string, double, std::less<>> numbers_;
    std::map<std::string, std::string, std::less<>> texts_;
};

struct OperationDecl {
    std::string_view name;        // command-line name ("volume")
    std::string_view caption;     // dialog caption ("Volume 1.0")
    std::string_view dialogClass; // "CVolumeDialog"; empty: the command runs without a dialog
    std::string_view helpCode;    // "EFFVOL_1.0"; empty without a dialog
    std::string_view completion;  // Activity text ("Volume eff - done"); empty: none is shown
    int commandId = 0;            // the menu command that runs it
    InputKind input = InputKind::One;
    OutputKind output = OutputKind::WaveFile;
    OutputChannels channels = OutputChannels::AsSource;
    // The names of the result files of an operation that writes more than one, in the order it
    // writes them ("LEFT", "RIGHT"): the command line takes one -o for each. Empty: one result.
    std::vector<std::string_view> resultNames;
    bool animation = false; // the dialog plays the "at work" clip
    // The dialog holds only its progress bar and runs its job by itself once it is shown: no
    // fields, no buttons, nothing to confirm (helpCode and helpItem stay empty).
    bool progressOnly = false;
    // The operation works on something only the editor has (the system clipboard): it keeps its
    // dialog, menu command and help page, but the command line has no command for it, and its
    // list, describe and manual page leave it out.
    bool editorOnly = false;
    int helpItem = 0; // item number of the dialog's Help button
    std::vector<FieldSpec> fields;
    // What the operation does where its fields do not say it all (modes, choices made where the
    // dialog leaves room); printed by describe and shown on the help page.
    std::string_view notes;
    // How the framework opens the files the operation reads.
    SourceRules sources;
    // Decodes the parameters into the operation's settings (every member read, every choice
    // checked) before any file is opened, and gives the kernel the framework runs. A parameter
    // the declaration does not have, or a choice it does not list, throws.
    std::function<Kernel(const Parameters&)> prepare;

    // Runs the operation: settings decoded, files opened, the kernel run, results finished.
    JobOutcome run(JobContext& context, const Parameters& p) const;

    const FieldSpec* field(std::string_view member) const;
    // Every field that has a member, at its default.
    Parameters defaults() const;
    bool hasDialog() const { return !dialogClass.empty(); }
    // How many files the operation reads: 0, 1 or 2.
    int sourceCount() const;
    // How many wave files it writes: 0 for a text report, else one per result name (at least 1).
    int resultCount() const;
};

// The "LFO Shape" box of "&Sine", "S&quare" and "&Triangle" buttons (items first .. first + 2)
// many dialogs show: disabled and never read unless the shape is given a member (and option).
FieldSpec lfoShapeField(int first, std::string_view member = {}, std::string_view option = {});

// "Please enter a number between %1 and %2." (or the integer form) when the value is outside
// the field's range, or when an integer field is given a fraction; nothing when it is accepted.
std::optional<std::string> rangeMessage(const FieldSpec& field, double value);
// "Please enter no more than %1 characters." when a text is longer than the field takes.
std::optional<std::string> lengthMessage(const FieldSpec& field, const std::string& text);
// The range bounds as the messages and the help pages print them.
std::string formatBound(double value);
// Parses the text of a numeric field; the range message when it is not a number of the field's
// kind or lies outside the range.
std::optional<std::string> parseFieldValue(const FieldSpec& field, const std::string& text,
                                           double& value);

// Declares, at file scope, the declaration's accessor of one operation of the list
// (SONARIUM_DECLARE_OPERATION(volume); gives volumeOperation()), defined in the operation's own
// file. A file that names an operation declares just that one: only the files that enumerate
// the list include operation_list.h, so a new line there recompiles its own file and those few.
#define SONARIUM_DECLARE_OPERATION(name)                                                           \
    namespace sonarium {                                                                           \
    const OperationDecl& name##Operation();                                                        \
    }                                                                                              \
    static_assert(true)

// Every operation of the list, in its order, and lookup by command-line name or command id.
std::span<const OperationDecl* const> allOperations();
const OperationDecl* findOperation(std::string_view name);
const OperationDecl* findOperationByCommand(int commandId);

} // namespace sonarium
