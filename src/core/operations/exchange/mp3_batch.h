// The MP3 export's batch: a POSIX sh script that runs the shipped encoder script on wave files,
// each encoding ending under its chosen result name (NAME.mp3 beside its source unless chosen
// otherwise). The encoder works in a fresh hidden folder beside the result, so that nothing a
// user owns is ever replaced or removed but the result itself, and each export writes a batch
// of its own, which removes itself when done.
#pragma once

#include "base/reporter.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sonarium {

// The six rate options ("-b 128" ... "-b 320"); any other text means no option.
bool isMp3RateOption(const std::string& option);

// text between single quotes, each quote written '\'' : sh takes every other character as it is.
std::string shellQuoted(const std::string& text);

// What the batch needs of one wave path P: its folder D (P up to its last separator, "/" for a
// file at the root, "." without a separator) and NAME, its file name less the last 4 characters.
struct Mp3Names {
    std::string folder;
    std::string stem;
};
Mp3Names mp3Names(const std::string& wavePath);
// Where the encoding of a wave path goes unless another name is chosen: D/NAME.mp3.
std::string mp3ResultPath(const std::string& wavePath);

// One encoding: the wave file and the MP3 file it becomes (both absolute).
struct Mp3Export {
    std::string source;
    std::string result;
};
// The encoding of each wave path to its own D/NAME.mp3, the paths made absolute.
std::vector<Mp3Export> mp3ExportsBeside(const std::vector<std::string>& wavePaths);

// The lines of one encoding: a fresh hidden folder ".NAME.XXXXXX" beside the result, the encoder
// run inside it on a link NAME.wav to the source (so that it leaves NAME.mp2 there), its NAME.mp2
// moved onto the result, the folder removed with the link and what the encoder left. A failed
// step ends that encoding only.
std::string mp3BatchLines(const Mp3Export& job, const std::string& option,
                          const std::string& encoder);
// "#!/bin/sh", the removal of the batch itself (batchPath) and of a hidden folder left by an
// interruption, then the lines of each encoding in order.
std::string mp3Batch(const std::vector<Mp3Export>& jobs, const std::string& option,
                     const std::string& encoder, const std::string& batchPath);

// The shipped scripts, in the resources folder under the audio root.
std::filesystem::path mp3EncoderPath();  // mpenc: one wave file to NAME.mp2 through lame
std::filesystem::path mp3LauncherPath(); // mpenc-launch: runs a batch in a terminal or detached

// Checks the encodings before anything runs. Two with one result refuse the whole export
// (nothing returned). Otherwise each source must be a readable 16-bit wave file with samples
// (the reader's message when not), and its result neither the source itself, however spelled,
// nor a read-only file or anything but a regular file: those are left out, each with its
// message. Returns the encodings that may run.
std::optional<std::vector<Mp3Export>> checkMp3Exports(Reporter& reporter,
                                                      const std::vector<Mp3Export>& jobs);

// Writes a batch of its own for the encodings in the resources folder (mpenc-XXXXXX.sh, a name
// no other export uses) and makes sure the encoder script can be run. Its path, or "" with the
// system's reason in error.
std::string writeMp3Batch(const std::vector<Mp3Export>& jobs, const std::string& option,
                          std::string& error);

} // namespace sonarium
