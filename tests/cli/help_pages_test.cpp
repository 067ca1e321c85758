// The help pages: written by the generator program exactly as declared, deterministic, faithful
// to every declaration, linked from the general pages in both languages, and in agreement with
// --help and describe.
#include "cli_runner.h"
#include "help_pages.h"
#include "operations/operation.h"
#include "operations/operation_options.h"
#include "test_support.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <regex>
#include <set>

namespace sonarium {
namespace {

namespace fs = std::filesystem;

constexpr HelpLanguage kLanguages[] = {HelpLanguage::English, HelpLanguage::French};

// The generator program's pages, written once into a temporary folder.
const fs::path& generatedHelp() {
    static const test::TempDir folder;
    static const bool written = [] {
        const test::CliRun run =
            test::runProgramForTests(SONARIUM_HELP_PATH, {folder.path().string()});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.status == 0;
    }();
    (void)written;
    return folder.path();
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The few entities the generator writes for text that came from a declaration.
std::string unescape(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (auto [entity, plain] : entities)
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + 1))
            text.replace(at, std::strlen(entity), plain);
    return text;
}

std::string withoutMnemonics(std::string_view label) {
    std::string out;
    for (std::size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&') {
            if (i + 1 < label.size() && label[i + 1] == '&')
                out += label[++i];
            continue;
        }
        out += label[i];
    }
    return out;
}

// The text of the cell of the given class in the row of the given id.
std::string cell(const std::string& page, const std::string& rowId, const std::string& cls) {
    const auto row = page.find("<tr id=\"" + rowId + "\"");
    if (row == std::string::npos)
        return "(no row " + rowId + ")";
    const auto rowEnd = page.find("</tr>", row);
    const std::string open = "<td class=\"" + cls + "\">";
    const auto start = page.find(open, row);
    if (start == std::string::npos || start > rowEnd)
        return "(no cell " + cls + ")";
    const auto end = page.find("</td>", start);
    return page.substr(start + open.size(), end - start - open.size());
}

