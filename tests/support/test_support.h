// Helpers shared by the test suites: a recording reporter, temporary folders and audio roots,
// and builders for wave files of any shape, well-formed or not.
#pragma once

#include "base/reporter.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sonarium::test {

struct Report {
    std::string text;
    MessageIcon icon;
    MessageButtons buttons;
};

// Records every message; answers with the queued answers in order, then with OK/Yes.
class RecordingReporter final : public Reporter {
public:
    std::vector<Report> reports;
    std::vector<Answer> answers;
    std::vector<std::string> texts() const;

protected:
    Answer present(const std::string& text, MessageIcon icon, MessageButtons buttons) override;
};

// A fresh folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Points SONARIUM_ROOT at a temporary folder for the lifetime of the object.
class TempAudioRoot {
public:
    TempAudioRoot();
    ~TempAudioRoot();
    TempAudioRoot(const TempAudioRoot&) = delete;
    TempAudioRoot& operator=(const TempAudioRoot&) = delete;
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::optional<std::string> previous_;
};

void setEnvironment(const char* name, const std::optional<std::string>& value);

using Bytes = std::vector<unsigned char>;

void appendLe16(Bytes& bytes, std::uint32_t value);
void appendLe32(Bytes& bytes, std::uint32_t value);
void appendText(Bytes& bytes, const char* text);
void appendChunk(Bytes& bytes, const char* id, const Bytes& payload);
Bytes formatChunkPayload(int channels, int rate, int bits, int formatTag = 1);
Bytes samplesToBytes(const std::vector<std::int16_t>& samples);

// A RIFF/WAVE file: format chunk, any extra chunks, the data chunk, then an optional tail
// (a trailer, say). riffSize and dataSize override the honest sizes when given.
struct WaveSpec {
    int channels = 1;
    int rate = 44100;
    int bits = 16;
    int formatTag = 1;
    std::vector<std::int16_t> samples;
    Bytes extraChunksBeforeData;
    Bytes tail;
    std::optional<std::uint32_t> riffSize;
    std::optional<std::uint32_t> dataSize;
};
Bytes buildWave(const WaveSpec& shape);

// A malformed or unusual wave file, named for what is wrong with it.
struct MalformedWave {
    std::string name;
    Bytes bytes;
};
// The files every reader must survive: headers cut at every length, sizes past the end of the
// file, no channels, no block alignment, a huge format chunk, odd data sizes, no data chunk, no
// format chunk, 8-bit and 3-channel sound, 4 GiB declared over a few bytes.
std::vector<MalformedWave> malformedWaves();

void writeBytes(const std::string& path, const Bytes& bytes);
Bytes readBytes(const std::string& path);
// The names in a folder (files and folders alike), sorted.
std::set<std::string> folderEntries(const std::filesystem::path& folder);

// n values of a ramp that wraps through the whole 16-bit range, distinct from their neighbours.
std::vector<std::int16_t> ramp(std::size_t n, int start = 1, int step = 7);

// The build tree's folder of shipped files: res/ (the repository's) and help/ (written by the
// build), as the programs of the build tree find them.
std::filesystem::path shippedDataDir();

} // namespace sonarium::test
