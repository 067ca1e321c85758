// The help pages, written from the operation declarations and the command table: one page per
// operation dialog and language, the general pages that link them by menu, and the pages of the
// workspace dialogs.
#pragma once

#include "operations/operation.h"

#include <string>
#include <string_view>
#include <vector>

namespace sonarium {

enum class HelpLanguage { English, French };

struct HelpPage {
    std::string fileName; // "EFFVOL_1.0_english.html", "_francais.html"
    std::string text;
};

// The file name of a page: <CODE>_english.html or <CODE>_francais.html; an empty code names the
// general page.
std::string helpFileName(std::string_view code, HelpLanguage language);

// A dialog label as the user reads it: mnemonic ampersands removed ("&&" stays one "&"), then
// escaped for HTML.
std::string helpLabel(std::string_view label);
std::string htmlEscape(std::string_view text);

// The menu path of a command, from the command table: "Effect > Volume", "Edit > Fade > Fade In"
// or, for a toolbar-only command, "Effects toolbar > Silent zone". Empty for an unknown id.
std::string menuPath(int commandId, HelpLanguage language);

// The page of one operation with a dialog.
std::string operationPage(const OperationDecl& operation, HelpLanguage language);

// Every page, in a fixed order; the same bytes on every run.
std::vector<HelpPage> generateHelpPages();

// The id of the table row of a field on the operation's page ("field0", "field1"...), in
// declaration order.
std::string fieldRowId(std::size_t index);

} // namespace sonarium
