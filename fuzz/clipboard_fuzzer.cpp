// Clipboard data as the paste takes it: the RIFF chunk its size field names, read as a wave
// file from memory the way the pasted file is checked.
#include "base/reporter.h"
#include "fuzz_support.h"
#include "operations/editing/clipboard_wave.h"
#include "wavefile/sonio.h"
#include "wavefile/wave_check.h"

#include <cstdint>
#include <vector>

using namespace sonarium;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);
    const std::span<const std::uint8_t> wave = clipboardWaveBytes(input);
    fuzz::check(wave.empty() || wave.data() == input.data(), "the wave starts the data");
    fuzz::check(wave.size() <= input.size(), "the wave lies inside the data");
    fuzz::check(size < 8 || wave.size() >= 8, "the wave keeps its RIFF header");

    SilentReporter reporter;
    const WaveContext context{reporter, "", {}};
    sonIO reader(context, fuzz::memoryFile(wave), "sonariumClipboardCopy.wav");
    if (!reader.IsOpen())
        return 0;
    fuzz::check(reader.dataStart + reader.dataSize <= wave.size(), "the data lies in the wave");
    // The whole data, as Play Clipboard Looped and Insert Clipboard read it.
    static std::vector<std::int16_t> buffer(64000);
    std::uint64_t values = 0;
    while (reader.ReadBlock(buffer.data(), 4096) == 1)
        values += 4096;
    fuzz::check(values <= reader.dataSize / 2, "no more values than the data holds");
    BinaryFile again = fuzz::memoryFile(wave);
    IsWaveFileUsable(reporter, again, "sonariumClipboardCopy.wav");
    return 0;
}
