// The peaks command: the display scan on the command line, with the picture as a PNG file.
#include "peaks_command.h"

#include "display/display_scan.h"
#include "stderr_reporter.h"
#include "wavefile/staged_file.h"
#include "workspace/rename_file.h"

#include <cstdio>
#include <cstring>
#include <string>

#ifdef SONARIUM_WITH_PNG
#include "picture_module.h"
#endif

namespace sonarium {

namespace {

constexpr const char* kPeaksUsage = "usage: sonarium-cli peaks FILE [--png OUT.png]\n";

void printColumns(const DisplaySummary& summary) {
    const bool stereo = summary.channels == 2;
    std::string out;
    out.reserve(kDisplayColumns * 24);
    char line[64];
    for (std::size_t k = 0; k < kDisplayColumns; ++k) {
        const PeakPair& a = summary.channel1[k];
        const PeakPair& b = summary.channel2[k];
        const int n = stereo ? std::snprintf(line, sizeof line, "%zu %d %d %d %d\n", k, a.max,
                                             a.min, b.max, b.min)
                             : std::snprintf(line, sizeof line, "%zu %d %d\n", k, a.max, a.min);
        out.append(line, static_cast<std::size_t>(n));
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
}

#ifdef SONARIUM_WITH_PNG
// Draws the picture and writes it through a staged file: complete under its name, or absent.
bool writePicture(const DisplaySummary& summary, const char* pngPath, std::string& error) {
    std::string bytes;
    return encodeWaveformPng(summary, bytes, error) &&
           writeFileAtomically(pngPath, bytes.data(), bytes.size(), error);
}
#endif

} // namespace

int runPeaksCommand(int argc, char** argv) {
    const char* file = nullptr;
    const char* png = nullptr;
    bool options = true; // "--" ends the options: "-name.wav" may follow
    for (int i = 0; i < argc; ++i) {
        if (options && std::strcmp(argv[i], "--") == 0) {
            options = false;
        } else if (options && std::strcmp(argv[i], "--png") == 0 && i + 1 < argc) {
            png = argv[++i];
        } else if (options && argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "sonarium-cli peaks: unknown option '%s'\n%s", argv[i],
                         kPeaksUsage);
            return 2;
        } else if (file == nullptr) {
            file = argv[i];
        } else {
            std::fputs(kPeaksUsage, stderr);
            return 2;
        }
    }
    if (file == nullptr) {
        std::fputs(kPeaksUsage, stderr);
        return 2;
    }
#ifndef SONARIUM_WITH_PNG
    if (png != nullptr) {
        std::fputs("sonarium-cli peaks: this build cannot write pictures (built without Qt)\n",
                   stderr);
        return 2;
    }
#endif

    if (png != nullptr && isSameFile(file, png)) {
        std::fprintf(
            stderr, "File %s\nis the file being displayed: the picture cannot be written over it\n",
            png);
        return 1;
    }

    StderrReporter reporter; // the scan's warnings and errors, one after another
    DisplaySummary summary;
    switch (scanForDisplay(file, reporter, summary)) {
    case ScanStatus::Ok:
        break;
    case ScanStatus::NotWave:
        return 1;
    case ScanStatus::Unusable:
        std::fprintf(stderr, "File %s\nholds no PCM sound data to display.\n", file);
        return 1;
    }
    printColumns(summary);
#ifdef SONARIUM_WITH_PNG
    std::string error;
    if (png != nullptr && !writePicture(summary, png, error)) {
        std::fprintf(stderr, "The picture could not be written to %s\n%s\n", png, error.c_str());
        return 1;
    }
#endif
    return 0;
}

} // namespace sonarium