TEST(HelpPages, TheProgramWritesExactlyThePagesAndRegeneratingGivesTheSameBytes) {
    const std::vector<HelpPage> first = generateHelpPages();
    const std::vector<HelpPage> second = generateHelpPages();
    ASSERT_EQ(first.size(), second.size());
    std::set<std::string> names;
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i].fileName);
        EXPECT_TRUE(names.insert(first[i].fileName).second) << "written twice";
        EXPECT_EQ(first[i].text, second[i].text);
        EXPECT_EQ(readText(generatedHelp() / first[i].fileName), first[i].text);
    }
    for (const auto& entry : fs::directory_iterator(generatedHelp()))
        EXPECT_EQ(names.count(entry.path().filename().string()), 1U)
            << entry.path() << " is not a generated page";
    // Written again over an older folder: a page no longer generated goes, the others stay.
    test::TempDir again;
    test::writeBytes(again.file("EFFOLD_1.0_english.html"), test::Bytes{'x'});
    const test::CliRun run = test::runProgramForTests(SONARIUM_HELP_PATH, {again.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(test::folderEntries(again.path()), names);
}

TEST(HelpPages, EveryFieldAppearsAsDeclared) {
    for (const OperationDecl* op : allOperations()) {
        if (op->helpCode.empty())
            continue;
        for (HelpLanguage language : kLanguages) {
            const std::string page =
                readText(generatedHelp() / helpFileName(op->helpCode, language));
            SCOPED_TRACE(helpFileName(op->helpCode, language));
            ASSERT_FALSE(page.empty());
            EXPECT_NE(page.find("<h1>" + unescape(std::string(op->caption))), std::string::npos);
            for (std::size_t i = 0; i < op->fields.size(); ++i) {
                const FieldSpec& f = op->fields[i];
                const std::string row = fieldRowId(i);
                SCOPED_TRACE(std::string(f.member) + " " + std::string(f.label));
                EXPECT_EQ(unescape(cell(page, row, "label")),
                          withoutMnemonics(f.group.empty() ? f.label : f.group));
                EXPECT_EQ(unescape(cell(page, row, "unit")), f.unit);
                EXPECT_EQ(page.find("<tr id=\"" + row + "\" class=\"disabled\"") !=
                              std::string::npos,
                          !f.enabled);
                const std::string option = cell(page, row, "option");
                EXPECT_EQ(option, f.enabled && !f.member.empty() && !op->editorOnly
                                      ? "--" + f.optionName()
                                      : "");
                if (f.isNumeric()) {
                    EXPECT_EQ(cell(page, row, "default"), formatBound(f.defaultValue));
                    EXPECT_EQ(cell(page, row, "range"),
                              formatBound(f.minimum) + " .. " + formatBound(f.maximum));
                }
                const std::string range = unescape(cell(page, row, "range"));
                for (const Choice& c : f.choices)
                    EXPECT_NE(range.find(withoutMnemonics(c.label)), std::string::npos);
                if (f.maxLength > 0) {
                    EXPECT_NE(range.find(std::to_string(f.maxLength)), std::string::npos);
                }
            }
            if (!op->completion.empty()) {
                EXPECT_NE(page.find("<q>" + std::string(op->completion) + "</q>"),
                          std::string::npos);
            }
        }
    }
}

TEST(HelpPages, EveryLinkLeadsToAPageAndEveryOperationIsReachedFromTheGeneralPage) {
    const std::regex link("href=\"([^\"#]*)(#[^\"]*)?\"");
    for (const auto& entry : fs::directory_iterator(generatedHelp())) {
        const std::string page = readText(entry.path());
        for (auto it = std::sregex_iterator(page.begin(), page.end(), link);
             it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[1].str();
            const std::string anchor = (*it)[2].str();
            const std::string targetPage =
                target.empty() ? page : readText(generatedHelp() / target);
            EXPECT_FALSE(targetPage.empty()) << entry.path() << " links to " << target;
            if (!anchor.empty()) {
                EXPECT_NE(targetPage.find("id=\"" + anchor.substr(1) + "\""), std::string::npos)
                    << entry.path() << " links to " << target << anchor;
            }
        }
    }
    for (HelpLanguage language : kLanguages) {
        const std::string general = readText(generatedHelp() / helpFileName("", language));
        for (const OperationDecl* op : allOperations()) {
            const std::string target = op->helpCode.empty() ? "#op-" + std::string(op->name)
                                                            : helpFileName(op->helpCode, language);
            EXPECT_NE(general.find("href=\"" + target + "\""), std::string::npos)
                << op->name << " is not linked from " << helpFileName("", language);
        }
        // The workspace dialogs' pages are reached too.
        for (const char* code : {"TOOPRE_1.6", "TOOPRE_1.2", "TOOHIS_1.0", "TOOBAT_1.1"})
            EXPECT_NE(general.find("href=\"" + helpFileName(code, language) + "\""),
                      std::string::npos);
    }
}

TEST(HelpPages, CommandLineHelpAgreesWithDescribeAndThePages) {
    const test::CliRun help = test::runCli({"--help"});
    ASSERT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("sonarium-cli describe OP"), std::string::npos);
    for (const OperationDecl* op : allOperations()) {
        const std::string name(op->name);
        SCOPED_TRACE(name);
        if (op->editorOnly) {
            EXPECT_EQ(help.out.find("\n  " + name + " "), std::string::npos);
            continue;
        }
        const auto at = help.out.find("\n  " + name + " ");
        ASSERT_NE(at, std::string::npos);
        const std::string line = help.out.substr(at + 1, help.out.find('\n', at + 1) - at - 1);
        EXPECT_TRUE(line.ends_with(" " + std::string(op->caption))) << line;
        const test::CliRun describe = test::runCli({"describe", name});
        const test::CliRun opHelp = test::runCli({name, "--help"});
        EXPECT_EQ(opHelp.status, 0);
        EXPECT_EQ(opHelp.out, describe.out);
        if (op->helpCode.empty())
            continue;
        // Every option line of describe is on both pages, word for word.
        for (HelpLanguage language : kLanguages) {
            const std::string page =
                unescape(readText(generatedHelp() / helpFileName(op->helpCode, language)));
            std::size_t start = 0;
            for (std::size_t end; (end = describe.out.find('\n', start)) != std::string::npos;
                 start = end + 1) {
                const std::string text = describe.out.substr(start, end - start);
                if (text.starts_with("  --")) {
                    EXPECT_NE(page.find(text), std::string::npos) << text;
                }
            }
        }
    }
}

#ifdef SONARIUM_MAN_PAGE_PATH
// The manual page has a section for every command of the command line and none for an
// operation of the editor only.
TEST(HelpPages, ManualPageHasEveryCommand) {
    const std::string page = readText(SONARIUM_MAN_PAGE_PATH);
    ASSERT_FALSE(page.empty());
    for (const OperationDecl* op : allOperations()) {
        std::string heading = "\n.SS ";
        for (char c : op->name)
            heading += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_EQ(page.find(heading + "\n") != std::string::npos, !op->editorOnly) << op->name;
    }
}
#endif

TEST(HelpPages, LabelsAsTheUserReadsThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"&Multiply Ratio (-32768,32767) :", "Multiply Ratio (-32768,32767) :"},
        {"Sim&ple &Formula", "Simple Formula"},
        {"Bass && Treble", "Bass &amp; Treble"},
        {"a <b> \"c\"", "a &lt;b&gt; &quot;c&quot;"},
        {"trailing &", "trailing "},
    };
    for (auto [label, shown] : cases)
        EXPECT_EQ(helpLabel(label), shown) << label;
}

} // namespace
} // namespace sonarium
