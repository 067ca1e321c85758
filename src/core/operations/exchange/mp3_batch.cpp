// Every text of the batch that comes from a path is single-quoted, so no name can run anything.
#include "operations/exchange/mp3_batch.h"

#include "wavefile/staged_file.h"
#include "workspace/audio_root.h"
#include "workspace/working_list.h"

#include <array>
#include <system_error>

namespace sonarium {

namespace fs = std::filesystem;

bool isMp3RateOption(const std::string& option) {
    static constexpr std::array<const char*, 6> kOptions = {"-b 128", "-b 160", "-b 192",
                                                            "-b 224", "-b 256", "-b 320"};
    for (const char* known : kOptions)
        if (option == known)
            return true;
    return false;
}

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

Mp3Names mp3Names(const std::string& wavePath) {
    const std::string directory = directoryPart(wavePath);
    const std::string name = wavePath.substr(directory.size());
    Mp3Names names;
    if (directory.empty())
        names.folder = ".";
    else if (directory.size() == 1)
        names.folder = directory; // the root folder
    else
        names.folder = directory.substr(0, directory.size() - 1);
    names.stem = name.size() >= 4 ? name.substr(0, name.size() - 4) : std::string();
    return names;
}

std::string mp3ResultPath(const std::string& wavePath) {
    return directoryPart(wavePath) + mp3Names(wavePath).stem + ".mp3";
}

std::string mp3BatchLines(const std::string& wavePath, const std::string& option,
                          const std::string& encoder) {
    const Mp3Names names = mp3Names(wavePath);
    std::string lines = "cd -- " + shellQuoted(names.folder) + " &&\n";
    lines += shellQuoted(encoder);
    if (isMp3RateOption(option))
        lines += " " + option;
    lines += " " + shellQuoted(wavePath) + " &&\n";
    lines += "mv -f -- " + shellQuoted(names.stem + ".mp2") + " " +
             shellQuoted(names.stem + ".mp3") + "\n";
    return lines;
}

std::string mp3Batch(const std::vector<std::string>& wavePaths, const std::string& option,
                     const std::string& encoder) {
    std::string batch = "#!/bin/sh\n";
    for (const std::string& path : wavePaths)
        batch += mp3BatchLines(path, option, encoder);
    return batch;
}

fs::path mp3EncoderPath() {
    return resourceFile("mpenc");
}

fs::path mp3LauncherPath() {
    return resourceFile("mpenc-launch");
}

fs::path mp3BatchPath() {
    return resourceFile("mpenc.sh");
}

bool writeMp3Batch(const std::vector<std::string>& wavePaths, const std::string& option,
                   std::string& error) {
    const std::string batch = mp3Batch(wavePaths, option, mp3EncoderPath().string());
    std::error_code ignored;
    fs::create_directories(locationPath(Location::Resources), ignored);
    if (!writeFileAtomically(mp3BatchPath().string(), batch.data(), batch.size(), error))
        return false;
    // A copy of the encoder script made without its execute bits could not run from the batch.
    const fs::path encoder = mp3EncoderPath();
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    const fs::file_status status = fs::status(encoder, ignored);
    if (fs::is_regular_file(status) &&
        (status.permissions() & fs::perms::owner_exec) == fs::perms::none)
        fs::permissions(encoder, exec, fs::perm_options::add, ignored);
    return true;
}

} // namespace sonarium
