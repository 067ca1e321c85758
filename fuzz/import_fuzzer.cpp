// Raw and 8-bit import of any bytes into memory. Whatever the input, a completed import is a
// wave file whose header declares exactly its bytes and whose values are the input's converted.
#include "base/progress.h"
#include "base/reporter.h"
#include "fuzz_support.h"
#include "operations/exchange/eight_bit_import.h"
#include "operations/exchange/exchange_job.h"
#include "operations/exchange/raw_import.h"
#include "wavefile/riff_reader.h"
#include "wavefile/wave_format.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace sonarium;

namespace {

// The result's layout: a 16-bit wave of `channels` channels at 44100 Hz whose RIFF and data sizes
// are the bytes it holds; its data returned.
std::span<const std::uint8_t> checkResult(const std::vector<std::uint8_t>& result, int channels,
                                          std::uint64_t dataBytes, int rate) {
    fuzz::check(result.size() == kHeaderSize + dataBytes + kTrailerSize,
                "the result holds header, data and trailer");
    fuzz::check(readLe32(result.data() + 4) == result.size() - 8, "the RIFF size is the file's");
    BinaryFile file = fuzz::memoryFile(result);
    const WaveLayout layout = readWaveLayout(file);
    fuzz::check(layout.status == WaveLayout::Status::Ok, "the result reads as a wave file");
    fuzz::check(layout.declaredDataSize == dataBytes && layout.dataOffset == kHeaderSize,
                "the data size is the data's");
    fuzz::check(layout.channels == channels && layout.bitsPerSample == 16 &&
                    layout.sampleRate == static_cast<std::uint32_t>(rate),
                "the result is 16-bit at its rate");
    return std::span(result).subspan(kHeaderSize, dataBytes);
}

JobContext importContext(const WaveContext& wave, Progress& progress, const char* source) {
    return JobContext{.wave = wave,
                      .progress = progress,
                      .input = {.source = source},
                      .destination = [] { return std::string("imported.wav"); },
                      .result = ResultFile::Finish};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    SilentReporter reporter;
    NullProgress progress;
    std::vector<std::uint8_t> result;
    const WaveContext wave{reporter, "", {}, &result};

    // Raw: the bytes two by two as little-endian values, an odd last byte dropped.
    {
        JobContext context = importContext(wave, progress, "fuzz.raw");
        const JobOutcome outcome = importRawFrom(context, fuzz::memoryFile(input));
        fuzz::check((outcome == JobOutcome::Completed) == (size >= 2),
                    "raw import completes when there is a value");
        if (outcome == JobOutcome::Completed) {
            const auto values = checkResult(result, 1, size & ~std::size_t{1}, kDefaultRate);
            fuzz::check(std::memcmp(values.data(), data, values.size()) == 0,
                        "raw values are the input's bytes");
        } else {
            fuzz::check(result.empty(), "a raw import that ends leaves nothing");
        }
    }

    // 8-bit: each data byte b becomes (b - 128) x 256, mono for one channel, stereo otherwise.
    result.clear();
    {
        JobContext context = importContext(wave, progress, "fuzz.wav");
        auto source = std::make_unique<sonIO>(wave, fuzz::memoryFile(input), "fuzz.wav");
        const int channels = source->channels == 1 ? 1 : 2;
        // The source's own rate, or the fixed one where its header gives none.
        const int rate = source->sampleRate > 0 ? source->sampleRate : kDefaultRate;
        const std::uint64_t dataStart = source->dataStart;
        const std::uint32_t dataSize = source->dataSize;
        const JobOutcome outcome = importEightBitFrom(context, std::move(source));
        if (outcome == JobOutcome::Completed) {
            const std::uint64_t samples = dataSize & ~std::uint32_t{1};
            const auto values = checkResult(result, channels, 2 * samples, rate);
            for (std::uint64_t i = 0; i < samples; ++i) {
                const auto value = static_cast<std::int16_t>(readLe16(&values[2 * i]));
                fuzz::check(value == valueOfEightBit(data[dataStart + i]),
                            "each byte becomes its 16-bit value");
            }
        } else {
            fuzz::check(result.empty(), "an 8-bit import that ends leaves nothing");
        }
    }
    return 0;
}
