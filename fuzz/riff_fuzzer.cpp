// The chunk walker, the usability check and the wave reader over any bytes. Numbers from the
// input's end choose the reader's block counts and seek positions.
#include "base/reporter.h"
#include "fuzz_support.h"
#include "wavefile/riff_reader.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

using namespace sonarium;

namespace {

constexpr const char* kName = "fuzz.wav";

// Every search ends, finds only what is there, and keeps the walk inside the file.
void walkChunks(BinaryFile& file, fuzz::TailNumbers& numbers) {
    {
        RiffReader reader(file);
        RiffChunk riff;
        RiffChunk chunk;
        const bool inRiff = reader.findRiff(fourCC("WAVE"), riff);
        // An id that seldom occurs walks every chunk up to the form's end.
        if (reader.findChunk(fourCC("zzzz"), inRiff ? &riff : nullptr, chunk))
            fuzz::check(chunk.id == fourCC("zzzz"), "a search finds only the chunk asked for");
        fuzz::check(reader.position() <= reader.length(), "a search stays inside the file");
    }
    static constexpr FourCC kIds[] = {fourCC("fmt "), fourCC("data"), fourCC("LIST"),
                                      fourCC("fact")};
    RiffReader reader(file);
    RiffChunk riff;
    const bool inRiff = reader.findRiff(fourCC("WAVE"), riff);
    for (int step = 0; step < 8; ++step) {
        RiffChunk chunk;
        const FourCC& id = kIds[numbers.byte() % std::size(kIds)];
        if (!reader.findChunk(id, inRiff ? &riff : nullptr, chunk))
            break;
        fuzz::check(chunk.id == id, "a search finds the chunk asked for");
        fuzz::check(reader.position() == chunk.dataOffset, "a found chunk's payload comes next");
        fuzz::check(chunk.end(reader.length()) <= reader.length(), "a chunk ends in the file");
        std::array<unsigned char, 64> start{};
        const std::size_t got = reader.read(start.data(), start.size(), chunk);
        fuzz::check(got <= chunk.size, "a chunk's reads stay inside it");
        if (!reader.ascend(chunk))
            break;
        fuzz::check(reader.position() <= reader.length(), "ascending stays inside the file");
    }
}

// Reads and seeks as the numbers say, checking each block against the input itself: the reader
// delivers exactly the data chunk's bytes, zeros past its end, and a seek past the file's end
// changes nothing.
void readAround(sonIO& in, std::span<const std::uint8_t> input, fuzz::TailNumbers& numbers) {
    fuzz::check(in.dataStart + in.dataSize <= input.size(), "the data lies inside the file");
    fuzz::check(in.channels > 0 && in.bitsPerSample > 0, "an open reader has a format");
    static std::vector<std::int16_t> buffer(64000);
    std::uint64_t at = 0; // where the next read starts, from the start of the data
    for (int step = 0; step < 8; ++step) {
        const std::uint8_t what = numbers.byte();
        if (what % 4 == 3) {
            const std::uint32_t offset = numbers.u32() % (in.dataSize + 16);
            in.SeekData(offset);
            if (in.dataStart + offset <= input.size())
                at = offset;
            continue;
        }
        // Mostly small blocks; now and then the largest a job asks for.
        const int count = what % 8 == 0 ? 64000 : 1 + numbers.u16() % 2048;
        const int complete = in.ReadBlock(buffer.data(), count);
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        const std::uint64_t wanted = 2 * static_cast<std::uint64_t>(count);
        const std::uint64_t left = at < in.dataSize ? in.dataSize - at : 0;
        const std::uint64_t real = std::min(wanted, left) & ~std::uint64_t{1};
        fuzz::check(complete == (wanted <= left ? 1 : 0), "a block is complete when the data is");
        fuzz::check(real == 0 || std::memcmp(bytes, input.data() + in.dataStart + at, real) == 0,
                    "a block holds the data's bytes");
        static const std::vector<unsigned char> zeros(2 * buffer.size());
        fuzz::check(std::memcmp(bytes + real, zeros.data(), wanted - real) == 0,
                    "what the data does not hold reads as zeros");
        at = wanted <= left ? at + wanted : std::max<std::uint64_t>(at, in.dataSize);
        fuzz::check(!in.Truncated(), "bytes in memory are never cut short");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    SilentReporter reporter;
    fuzz::TailNumbers numbers(input);
    BinaryFile file = fuzz::memoryFile(input);
    walkChunks(file, numbers);

    const WaveLayout layout = readWaveLayout(file);
    const bool usable = IsWaveFileUsable(reporter, file, kName);
    fuzz::check(!usable || layout.status == WaveLayout::Status::Ok, "a usable file has a layout");

    const WaveContext context{reporter, "", {}};
    sonIO in(context, fuzz::memoryFile(input), kName);
    fuzz::check(in.IsOpen() == (layout.status == WaveLayout::Status::Ok),
                "the reader opens what the layout accepts");
    fuzz::check(!usable || (in.dataSize > 0 && in.channels <= 2),
                "a usable file holds data on one or two channels");
    if (in.IsOpen())
        readAround(in, input, numbers);
    in.CloseRead();
    return 0;
}
