// The exchange commands run the editor's own jobs and batch; export-mp3 starts sh from an
// argument list and waits for it.
#include "exchange_commands.h"

#include "operations/exchange/audio_exchange.h"
#include "operations/exchange/eight_bit_export.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/mp3_batch.h"
#include "operations/exchange/raw_import.h"
#include "self_path.h"
#include "stderr_reporter.h"
#include "workspace/audio_root.h"
#include "workspace/preferences.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <spawn.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace sonarium {

namespace {

namespace fs = std::filesystem;

struct FileArguments {
    std::string source;
    std::string output;
};

// SOURCE -o OUT in any order; "--" ends the options.
std::optional<FileArguments> parseFileArguments(const char* command, int argc, char** argv) {
    FileArguments parsed;
    std::vector<std::string> files;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-o" || arg == "--output")) {
            if (i + 1 >= argc)
                break;
            if (argv[i + 1][0] == '\0') {
                std::fprintf(stderr,
                             "sonarium-cli %s: %s needs a file name: the name given is empty\n",
                             command, argv[i]);
                return std::nullopt;
            }
            parsed.output = argv[++i];
        } else if (options && arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "sonarium-cli %s: unknown option %s\n", command, argv[i]);
            return std::nullopt;
        } else {
            files.emplace_back(arg);
        }
    }
    if (files.size() != 1 || parsed.output.empty()) {
        std::fprintf(stderr, "usage: sonarium-cli %s SOURCE -o OUT\n", command);
        return std::nullopt;
    }
    parsed.source = files[0];
    return parsed;
}

int runFileJob(const char* command, int argc, char** argv, JobOutcome (*job)(JobContext&)) {
    const auto parsed = parseFileArguments(command, argc, argv);
    if (!parsed)
        return 2;
    StderrReporter reporter("sonarium-cli: ");
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    NullProgress progress;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = parsed->source},
                       .destination = [&parsed] { return parsed->output; },
                       .result = ResultFile::Finish};
    const JobOutcome outcome = job(context);
    return outcome == JobOutcome::Completed && context.writeFailures == 0 ? 0 : 1;
}

// True when an executable file of that name is in a folder of PATH.
bool onPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string_view folders = path != nullptr ? path : "";
    while (true) {
        const std::size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        if (folder.empty())
            folder = ".";
        const std::string candidate = folder + "/" + program;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return true;
        if (colon == std::string_view::npos)
            return false;
        folders.remove_prefix(colon + 1);
    }
}

// What identifies a file's version: a result replaced by the encoder differs in one of these.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};

    static FileStamp of(const std::string& path) {
        FileStamp stamp;
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return stamp;
        stamp.exists = true;
        stamp.device = info.st_dev;
        stamp.inode = info.st_ino;
        stamp.modified = info.st_mtim;
        return stamp;
    }
    bool sameAs(const FileStamp& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

// Runs "sh BATCH" and waits; the batch's output goes to stderr, so that stdout holds only the
// results. The exit status, or -1 when sh could not be started or was killed.
int runBatch(const std::string& batch) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
    std::string program = "sh";
    std::string script = batch;
    char* arguments[] = {program.data(), script.data(), nullptr};
    pid_t pid = 0;
    const int started = ::posix_spawnp(&pid, "sh", &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0)
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The arguments of a command whose options take values: "--name VALUE" or "--name=VALUE" for
// the names it knows, SOURCE and -o OUT in any order, "--" ending the options. Nothing (the
// usage or the fault printed) on a usage error.
struct ValueArguments {
    std::map<std::string, std::string, std::less<>> values;
    FileArguments files;
};

std::optional<ValueArguments> parseValueArguments(const char* command, const char* usage,
                                                  const std::vector<std::string_view>& names,
                                                  int argc, char** argv) {
    ValueArguments parsed;
    std::vector<std::string> files;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (options && (arg == "-o" || arg == "--output")) {
            if (i + 1 >= argc || argv[i + 1][0] == '\0') {
                std::fprintf(stderr, "sonarium-cli %s: %s needs a file name\n%s", command, argv[i],
                             usage);
                return std::nullopt;
            }
            parsed.files.output = argv[++i];
            continue;
        }
        if (options && arg.starts_with("--")) {
            const std::size_t equals = arg.find('=');
            const std::string_view name = arg.substr(
                2, equals == std::string_view::npos ? std::string_view::npos : equals - 2);
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                std::fprintf(stderr, "sonarium-cli %s: unknown option %s\n%s", command, argv[i],
                             usage);
                return std::nullopt;
            }
            if (equals != std::string_view::npos) {
                parsed.values[std::string(name)] = std::string(arg.substr(equals + 1));
            } else if (i + 1 < argc) {
                parsed.values[std::string(name)] = argv[++i];
            } else {
                std::fprintf(stderr, "sonarium-cli %s: --%s needs a value\n%s", command,
                             std::string(name).c_str(), usage);
                return std::nullopt;
            }
            continue;
        }
        if (options && arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "sonarium-cli %s: unknown option %s\n%s", command, argv[i], usage);
            return std::nullopt;
        }
        files.emplace_back(arg);
    }
    if (files.size() != 1 || parsed.files.output.empty()) {
        std::fputs(usage, stderr);
        return std::nullopt;
    }
    parsed.files.source = files[0];
    return parsed;
}

