// sonarium-cli: runs the editor's operations on files without a display.
#include "command_line.h"

int main(int argc, char* argv[]) {
    sonarium::prepareCommandLineProcess();
    return sonarium::runCommandLine(argc, argv);
}
