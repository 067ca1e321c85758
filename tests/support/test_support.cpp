// Implementation of the shared test helpers.
#include "test_support.h"

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace sonarium::test {

namespace fs = std::filesystem;

Answer RecordingReporter::present(const std::string& text, MessageIcon icon,
                                  MessageButtons buttons) {
    reports.push_back({text, icon, buttons});
    if (!answers.empty()) {
        Answer answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? Answer::Yes
                                                                                      : Answer::Ok;
}

std::vector<std::string> RecordingReporter::texts() const {
    std::vector<std::string> out;
    for (const auto& r : reports)
        out.push_back(r.text);
    return out;
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() /
            ("sonarium-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code error;
    // Read-only files and folders made by a test must not stop the clean-up.
    for (auto it = fs::recursive_directory_iterator(path_, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(path_, error);
}

void setEnvironment(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
#endif
}

TempAudioRoot::TempAudioRoot() {
    if (const char* old = std::getenv("SONARIUM_ROOT"))
        previous_ = old;
    setEnvironment("SONARIUM_ROOT", dir_.path().string());
}

TempAudioRoot::~TempAudioRoot() {
    setEnvironment("SONARIUM_ROOT", previous_);
}

void appendLe16(Bytes& bytes, std::uint32_t value) {
    bytes.push_back(static_cast<unsigned char>(value & 0xFF));
    bytes.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void appendLe32(Bytes& bytes, std::uint32_t value) {
    appendLe16(bytes, value & 0xFFFF);
    appendLe16(bytes, value >> 16);
}

void appendText(Bytes& bytes, const char* text) {
    for (const char* p = text; *p != '\0'; ++p)
        bytes.push_back(static_cast<unsigned char>(*p));
}

void appendChunk(Bytes& bytes, const char* id, const Bytes& payload) {
    appendText(bytes, id);
    appendLe32(bytes, static_cast<std::uint32_t>(payload.size()));
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    if (payload.size() % 2 != 0)
        bytes.push_back(0);
}

Bytes formatChunkPayload(int channels, int rate, int bits, int formatTag) {
    Bytes fmt;
    auto u = [](int v) { return static_cast<std::uint32_t>(v); };
    appendLe16(fmt, u(formatTag));
    appendLe16(fmt, u(channels));
    appendLe32(fmt, u(rate));
    appendLe32(fmt, u(rate * channels * bits / 8));
    appendLe16(fmt, u(channels * bits / 8));
    appendLe16(fmt, u(bits));
    return fmt;
}

Bytes samplesToBytes(const std::vector<std::int16_t>& samples) {
    Bytes out;
    out.reserve(samples.size() * 2);
    for (std::int16_t s : samples)
        appendLe16(out, static_cast<std::uint16_t>(s));
    return out;
}

Bytes buildWave(const WaveSpec& shape) {
    Bytes body;
    appendText(body, "WAVE");
    appendChunk(body, "fmt ",
                formatChunkPayload(shape.channels, shape.rate, shape.bits, shape.formatTag));
    body.insert(body.end(), shape.extraChunksBeforeData.begin(), shape.extraChunksBeforeData.end());
    Bytes data = samplesToBytes(shape.samples);
    appendText(body, "data");
    appendLe32(body, shape.dataSize.value_or(static_cast<std::uint32_t>(data.size())));
    body.insert(body.end(), data.begin(), data.end());
    body.insert(body.end(), shape.tail.begin(), shape.tail.end());
    Bytes file;
    appendText(file, "RIFF");
    appendLe32(file, shape.riffSize.value_or(static_cast<std::uint32_t>(body.size())));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::int16_t> ramp(std::size_t n, int start, int step) {
    std::vector<std::int16_t> out(n);
    int v = start;
    for (auto& s : out) {
        s = static_cast<std::int16_t>(v);
        v = ((v + step + 32768) % 65536) - 32768;
    }
    return out;
}

fs::path shippedDataDir() {
    return fs::path(SONARIUM_BUILD_DATA_DIR);
}

std::set<std::string> folderEntries(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::vector<MalformedWave> malformedWaves() {
    std::vector<MalformedWave> files;
    WaveSpec plain;
    plain.samples = ramp(200, -5000, 97);
    const Bytes valid = buildWave(plain);
    for (std::size_t length = 0; length < 44; ++length)
        files.push_back({"header cut at " + std::to_string(length),
                         Bytes(valid.begin(), valid.begin() + static_cast<long>(length))});
    auto variant = [&](const std::string& name, auto change) {
        WaveSpec shape = plain;
        change(shape);
        files.push_back({name, buildWave(shape)});
    };
    variant("RIFF size past the end", [](WaveSpec& s) { s.riffSize = 0x7FFFFFF0U; });
    variant("data size past the end", [](WaveSpec& s) { s.dataSize = 1000000; });
    variant("4 GiB of data declared", [](WaveSpec& s) { s.dataSize = 0xFFFFFFFFU; });
    variant("odd data size", [](WaveSpec& s) { s.dataSize = 3; });
    variant("one byte of data", [](WaveSpec& s) { s.dataSize = 1; });
    variant("no data", [](WaveSpec& s) { s.samples.clear(); });
    variant("8-bit", [](WaveSpec& s) { s.bits = 8; });
    variant("3 channels", [](WaveSpec& s) { s.channels = 3; });
    variant("float samples", [](WaveSpec& s) {
        s.formatTag = 3;
        s.bits = 32;
    });
    variant("odd chunk before data",
            [](WaveSpec& s) { appendChunk(s.extraChunksBeforeData, "LIST", Bytes(5, 'x')); });
    // Format chunks whose fields or size cannot be right.
    auto withFormat = [&](const std::string& name, Bytes payload, std::uint32_t declared) {
        Bytes bytes;
        appendText(bytes, "RIFF");
        appendLe32(bytes, 0);
        appendText(bytes, "WAVE");
        appendText(bytes, "fmt ");
        appendLe32(bytes, declared);
        bytes.insert(bytes.end(), payload.begin(), payload.end());
        appendChunk(bytes, "data", samplesToBytes(plain.samples));
        const auto riff = static_cast<std::uint32_t>(bytes.size() - 8);
        for (int k = 0; k < 4; ++k)
            bytes[4 + static_cast<std::size_t>(k)] = static_cast<unsigned char>(riff >> (8 * k));
        files.push_back({name, bytes});
    };
    Bytes noChannels = formatChunkPayload(1, 44100, 16);
    noChannels[2] = noChannels[3] = 0;
    withFormat("0 channels", noChannels, 16);
    Bytes noAlign = formatChunkPayload(1, 44100, 16);
    noAlign[12] = noAlign[13] = 0;
    withFormat("0 block align", noAlign, 16);
    withFormat("huge format chunk", formatChunkPayload(1, 44100, 16), 0xFFFFFFF0U);
    withFormat("format chunk too short", Bytes(6, 1), 6);
    Bytes zeroRate = formatChunkPayload(2, 0, 16);
    withFormat("0 sample rate", zeroRate, 16);
    // Missing chunks.
    Bytes noData;
    appendText(noData, "RIFF");
    appendLe32(noData, 4 + 8 + 16);
    appendText(noData, "WAVE");
    appendChunk(noData, "fmt ", formatChunkPayload(1, 44100, 16));
    files.push_back({"no data chunk", noData});
    Bytes noFormat;
    appendText(noFormat, "RIFF");
    appendLe32(noFormat, 4 + 8 + 400);
    appendText(noFormat, "WAVE");
    appendChunk(noFormat, "data", samplesToBytes(plain.samples));
    files.push_back({"no format chunk", noFormat});
    Bytes notWave = valid;
    notWave[8] = 'X';
    files.push_back({"not WAVE", notWave});
    return files;
}

} // namespace sonarium::test