// A whole number from first to last inclusive written in decimal digits alone.
std::optional<long long> wholeNumber(std::string_view text, long long first, long long last) {
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || text[0] == '+' || text[0] == '-' || error != std::errc() || stop != end ||
        value < first || value > last)
        return std::nullopt;
    return value;
}

// Runs an audio exchange job on the files, as the other exchange commands do.
template <typename Settings>
int runAudioJob(const FileArguments& files, JobOutcome (*job)(JobContext&, const Settings&),
                const Settings& settings) {
    StderrReporter reporter("sonarium-cli: ");
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    NullProgress progress;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = files.source},
                       .destination = [&files] { return files.output; },
                       .result = ResultFile::Finish};
    const JobOutcome outcome = job(context, settings);
    return outcome == JobOutcome::Completed && context.writeFailures == 0 ? 0 : 1;
}

} // namespace

int runImportEightBitCommand(int argc, char** argv) {
    return runFileJob("import-8bit", argc, argv, importEightBit);
}

int runExportEightBitCommand(int argc, char** argv) {
    return runFileJob("export-8bit", argc, argv, exportEightBit);
}

int runImportRawCommand(int argc, char** argv) {
    return runFileJob("import-raw", argc, argv, importRaw);
}

int runImportCommand(int argc, char** argv) {
    constexpr const char* kUsage =
        "usage: sonarium-cli import [--rate keep|HZ] [--channels keep|mix|left|right|N,M]\n"
        "                           [--dither tpdf|none] [--seed N] SOURCE -o OUT\n";
    const auto parsed =
        parseValueArguments("import", kUsage, {"rate", "channels", "dither", "seed"}, argc, argv);
    if (!parsed)
        return 2;
    const auto bad = [&](const char* option, const std::string& value, const char* takes) {
        std::fprintf(stderr, "sonarium-cli import: --%s takes %s, not '%s'\n%s", option, takes,
                     value.c_str(), kUsage);
        return 2;
    };
    ImportSettings settings;
    for (const auto& [name, value] : parsed->values) {
        if (name == "rate") {
            if (value == "keep") {
                settings.rate = 0;
            } else if (const auto rate = wholeNumber(value, kMinImportRate, kMaxImportRate)) {
                settings.rate = static_cast<int>(*rate);
            } else {
                return bad("rate", value, "keep or a rate from 1000 to 384000 Hz");
            }
        } else if (name == "channels") {
            constexpr const char* kTakes = "keep, mix, left, right or two channel numbers N,M";
            if (value == "keep") {
                settings.channels = ImportChannels::Keep;
            } else if (value == "mix") {
                settings.channels = ImportChannels::Mix;
            } else if (value == "left") {
                settings.channels = ImportChannels::Left;
            } else if (value == "right") {
                settings.channels = ImportChannels::Right;
            } else {
                const std::size_t comma = value.find(',');
                const std::string_view text = value;
                const auto first = wholeNumber(text.substr(0, comma), 1, 1024);
                const auto second = comma == std::string::npos
                                        ? std::nullopt
                                        : wholeNumber(text.substr(comma + 1), 1, 1024);
                if (!first || !second)
                    return bad("channels", value, kTakes);
                // Numbered from 1 here, from 0 in the settings.
                settings.channels = ImportChannels::Pair;
                settings.first = static_cast<int>(*first - 1);
                settings.second = static_cast<int>(*second - 1);
            }
        } else if (name == "dither") {
            if (value != "tpdf" && value != "none")
                return bad("dither", value, "tpdf or none");
            settings.dither = value == "tpdf";
        } else if (name == "seed") {
            const auto seed = wholeNumber(value, 0, 0xFFFFFFFFLL);
            if (!seed)
                return bad("seed", value, "a whole number from 0 to 4294967295");
            settings.seed = static_cast<std::uint32_t>(*seed);
        }
    }
    return runAudioJob(parsed->files, importAudio, settings);
}

