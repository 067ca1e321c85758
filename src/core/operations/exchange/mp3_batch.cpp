// Every text of the batch that comes from a path is single-quoted, so no name can run anything.
#include "operations/exchange/mp3_batch.h"

#include "base/shell_quote.h"
#include "jobs/block_job.h"
#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"
#include "workspace/rename_file.h"
#include "workspace/working_list.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <set>
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
    return singleQuoted(text);
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

std::vector<Mp3Export> mp3ExportsBeside(const std::vector<std::string>& wavePaths) {
    std::vector<Mp3Export> jobs;
    for (const std::string& path : wavePaths) {
        std::error_code error;
        const fs::path absolute = fs::absolute(nativePath(path), error);
        const std::string source = error ? path : absolute.string();
        jobs.push_back({source, mp3ResultPath(source)});
    }
    return jobs;
}

namespace {

// The longest file name the file systems in use take (NAME_MAX).
constexpr std::size_t kNameMax = 255;

// The template of the hidden working folder beside a result: ".NAME.XXXXXX", NAME shortened when
// the whole would pass the system's limit (the result's own name is never shortened).
std::string workFolderTemplate(const std::string& result) {
    const std::string directory = directoryPart(result);
    std::string name = result.substr(directory.size());
    constexpr std::size_t kAdded = 1 + 7; // "." before, ".XXXXXX" after
    if (name.size() > kNameMax - kAdded)
        name.resize(kNameMax - kAdded);
    return (directory.empty() ? std::string("./") : directory) + "." + name + ".XXXXXX";
}

} // namespace

std::string mp3BatchLines(const Mp3Export& job, const std::string& option,
                          const std::string& encoder) {
    // The encoder reads the source through a link named NAME.wav in the hidden folder: whatever
    // the source's own name (old.mp2, say), it is read as the wave file it is, and its NAME.mp2
    // is made there too.
    const std::string stem = mp3Names(job.source).stem;
    const std::string result = shellQuoted(job.result);
    std::string lines = "m=" + shellQuoted(stem + ".mp2") + "\n";
    lines += "w=" + shellQuoted(stem + ".wav") + "\n";
    lines += "if t=$(mktemp -d " + shellQuoted(workFolderTemplate(job.result)) + ") && [ ! -d " +
             result + " ] && ln -s -- " + shellQuoted(job.source) + " \"$t/$w\"; then\n";
    lines += "    (cd -- \"$t\" && exec " + shellQuoted(encoder);
    if (isMp3RateOption(option))
        lines += " " + option;
    lines += " \"$t/$w\") && mv -f -- \"$t/$m\" " + result + "\n";
    lines += "fi\nfinish\n";
    return lines;
}

std::string mp3Batch(const std::vector<Mp3Export>& jobs, const std::string& option,
                     const std::string& encoder, const std::string& batchPath) {
    std::string batch =
        "#!/bin/sh\n"
        "# An MP3 export: each encoding works in a hidden folder of its own beside\n"
        "# its result; the folder, and this batch, go when done or interrupted.\n"
        "t=\n"
        "m=\n"
        "w=\n"
        "finish() {\n"
        "    if [ -n \"$t\" ]; then\n"
        "        rm -f -- \"$t/$m\" \"$t/$w\"\n"
        "        rmdir -- \"$t\"\n"
        "    fi\n"
        "    t=\n"
        "}\n";
    batch += "trap " + shellQuoted("finish; rm -f -- " + shellQuoted(batchPath)) + " EXIT\n";
    batch += "trap 'exit 130' INT TERM HUP\n";
    for (const Mp3Export& job : jobs)
        batch += mp3BatchLines(job, option, encoder);
    return batch;
}

fs::path mp3EncoderPath() {
    return resourceFile("mpenc");
}

fs::path mp3LauncherPath() {
    return resourceFile("mpenc-launch");
}

std::optional<std::vector<Mp3Export>> checkMp3Exports(Reporter& reporter,
                                                      const std::vector<Mp3Export>& jobs) {
    // Two encodings with one result would lose one of them: nothing runs.
    std::map<std::string, std::size_t> results;
    std::set<std::string> sources;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string identity = fileIdentity(jobs[i].result);
        const auto [earlier, added] =
            results.emplace(identity.empty() ? jobs[i].result : identity, i);
        if (!added) {
            reporter.report("Files " + jobs[earlier->second].source + "\nand " + jobs[i].source +
                                "\nwould both be encoded to " + jobs[i].result +
                                "\n\nNothing was exported.",
                            MessageIcon::Error);
            return std::nullopt;
        }
        sources.insert(fileIdentity(jobs[i].source));
    }
    std::vector<Mp3Export> accepted;
    const WaveContext wave{reporter, "", {}};
    NullProgress progress;
    for (const Mp3Export& job : jobs) {
        JobContext context{.wave = wave, .progress = progress, .input = {.source = job.source}};
        // The reader's own refusals: no file, a FIFO, a device, a folder, no wave data, not 16-bit.
        auto reader = openJobSource(context, job.source);
        if (!reader)
            continue;
        reader->CloseRead();
        if (sources.count(fileIdentity(job.result)) != 0) {
            reporter.report("File " + job.result +
                                "\nis a source of this operation: the result cannot be written "
                                "over it",
                            MessageIcon::Error);
            continue;
        }
        std::error_code error;
        const fs::file_status status = fs::symlink_status(nativePath(job.result), error);
        if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_symlink(status)) {
            reporter.report(
                "File " + job.result + "\ncannot be created\n" +
                    (fs::is_directory(status) ? "Is a directory" : "not a regular file"),
                MessageIcon::Error);
            continue;
        }
        if (fs::is_regular_file(status) &&
            (status.permissions() & (fs::perms::owner_write | fs::perms::group_write |
                                     fs::perms::others_write)) == fs::perms::none) {
            reporter.report("File " + job.result + " is read-only", MessageIcon::Error);
            continue;
        }
        accepted.push_back(job);
    }
    return accepted;
}

std::string writeMp3Batch(const std::vector<Mp3Export>& jobs, const std::string& option,
                          std::string& error) {
    std::error_code ignored;
    fs::create_directories(locationPath(Location::Resources), ignored);
    // A name of its own: two exports at once never run each other's batch.
    static std::mt19937 random(std::random_device{}());
    std::string path;
    BinaryFile file;
    for (int attempt = 0; attempt < 100 && !file.isOpen(); ++attempt) {
        char name[32];
        std::snprintf(name, sizeof name, "mpenc-%06x.sh",
                      static_cast<unsigned>(random() & 0xFFFFFF));
        path = resourceFile(name).string();
        if (!file.open(path, BinaryFile::Mode::CreateNew) &&
            file.openError() != std::strerror(EEXIST)) {
            error = file.openError();
            return {};
        }
    }
    if (!file.isOpen()) {
        error = std::strerror(EEXIST);
        return {};
    }
    const std::string batch = mp3Batch(jobs, option, mp3EncoderPath().string(), path);
    if (!file.write(batch.data(), batch.size()) || !file.close()) {
        error = std::strerror(errno != 0 ? errno : EIO);
        file.close();
        fs::remove(nativePath(path), ignored);
        return {};
    }
    // A copy of the encoder script made without its execute bits could not run from the batch.
    const fs::path encoder = mp3EncoderPath();
    const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
    const fs::file_status status = fs::status(encoder, ignored);
    if (fs::is_regular_file(status) &&
        (status.permissions() & fs::perms::owner_exec) == fs::perms::none)
        fs::permissions(encoder, exec, fs::perm_options::add, ignored);
    return path;
}

} // namespace sonarium
