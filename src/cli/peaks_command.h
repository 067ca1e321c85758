// sonarium-cli peaks: the 450 display columns of a wave file, and optionally its picture.
#pragma once

namespace sonarium {

// Runs "peaks FILE [--png OUT.png]"; argv holds the arguments after the command's name. Prints
// one line per column ("k max min", or "k max1 min1 max2 min2" for a stereo file) on stdout and
// the scan's messages on stderr. Returns 0 on success, 1 when the file cannot be displayed or the
// picture cannot be written, 2 on a usage error.
int runPeaksCommand(int argc, char** argv);

} // namespace sonarium