int runExportCommand(int argc, char** argv) {
    constexpr const char* kUsage =
        "usage: sonarium-cli export --format flac|ogg|opus|wav24|wavfloat|aiff [--quality Q]\n"
        "                           SOURCE -o OUT\n";
    const auto parsed = parseValueArguments("export", kUsage, {"format", "quality"}, argc, argv);
    if (!parsed)
        return 2;
    ExportSettings settings;
    const auto format = parsed->values.find("format");
    if (format == parsed->values.end()) {
        std::fprintf(stderr, "sonarium-cli export: --format is needed\n%s", kUsage);
        return 2;
    }
    if (const auto known = exportFormatOfWord(format->second)) {
        settings.format = *known;
    } else {
        std::fprintf(stderr, "sonarium-cli export: unknown format '%s'\n%s", format->second.c_str(),
                     kUsage);
        return 2;
    }
    if (const auto quality = parsed->values.find("quality"); quality != parsed->values.end()) {
        const std::string& text = quality->second;
        double value = -1;
        const char* end = text.data() + text.size();
        const auto [stop, error] = std::from_chars(text.data(), end, value);
        if (text.empty() || error != std::errc() || stop != end || !(value >= 0 && value <= 1)) {
            std::fprintf(stderr,
                         "sonarium-cli export: --quality takes a number from 0 to 1, not '%s'\n%s",
                         text.c_str(), kUsage);
            return 2;
        }
        settings.quality = value;
    }
    return runAudioJob(parsed->files, exportAudio, settings);
}

int runExportMp3Command(int argc, char** argv) {
    constexpr const char* kUsage =
        "usage: sonarium-cli export-mp3 [--bitrate 128|160|192|224|256|320|none] SOURCE...\n";
    std::optional<std::string> option;
    std::vector<std::string> sources;
    bool options = true;
    for (int i = 0; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
            continue;
        }
        if (options && (arg == "--bitrate" || arg.starts_with("--bitrate="))) {
            std::string value;
            if (arg == "--bitrate") {
                if (i + 1 >= argc) {
                    std::fputs(kUsage, stderr);
                    return 2;
                }
                value = argv[++i];
            } else {
                value = std::string(arg.substr(std::strlen("--bitrate=")));
            }
            option = value == "none" ? std::string() : "-b " + value;
            if (!option->empty() && !isMp3RateOption(*option)) {
                std::fprintf(stderr, "sonarium-cli export-mp3: unknown bit rate '%s'\n%s",
                             value.c_str(), kUsage);
                return 2;
            }
            continue;
        }
        if (options && arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "sonarium-cli export-mp3: unknown option %s\n%s", argv[i], kUsage);
            return 2;
        }
        sources.emplace_back(arg);
    }
    if (sources.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!onPath("lame")) {
        std::fputs("sonarium-cli export-mp3: lame, the MP3 encoder, was not found on PATH "
                   "(install the package lame)\n",
                   stderr);
        return 1;
    }
    StderrReporter reporter("sonarium-cli: ");
    if (!option) {
        // A missing preferences file means no option, as the editor's defaults say; not worth
        // a message here.
        SilentReporter quiet;
        Preferences preferences;
        LoadPreferences(quiet, resourceFile("prefs.snp").string(), preferences);
        option = preferences.mp3Option;
    }
    // Without an audio root there is nowhere for the encoder scripts: said once, nothing made.
    if (const std::string problem = audioRootProblem(); !problem.empty()) {
        std::fprintf(stderr, "sonarium-cli export-mp3: %s\n", problem.c_str());
        return 1;
    }
    // The encoder scripts are installed under the audio root as the editor installs them.
    const InstallResult installed = installMissingResources(findShippedData(executableFolder()));
    for (const std::string& failure : installed.failures)
        std::fprintf(stderr, "sonarium-cli: %s\n", failure.c_str());

    // Each source is checked before anything runs; the paths the batch names are absolute, so
    // that they do not depend on where it runs.
    const std::vector<Mp3Export> asked = mp3ExportsBeside(sources);
    const auto jobs = checkMp3Exports(reporter, asked);
    if (!jobs)
        return 1;
    int missing = static_cast<int>(asked.size() - jobs->size());
    if (jobs->empty())
        return 1;
    std::vector<FileStamp> before;
    for (const Mp3Export& job : *jobs)
        before.push_back(FileStamp::of(job.result));
    std::string error;
    const std::string batch = writeMp3Batch(*jobs, *option, error);
    if (batch.empty()) {
        // An audio root where nothing can be written has been told already.
        if (installed.failures.empty())
            std::fprintf(stderr,
                         "sonarium-cli export-mp3: the MP3 batch cannot be written in %s: %s\n",
                         locationPath(Location::Resources).string().c_str(), error.c_str());
        return 1;
    }
    const int status = runBatch(batch);
    std::error_code ignored;
    fs::remove(batch, ignored); // the batch removes itself; not when sh could not start it
    if (status < 0) {
        std::fputs("sonarium-cli export-mp3: sh could not be started\n", stderr);
        return 1;
    }
    for (std::size_t i = 0; i < jobs->size(); ++i) {
        const Mp3Export& job = (*jobs)[i];
        const FileStamp after = FileStamp::of(job.result);
        if (after.exists && !after.sameAs(before[i])) {
            std::printf("%s\n", job.result.c_str());
        } else {
            ++missing;
            reporter.report("File " + job.source + "\nwas not encoded: " + job.result +
                                (after.exists ? " is an earlier result" : " was not made"),
                            MessageIcon::Error);
        }
    }
    return missing == 0 ? 0 : 1;
}

} // namespace sonarium
