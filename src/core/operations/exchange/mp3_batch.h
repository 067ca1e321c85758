// The MP3 export's batch: a POSIX sh script that runs the shipped encoder script on wave files,
// each of which ends as NAME.mp3 beside itself.
#pragma once

#include <filesystem>
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
// Where the encoder leaves the result of a wave path: D/NAME.mp3.
std::string mp3ResultPath(const std::string& wavePath);

// The three lines of one path, joined by "&&": cd into D, the encoder on P, NAME.mp2 renamed to
// NAME.mp3. A failed cd or encoder ends that path's lines only.
std::string mp3BatchLines(const std::string& wavePath, const std::string& option,
                          const std::string& encoder);
// "#!/bin/sh" and the lines of each path in order.
std::string mp3Batch(const std::vector<std::string>& wavePaths, const std::string& option,
                     const std::string& encoder);

// The shipped scripts and the batch, in the resources folder under the audio root.
std::filesystem::path mp3EncoderPath();  // mpenc: one wave file to NAME.mp2 through lame
std::filesystem::path mp3LauncherPath(); // mpenc-launch: runs a batch in a terminal or detached
std::filesystem::path mp3BatchPath();    // mpenc.sh, replaced by each export

// Writes the batch for the paths (replacing the old one as a whole) and makes sure the encoder
// script can be run. False with the system's reason in error.
bool writeMp3Batch(const std::vector<std::string>& wavePaths, const std::string& option,
                   std::string& error);

} // namespace sonarium
