// sonarium-cli: runs the editor's operations on files without a display.
#include "exchange_commands.h"
#include "operation_commands.h"
#include "peaks_command.h"
#include "wavefile/staged_file.h"

#include <cstdio>
#include <cstring>
#include <string_view>

namespace {

constexpr const char* kUsage = "usage: sonarium-cli COMMAND [ARGS]\n"
                               "  --version        print the program version\n"
                               "  help             print this text\n"
                               "  list             the operations, one a line\n"
                               "  describe OP      the options of an operation\n"
                               "  OP [options] SOURCE [AUX] -o OUT\n"
                               "                   run an operation (progress shown on a\n"
                               "                   terminal unless --quiet is given)\n"
                               "  peaks FILE [--png OUT.png]\n"
                               "                   the 450 display columns of a wave file\n"
                               "  import-8bit SOURCE -o OUT\n"
                               "                   an 8-bit wave file as a 16-bit one\n"
                               "  export-8bit SOURCE -o OUT\n"
                               "                   a 16-bit wave file as an 8-bit one\n"
                               "  import-raw SOURCE -o OUT\n"
                               "                   any file's bytes as 16-bit mono values\n"
                               "  export-mp3 [--bitrate 128|160|192|224|256|320|none] SOURCE...\n"
                               "                   NAME.mp3 beside each SOURCE, through lame\n"
                               "  --               ends the options: the file names follow\n";

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
    {"import-8bit", sonarium::runImportEightBitCommand},
    {"export-8bit", sonarium::runExportEightBitCommand},
    {"import-raw", sonarium::runImportRawCommand},
    {"export-mp3", sonarium::runExportMp3Command},
};

} // namespace

int main(int argc, char* argv[]) {
    // Ctrl+C or a kill in the middle of a job leaves neither a result nor a temporary file.
    sonarium::removeStagedFilesOnSignals();
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::puts("sonarium-cli " SONARIUM_VERSION);
        return 0;
    }
    for (const Command& command : kCommands)
        if (command.name == argv[1])
            return command.run(argc - 2, argv + 2);
    // Every declared operation is a command of its own name.
    if (sonarium::isOperationName(argv[1]))
        return sonarium::runOperationCommand(argc - 1, argv + 1);
    std::fprintf(stderr, "sonarium-cli: unknown command '%s'\n%s", argv[1], kUsage);
    return 2;
}
