// The menu commands pair with the operation declarations, checked without the editor: every
// declaration has its row, and a missing one is named with what to add.
#include "frame/command_table.h"
#include "operations/operation.h"

#include <gtest/gtest.h>
#include <set>
#include <string>

namespace sonarium {
namespace {

// Each declaration has exactly one row, which runs it: an operation row, or a plain one for an
// operation run behind a command of its own (File statistics).
TEST(CommandRows, EveryDeclarationHasItsRow) {
    std::set<int> ids;
    for (const OperationDecl* op : allOperations()) {
        EXPECT_TRUE(ids.insert(op->commandId).second)
            << op->name << " takes command id " << op->commandId << " of another operation";
        int rows = 0;
        for (const CommandSpec& command : commandTable()) {
            if (command.id != op->commandId)
                continue;
            ++rows;
            EXPECT_TRUE(command.pattern == CommandPattern::Operation ||
                        command.pattern == CommandPattern::Plain)
                << op->name << ": the row of command " << op->commandId << " (\"" << command.caption
                << "\") does not run an operation";
        }
        EXPECT_NE(rows, 0) << "operation " << op->name << " (\"" << op->caption
                           << "\") has no menu row: add one line with command id " << op->commandId
                           << " to src/gui/frame/command_table.cpp";
        EXPECT_LE(rows, 1) << op->name << " has " << rows << " menu rows";
    }
}

// An operation row's completion text is its declaration's, never a second copy in the table;
// a spare one waits for a declaration without holding text of its own either.
TEST(CommandRows, OperationRowsTakeTheirTextFromTheDeclaration) {
    for (const CommandSpec& command : commandTable())
        if (command.pattern == CommandPattern::Operation) {
            EXPECT_TRUE(command.activity.empty()) << command.caption;
        }
}

} // namespace
} // namespace sonarium
