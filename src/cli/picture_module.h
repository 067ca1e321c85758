// The waveform picture of "peaks --png", drawn by a module loaded only when a picture is asked
// for: the command line itself starts without the drawing libraries (Qt and the rest), which
// would cost every run of every command their loading time.
#pragma once

#include "display/display_scan.h"

#include <cstddef>
#include <string>

namespace sonarium {

// The PNG bytes of the summary's picture, from the module beside the program (build tree) or
// in ../SONARIUM_MODULE_DIR (installed tree, e.g. lib/x86_64-linux-gnu/sonarium). False with the
// reason in error when there is no module or it could not draw.
bool encodeWaveformPng(const DisplaySummary& summary, std::string& png, std::string& error);

} // namespace sonarium

// The module's one entry point: calls sink(context, bytes, count) with the PNG file's bytes
// and returns 1, or returns 0 when the picture could not be encoded.
extern "C" {
using SonariumPngSink = void (*)(void* context, const char* bytes, std::size_t count);
int sonariumEncodeWaveformPng(const sonarium::DisplaySummary* summary, SonariumPngSink sink,
                              void* context);
}
