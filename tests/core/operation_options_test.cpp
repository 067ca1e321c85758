// Command-line options derived from declarations, on a made-up operation holding every kind of
// field the operations use, with every kind of input and output.
#include "operations/operation_options.h"

#include <gtest/gtest.h>

namespace sonarium {
namespace {

OperationDecl everyKind(InputKind input, OutputKind output = OutputKind::WaveFile) {
    OperationDecl op;
    op.name = "every-kind";
    op.caption = "Every Kind 1.0";
    op.input = input;
    op.output = output;
    op.fields = {
        {.item = 1002,
         .label = "&Ratio (0.1, 1000) :",
         .member = "ratio",
         .type = FieldType::Double,
         .defaultValue = 300,
         .minimum = 0.1,
         .maximum = 1000,
         .unit = "%"},
        {.item = 1003,
         .label = "Sub &Gain (-100,100):",
         .member = "subGain",
         .type = FieldType::Float,
         .defaultValue = 100,
         .minimum = -100,
         .maximum = 100},
        {.item = 1004,
         .label = "&Level (2, 4096) :",
         .member = "L",
         .type = FieldType::Int16,
         .defaultValue = 20,
         .minimum = 2,
         .maximum = 4096,
         .option = "level"},
        {.item = 1005,
         .label = "&Output Rate (1, 200000) :",
         .member = "outputRate",
         .type = FieldType::Int32,
         .defaultValue = 44100,
         .minimum = 1,
         .maximum = 200000},
        {.item = 1006, .label = "&Curved", .member = "curved", .type = FieldType::CheckBox},
        {.member = "lfoShape",
         .type = FieldType::RadioGroup,
         .group = "LFO Shape",
         .choices = {{1110, "&Sine", "sine"}, {1111, "S&quare", "square"}}},
        {.member = "method",
         .type = FieldType::RadioGroup,
         .group = "Stepping method",
         .choices = {{1212, "&First", "first"}, {1209, "Mi&nimize", "minimize"}},
         .defaultChoice = "first"},
        {.item = 1007,
         .label = "&Formula :",
         .member = "operator",
         .type = FieldType::DropDownList,
         .choices = {{0, "mix", "mix"}, {0, "xor", "xor"}},
         .defaultChoice = "mix"},
        {.item = 1033,
         .label = "&Formula : ",
         .member = "formula",
         .type = FieldType::EditableList,
         .choices = {{0, "Acom= sin (a)", "Acom= sin (a)"}},
         .defaultChoice = "Acom= sin (a)",
         .maxLength = 30},
        {.item = 1008,
         .label = "&Source Rate (1, 200000) :",
         .type = FieldType::Text,
         .enabled = false},
        {.item = 1009,
         .label = "LFO &Frequency (0, 88200) :",
         .type = FieldType::Double,
         .maximum = 88200,
         .enabled = false},
    };
    return op;
}

struct Parsed {
    std::optional<std::string> problem;
    OperationArguments arguments;
};

Parsed parse(const OperationDecl& op, std::vector<std::string> arguments) {
    Parsed p;
    p.problem = parseOperationArguments(op, arguments, p.arguments);
    return p;
}

TEST(OperationOptions, DefaultsAndEveryKindOfValue) {
    const OperationDecl op = everyKind(InputKind::One);
    const Parsed defaults = parse(op, {"in.wav", "-o", "out.wav"});
    ASSERT_FALSE(defaults.problem) << *defaults.problem;
    const Parameters& d = defaults.arguments.parameters;
    EXPECT_EQ(d.number("ratio"), 300);
    EXPECT_EQ(d.number("L"), 20);
    EXPECT_FALSE(d.flag("curved"));
    EXPECT_EQ(d.text("lfoShape"), ""); // no button checked
    EXPECT_EQ(d.text("method"), "first");
    EXPECT_EQ(d.text("operator"), "mix");
    EXPECT_EQ(d.text("formula"), "Acom= sin (a)");
    EXPECT_EQ(defaults.arguments.input.source, "in.wav");
    EXPECT_EQ(defaults.arguments.input.selection, FrameSpan{});
    EXPECT_EQ(defaults.arguments.outputs, std::vector<std::string>{"out.wav"});

    const Parsed given =
        parse(op, {"--ratio", "0.1", "--sub-gain=0.1", "--level", "4096", "--output-rate", "8000",
                   "--curved", "--lfo-shape", "square", "--method=minimize", "--operator", "xor",
                   "--formula", "Acom= cos (a)", "-o", "out.wav", "in.wav"});
    ASSERT_FALSE(given.problem) << *given.problem;
    const Parameters& g = given.arguments.parameters;
    EXPECT_EQ(g.number("ratio"), 0.1);
    EXPECT_EQ(g.number("subGain"), static_cast<double>(0.1F)); // read in single precision
    EXPECT_EQ(g.number("L"), 4096);
    EXPECT_EQ(g.number("outputRate"), 8000);
    EXPECT_TRUE(g.flag("curved"));
    EXPECT_EQ(g.text("lfoShape"), "square");
    EXPECT_EQ(g.text("method"), "minimize");
    EXPECT_EQ(g.text("operator"), "xor");
    EXPECT_EQ(g.text("formula"), "Acom= cos (a)"); // an editable list takes a typed text
}

TEST(OperationOptions, Refusals) {
    const OperationDecl op = everyKind(InputKind::One);
    struct Case {
        std::vector<std::string> arguments;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {{"--ratio", "0.05"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "1e400"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "12abc"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "0x10"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "inf"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "1,5"}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", ""}, "Please enter a number between 0.1 and 1000."},
        {{"--ratio", "--5"}, "Please enter a number between 0.1 and 1000."},
        {{"--sub-gain", "-100.5"}, "Please enter a number between -100 and 100."},
        {{"--level", "1"}, "Please enter an integer between 2 and 4096."},
        {{"--level", "20.5"}, "Please enter an integer between 2 and 4096."},
        {{"--output-rate", "200001"}, "Please enter an integer between 1 and 200000."},
        {{"--lfo-shape", "triangle"}, "unknown value 'triangle' for --lfo-shape"},
        {{"--operator", "add"}, "unknown value 'add' for --operator"},
        {{"--formula", std::string(31, 'a')}, "Please enter no more than 30 characters."},
        {{"--curved=1"}, "--curved is a flag and takes no value"},
        {{"--lfo-frequency", "10"}, "unknown option --lfo-frequency"}, // disabled: not read
        {{"--source-rate", "10"}, "unknown option --source-rate"},
        {{"--ratio"}, "--ratio needs a value"},
        {{"-o"}, "-o needs a file name"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"in.wav"};
        if (c.arguments.back() != "-o" && c.arguments.back() != "--ratio") {
            arguments.push_back("-o");
            arguments.push_back("out.wav");
        }
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(parse(op, arguments).problem, c.problem) << c.arguments.front();
    }
}

TEST(OperationOptions, DecimalNumbersWhateverTheirForm) {
    const OperationDecl op = everyKind(InputKind::One);
    for (const auto& [text, value] : std::vector<std::pair<std::string, double>>{{"12", 12},
                                                                                 {" 12.5 ", 12.5},
                                                                                 {"+3", 3},
                                                                                 {".5", 0.5},
                                                                                 {"5.", 5},
                                                                                 {"1e2", 100},
                                                                                 {"0010", 10}}) {
        const Parsed p = parse(op, {"in.wav", "-o", "out.wav", "--ratio", text});
        ASSERT_FALSE(p.problem) << text;
        EXPECT_EQ(p.arguments.parameters.number("ratio"), value) << text;
    }
}

TEST(OperationOptions, InputsAndOutput) {
    constexpr auto kEnd = FrameSpan::kToEnd;
    struct Case {
        InputKind input;
        OutputKind output;
        std::vector<std::string> arguments;
        std::optional<std::string> problem;
        JobInput parsed; // checked when there is no problem
    };
    const std::vector<Case> cases = {
        {InputKind::None, OutputKind::WaveFile, {"-o", "out.wav"}, std::nullopt, {}},
        {InputKind::None,
         OutputKind::WaveFile,
         {"in.wav", "-o", "out.wav"},
         "this operation makes its file from its options alone and reads no input file (got "
         "'in.wav')",
         {}},
        {InputKind::One,
         OutputKind::WaveFile,
         {"-o", "out.wav"},
         "expected 1 input file(s), got 0",
         {}},
        {InputKind::Two,
         OutputKind::WaveFile,
         {"a.wav", "b.wav", "--output", "out.wav"},
         std::nullopt,
         {.source = "a.wav", .aux = "b.wav"}},
        {InputKind::Two,
         OutputKind::WaveFile,
         {"a.wav", "-o", "out.wav"},
         "expected 2 input file(s), got 1",
         {}},
        {InputKind::One, OutputKind::WaveFile, {"in.wav"}, "no output file: give -o OUT", {}},
        {InputKind::One,
         OutputKind::WaveFile,
         {"-o", "out.wav", "--", "-in.wav"}, // "--" ends the options
         std::nullopt,
         {.source = "-in.wav"}},
        {InputKind::Two,
         OutputKind::WaveFile,
         {"-o", "out.wav", "--", "--ratio", "-o"}, // after "--" only files
         std::nullopt,
         {.source = "--ratio", .aux = "-o"}},
        {InputKind::One,
         OutputKind::WaveFile,
         {"-single-dash.wav", "-o", "out.wav"},
         std::nullopt,
         {.source = "-single-dash.wav"}},
        {InputKind::One, OutputKind::TextReport, {"in.wav"}, std::nullopt, {.source = "in.wav"}},
        {InputKind::One,
         OutputKind::TextReport,
         {"in.wav", "-o", "out.txt"},
         "this operation prints its report: it takes no -o",
         {}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"in.wav", "-o", "out.wav"},
         std::nullopt,
         {.source = "in.wav", .selection = {0, kEnd}}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"--sel-start", "44100", "in.wav", "--sel-length=0", "-o", "out.wav"},
         std::nullopt,
         {.source = "in.wav", .selection = {44100, 0}}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"in.wav", "--sel-length", "4294967294", "-o", "out.wav"},
         std::nullopt,
         {.source = "in.wav", .selection = {0, 4294967294U}}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"in.wav", "--sel-start", "-1", "-o", "out.wav"},
         "--sel-start takes a number of frames, from 0 to 4294967294",
         {}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"in.wav", "--sel-length", "4294967295", "-o", "out.wav"},
         "--sel-length takes a number of frames, from 0 to 4294967294",
         {}},
        {InputKind::OneWithSelection,
         OutputKind::WaveFile,
         {"in.wav", "--sel-start", "1.5", "-o", "out.wav"},
         "--sel-start takes a number of frames, from 0 to 4294967294",
         {}},
        {InputKind::One,
         OutputKind::WaveFile,
         {"in.wav", "--sel-start", "10", "-o", "out.wav"},
         "unknown option --sel-start",
         {}},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(everyKind(c.input, c.output), c.arguments);
        EXPECT_EQ(p.problem, c.problem) << c.arguments.front();
        if (!p.problem) {
            EXPECT_EQ(p.arguments.input.source, c.parsed.source);
            EXPECT_EQ(p.arguments.input.aux, c.parsed.aux);
            EXPECT_EQ(p.arguments.input.selection, c.parsed.selection);
        }
    }
}

