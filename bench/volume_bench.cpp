// The Volume kernels alone and the whole Volume job on a file, without process start-up.
#include "base/progress.h"
#include "jobs/sample_math.h"
#include "operations/operation.h"
#include "wavefile/sonio.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

SONARIUM_DECLARE_OPERATION(volume);

namespace sonarium {
namespace {

std::vector<std::int16_t> signal(std::size_t n) {
    std::vector<std::int16_t> values(n);
    for (std::size_t i = 0; i < n; ++i)
        values[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
    return values;
}

// One block through the clipping kernel; the block is restored outside the timing.
void scaleAndClipBlock(benchmark::State& state) {
    const std::vector<std::int16_t> original = signal(kBlockValues);
    std::vector<std::int16_t> block = original;
    for (auto _ : state) {
        scaleAndClip(block.data(), kBlockValues, 1.5);
        benchmark::DoNotOptimize(block.data());
        state.PauseTiming();
        block = original;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kBlockValues);
}
BENCHMARK(scaleAndClipBlock);

// The same block through the folding path ("reverted overload"), which is scalar.
void foldBlock(benchmark::State& state) {
    const std::vector<std::int16_t> original = signal(kBlockValues);
    std::vector<std::int16_t> block = original;
    for (auto _ : state) {
        for (std::int16_t& s : block)
            s = toSample(foldSample(s * 1.5));
        benchmark::DoNotOptimize(block.data());
        state.PauseTiming();
        block = original;
        state.ResumeTiming();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kBlockValues);
}
BENCHMARK(foldBlock);

class QuietReporter final : public Reporter {
protected:
    Answer present(const std::string&, MessageIcon, MessageButtons) override { return Answer::Ok; }
};

// The Volume job on a 64 MB stereo file in the temporary directory (page cache warm after the
// first run).
void volumeJob(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "sonarium-volume-bench";
    std::filesystem::create_directories(dir);
    const std::string source = (dir / "source.wav").string();
    const std::string output = (dir / "out.wav").string();
    constexpr std::int64_t kValues = 32 * 1024 * 1024;
    QuietReporter reporter;
    WaveContext wave{reporter, "", {}};
    {
        sonIO writer(wave, source, 2, kValues);
        const std::vector<std::int16_t> block = signal(kBlockValues);
        for (std::int64_t done = 0; done < kValues; done += kBlockValues)
            writer.WriteBlock(block.data(), static_cast<int>(std::min<std::int64_t>(
                                                kBlockValues, kValues - done)));
        writer.FinishWrite();
    }
    Parameters parameters = volumeOperation().defaults();
    parameters.setNumber("ratio", 150);
    for (auto _ : state) {
        NullProgress progress;
        JobContext context{.wave = wave,
                           .progress = progress,
                           .input = {.source = source},
                           .destination = [&] { return output; },
                           .result = ResultFile::Finish};
        if (volumeOperation().run(context, parameters) != JobOutcome::Completed)
            state.SkipWithError("the Volume job did not complete");
        state.PauseTiming();
        std::filesystem::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kValues * 2);
    std::filesystem::remove_all(dir);
}
BENCHMARK(volumeJob)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace sonarium

BENCHMARK_MAIN();
