// sonarium-make-man OUT.1: writes the manual page of sonarium-cli from the operation
// declarations, so that every operation, its options, defaults and ranges appear as the program
// itself takes them. Runs at build time.
#include "operations/operation.h"
#include "operations/operation_options.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

// Text as roff prints it: backslashes escaped, a line starting with a control character
// protected, hyphens of options kept as hyphens.
std::string roff(const std::string& line) {
    std::string out;
    if (!line.empty() && (line[0] == '.' || line[0] == '\''))
        out = "\\&";
    for (char c : line) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    return out;
}

void writeOperation(std::ostream& out, const sonarium::OperationDecl& op) {
    std::istringstream describe(sonarium::describeOperation(op));
    std::string line;
    std::getline(describe, line); // "name - caption": the heading gives both
    out << ".SS " << roff(std::string(op.name)) << "\n" << roff(std::string(op.caption)) << "\n";
    out << ".PP\n.nf\n";
    bool notes = false;
    while (std::getline(describe, line)) {
        if (line.empty() && !notes) {
            out << ".fi\n";
            notes = true;
            continue;
        }
        out << (notes ? ".PP\n" : "") << roff(line) << "\n";
    }
    if (!notes)
        out << ".fi\n";
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: sonarium-make-man OUT.1\n";
        return 2;
    }
    std::ostringstream page;
    page << ".TH SONARIUM\\-CLI 1 \"\" \"sonarium " SONARIUM_VERSION "\" \"User Commands\"\n"
         << ".SH NAME\nsonarium\\-cli \\- run sonarium's sound operations on WAV files\n"
         << ".SH SYNOPSIS\n.nf\n"
         << "\\fBsonarium\\-cli\\fR \\fIOPERATION\\fR [\\fIoptions\\fR] [\\fISOURCE\\fR "
            "[\\fIAUX\\fR]] \\-o \\fIOUT\\fR\n"
         << "\\fBsonarium\\-cli list\\fR\n"
         << "\\fBsonarium\\-cli describe\\fR \\fIOPERATION\\fR\n"
         << "\\fBsonarium\\-cli peaks\\fR \\fIFILE\\fR [\\-\\-png \\fIOUT.png\\fR]\n"
         << "\\fBsonarium\\-cli history\\fR [\\-\\-json] \\fIFILE\\fR\n"
         << "\\fBsonarium\\-cli replay\\fR \\fICHAIN\\fR \\-\\-input \\fIORIGINAL\\fR=\\fINEW\\fR... "
            "\\-o \\fIOUT\\fR\n"
         << "\\fBsonarium\\-cli batch\\fR \\fICHAIN\\fR [\\-\\-jobs \\fIN\\fR] [\\-\\-resume] "
            "\\-o \\fIDIR\\fR \\fIFILE\\fR...\n"
         << "\\fBsonarium\\-cli \\-\\-version\\fR\n.fi\n"
         << ".SH DESCRIPTION\n"
         << "Runs the operations of the sonarium sound editor on 16\\-bit PCM WAV files without "
            "a display. Every operation reads its files and writes a new one; no source is ever "
            "changed. A result is written under a temporary name and takes its own name only "
            "once complete.\n"
         << ".PP\nOptions left out take the editor dialog's defaults. A value outside its range "
            "is refused with the dialog's own message. \\-\\-quiet hides the progress line "
            "shown while a job runs on a terminal. \\-\\- ends the options.\n"
         << ".PP\n\\-\\-record keeps what made the result (the operation, its options, the "
            "files read with their sizes and content hashes) in history.jsonl beside it. "
            "\\fBhistory\\fR prints the POSIX sh script that makes \\fIFILE\\fR again from "
            "its original files (\\-\\-json: the records); \\fBreplay\\fR runs such a chain "
            "on other originals; \\fBbatch\\fR replays it on every \\fIFILE\\fR, \\fIN\\fR at "
            "a time, each result in \\fIDIR\\fR under its input's name, and exits with 1 when any "
            "failed.\n"
         << ".SH OPERATIONS\n";
    for (const sonarium::OperationDecl* op : sonarium::allOperations())
        if (!op->editorOnly)
            writeOperation(page, *op);
    page << ".SH EXIT STATUS\n"
         << ".TP\n0\nThe operation completed.\n"
         << ".TP\n1\nThe operation ended with a message (unreadable input, full disk, "
            "refused parameters); no result was left.\n"
         << ".TP\n2\nThe command line could not be used (unknown option, value out of range).\n"
         << ".SH ENVIRONMENT\n.TP\nSONARIUM_ROOT\n"
         << "The audio folder holding sonarium's resources and temporary results "
            "(default: ~/audio).\n"
         << ".SH SEE ALSO\n.BR sonarium (1),\nthe editor.\n";
    std::ofstream file(argv[1], std::ios::binary);
    file << page.str();
    file.close();
    if (!file) {
        std::cerr << "sonarium-make-man: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