// An operation with two results takes one -o for each, in order, and two different names.
TEST(OperationOptions, OneOutputPerResult) {
    OperationDecl op = everyKind(InputKind::One);
    op.resultNames = {"LEFT", "RIGHT"};
    EXPECT_NE(describeOperation(op).find("[options] SOURCE -o LEFT -o RIGHT\n"), std::string::npos);
    struct Case {
        std::vector<std::string> arguments;
        std::optional<std::string> problem;
    };
    const Case cases[] = {
        {{"in.wav", "-o", "l.wav", "-o", "r.wav"}, std::nullopt},
        {{"in.wav", "-o", "l.wav"}, "expected 2 output file(s): give -o LEFT -o RIGHT"},
        {{"in.wav"}, "no output file: give -o LEFT -o RIGHT"},
        {{"in.wav", "-o", "l.wav", "-o", "l.wav"},
         "each result needs a file of its own ('l.wav' is given twice)"},
    };
    for (const Case& c : cases) {
        const Parsed p = parse(op, c.arguments);
        EXPECT_EQ(p.problem, c.problem) << c.arguments.size();
        if (!p.problem) {
            EXPECT_EQ(p.arguments.outputs, (std::vector<std::string>{"l.wav", "r.wav"}));
        }
    }
    op.resultNames.clear();
    EXPECT_EQ(parse(op, {"in.wav", "-o", "a.wav", "-o", "b.wav"}).problem,
              "expected 1 output file(s): give -o OUT");
}

