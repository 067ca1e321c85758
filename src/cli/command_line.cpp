// sonarium-cli's commands: the first argument chooses one, which gets the rest.
#include "command_line.h"

#include "chain_commands.h"
#include "exchange_commands.h"
#include "operation_commands.h"
#include "operations/operation.h"
#include "peaks_command.h"
#include "wavefile/staged_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

// A command gets the arguments after its own name.
struct Command {
    std::string_view name;
    int (*run)(int argc, char** argv);
};

int runList(int, char**) {
    return sonarium::runListCommand();
}

// One line per command; a command in a file of its own adds one entry here.
constexpr Command kCommands[] = {
    {"list", runList},
    {"describe", sonarium::runDescribeCommand},
    {"peaks", sonarium::runPeaksCommand},
    {"import", sonarium::runImportCommand},
    {"export", sonarium::runExportCommand},
    {"import-8bit", sonarium::runImportEightBitCommand},
    {"export-8bit", sonarium::runExportEightBitCommand},
    {"import-raw", sonarium::runImportRawCommand},
    {"export-mp3", sonarium::runExportMp3Command},
    {"history", sonarium::runHistoryCommand},
    {"replay", sonarium::runReplayCommand},
    {"batch", sonarium::runBatchCommand},
};

// The usage lines; a line naming a command is printed only when that command exists.
struct UsageLine {
    std::string_view command; // empty: always printed
    std::string_view text;
};

constexpr UsageLine kUsage[] = {
    {"list", "sonarium-cli list                         one line per operation: name, caption"},
    {"describe",
     "sonarium-cli describe OP                  its parameters: name, type, default, range"},
    {"", "sonarium-cli OP [--param V | --flag]... [--quiet] [--record] [--threads N]"},
    {"", "             [SOURCE [AUX]] -o OUT"},
    {"", "                                          (progress on a terminal unless --quiet;"},
    {"", "                                          --record: what made OUT kept in history.jsonl"},
    {"", "                                          beside it; --threads N: compute on N threads,"},
    {"", "                                          0 for every core, the default)"},
    {"", "sonarium-cli OP --help                    the same as describe OP"},
    {"import", "sonarium-cli import [--rate keep|HZ] [--channels keep|mix|left|right|N,M]\n"
               "                      [--dither tpdf|none] [--seed N] SOURCE -o OUT\n"
               "                                          any sound file (WAV, FLAC, Ogg, MP3...) "
               "as a 16-bit one"},
    {"export", "sonarium-cli export --format flac|ogg|opus|wav24|wavfloat|aiff [--quality Q]\n"
               "                      SOURCE -o OUT       a 16-bit wave file in another format"},
    {"import-8bit", "sonarium-cli import-8bit SOURCE -o OUT    an 8-bit wave file as a 16-bit one"},
    {"export-8bit", "sonarium-cli export-8bit SOURCE -o OUT    a 16-bit wave file as an 8-bit one"},
    {"import-raw",
     "sonarium-cli import-raw SOURCE -o OUT     any file's bytes as 16-bit mono values"},
    {"export-mp3", "sonarium-cli export-mp3 [--bitrate 128|160|192|224|256|320|none] SOURCE...\n"
                   "                                          NAME.mp3 beside each SOURCE, through "
                   "lame"},
    {"info", "sonarium-cli info FILE                    the File Information text"},
    {"stats", "sonarium-cli stats FILE                   the File statistics fields"},
    {"peaks", "sonarium-cli peaks FILE [--png OUT.png]   the 450 display columns (and the "
              "450x256 picture)"},
    {"history",
     "sonarium-cli history [--json] FILE      the script that makes FILE again from its\n"
     "                                          originals (--json: the records)"},
    {"replay", "sonarium-cli replay CHAIN --input ORIGINAL=NEW... -o OUT\n"
               "                                          the chain (a history script or records) "
               "on other originals"},
    {"batch", "sonarium-cli batch CHAIN [--jobs N] [--resume] -o DIR FILE...\n"
              "                                          the chain on every FILE, N at a time, "
              "results in DIR"},
    {"", "sonarium-cli --help | --version"},
};

bool hasCommand(std::string_view name) {
    for (const Command& command : kCommands)
        if (command.name == name)
            return true;
    return false;
}

// The usage lines, then every operation with its caption.
std::string usageText() {
    std::string text = "usage:\n";
    for (const UsageLine& line : kUsage)
        if (line.command.empty() || hasCommand(line.command))
            text += "  " + std::string(line.text) + "\n";
    text += "\n\"--\" ends the options: the file names follow.\n\noperations:\n";
    for (const sonarium::OperationDecl* op : sonarium::allOperations()) {
        if (op->editorOnly)
            continue;
        std::string name(op->name);
        name.resize(std::max<std::size_t>(name.size(), 24), ' ');
        text += "  " + name + " " + std::string(op->caption) + "\n";
    }
    return text;
}

// The status of a command whose printed output must also have reached its destination: what
// could not be written (a full disk, a closed pipe) makes a successful command fail.
int outputWritten(int status) {
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && std::ferror(stdout) == 0;
    if (flushed)
        return status;
    const int error = errno != 0 ? errno : EIO;
    std::fprintf(stderr, "sonarium-cli: the output could not be written: %s\n",
                 std::strerror(error));
    return status == 0 ? 1 : status;
}

} // namespace

namespace sonarium {

void prepareCommandLineProcess() {
    // Ctrl+C or a kill in the middle of a job leaves neither a result nor a temporary file.
    removeStagedFilesOnSignals();
    // What a command prints leaves in one piece when it ends (a pipe or file takes it in blocks
    // anyway), so that a write that fails is seen there with the system's reason.
    static char outputBuffer[1 << 20];
    if (::isatty(STDOUT_FILENO) == 0)
        std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
}

int runCommandLine(int argc, char* argv[]) {
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usageText().c_str(), argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : outputWritten(0);
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("sonarium-cli " SONARIUM_VERSION);
        return outputWritten(0);
    }
    // A job's own errors are caught around it (with the operation's name); this catches what
    // escapes the rest of a command.
    try {
        for (const Command& command : kCommands)
            if (command.name == argv[1])
                return outputWritten(command.run(argc - 2, argv + 2));
        // Every declared operation but the editor-only ones is a command of its own name.
        if (isOperationName(argv[1]))
            return outputWritten(runOperationCommand(argc - 1, argv + 1));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "sonarium-cli: Internal error: %s\n", error.what());
        return kInternalErrorStatus;
    } catch (...) {
        std::fputs("sonarium-cli: Internal error: an error that is not a standard exception\n",
                   stderr);
        return kInternalErrorStatus;
    }
    std::fprintf(stderr, "sonarium-cli: unknown command '%s'\n%s", argv[1], usageText().c_str());
    return 2;
}

} // namespace sonarium
