// Feeds arbitrary bytes, as a file, to the chunk walker, the wave reader and the usability check.
#include "base/reporter.h"
#include "wavefile/riff_reader.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const std::string& scratchPath() {
    // A memory-backed folder when there is one: each input is written to a file.
    static const std::string path =
        std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + "/sonarium-fuzz-" +
        std::to_string(static_cast<long>(::getpid())) + ".wav";
    return path;
}

void walkAllChunks(const std::string& path) {
    sonarium::RiffReader reader;
    if (!reader.open(path))
        return;
    sonarium::RiffChunk riff;
    sonarium::RiffChunk chunk;
    bool inRiff = reader.findRiff(sonarium::fourCC("WAVE"), riff);
    // Look for an id that never occurs: the search must walk every chunk and stop.
    reader.findChunk(sonarium::fourCC("zzzz"), inRiff ? &riff : nullptr, chunk);
    unsigned char buffer[64];
    reader.read(buffer, sizeof buffer, riff);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = scratchPath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    sonarium::SilentReporter reporter;
    sonarium::WaveContext context{reporter, "", {}};
    walkAllChunks(path);
    sonarium::IsWaveFileUsable(reporter, path);

    sonarium::sonIO in(context, path);
    // Block sizes from 1 to 64000 values; the loop must end whatever the header claims.
    int block = 1 + static_cast<int>(size % 64000);
    static std::vector<std::int16_t> buffer(64000);
    for (int i = 0; i < 1000 && in.ReadBlock(buffer.data(), block) == 1; ++i) {
    }
    in.SeekData(static_cast<std::uint32_t>(size / 2));
    in.ReadBlock(buffer.data(), block);
    in.SeekData(in.dataSize);
    in.ReadBlock(buffer.data(), 1);
    in.CloseRead();
    return 0;
}