TEST(OperationOptions, DescribeShowsTheInputsAndEveryReadField) {
    EXPECT_NE(describeOperation(everyKind(InputKind::None))
                  .find("usage: sonarium-cli every-kind [options] -o OUT\n"),
              std::string::npos);
    const std::string report = describeOperation(everyKind(InputKind::One, OutputKind::TextReport));
    EXPECT_NE(report.find("usage: sonarium-cli every-kind [options] SOURCE\n"), std::string::npos);
    const std::string selection = describeOperation(everyKind(InputKind::OneWithSelection));
    EXPECT_NE(selection.find("  --sel-start FRAMES"), std::string::npos);
    EXPECT_NE(selection.find("  --sel-length FRAMES"), std::string::npos);
    const std::string text = describeOperation(everyKind(InputKind::Two));
    for (const char* expected : {
             "usage: sonarium-cli every-kind [options] SOURCE AUX -o OUT\n",
             "  --ratio VALUE  double, default 300, range 0.1 .. 1000 %  (Ratio (0.1, 1000) :)\n",
             "  --sub-gain VALUE  float, default 100, range -100 .. 100",
             "  --level VALUE  int16, default 20, range 2 .. 4096",
             "  --output-rate VALUE  int32, default 44100, range 1 .. 200000",
             "  --curved  flag, default off  (Curved)\n",
             "  --lfo-shape sine|square  choice, default none  (LFO Shape)\n",
             "  --method first|minimize  choice, default first  (Stepping method)\n",
             "  --operator mix|xor  list, default mix",
             "  --formula Acom= sin (a)|TEXT  list-or-text, default Acom= sin (a), at most 30 "
             "characters",
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin:\n" << text;
    EXPECT_EQ(text.find("LFO Frequency"), std::string::npos);
    EXPECT_EQ(text.find("Source Rate"), std::string::npos);
}

} // namespace
} // namespace sonarium
