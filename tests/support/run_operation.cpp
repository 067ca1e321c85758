// The test runner of operation jobs.
#include "run_operation.h"

#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>

namespace sonarium::test {

namespace {

struct RecordingProgress final : Progress {
    std::vector<int> values;
    void setProgress(int percent) override { values.push_back(percent); }
};

} // namespace

JobRun runOperation(const OperationDecl& op, const Parameters& p, const JobInput& input,
                    Reporter& reporter, const RunSetup& setup) {
    const std::string& destination = setup.destination;
    bool isInput = false;
    for (const std::string& file : input.files()) {
        std::error_code error;
        isInput =
            isInput || file == destination || std::filesystem::equivalent(file, destination, error);
    }
    if (!isInput && std::filesystem::is_regular_file(destination))
        std::filesystem::remove(destination);
    JobRun run;
    WaveContext wave{reporter, setup.trailerPath,
                     [&run](const std::string& path) { run.opened.push_back(path); }};
    RecordingProgress progress;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = input,
                       .destination = [&destination] { return destination; },
                       .result = setup.result};
    run.outcome = op.run(context, p);
    run.progress = progress.values;
    run.writeFailures = context.writeFailures;
    run.report = context.report;
    if (!isInput && std::filesystem::is_regular_file(destination)) {
        run.written = true;
        const Bytes bytes = readBytes(destination);
        if (bytes.size() >= 44)
            run.channels = readLe16(&bytes[22]);
        run.output = readValues(destination);
    }
    return run;
}

std::string writeWave(const std::string& path, const std::vector<std::int16_t>& values,
                      int channels, int rate) {
    WaveSpec shape;
    shape.channels = channels;
    shape.rate = rate;
    shape.samples = values;
    shape.tail = Bytes(builtInTrailer().begin(), builtInTrailer().end());
    writeBytes(path, buildWave(shape));
    return path;
}

std::vector<std::int16_t> readValues(const std::string& path) {
    const Bytes bytes = readBytes(path);
    std::vector<std::int16_t> values;
    if (bytes.size() < 44)
        return values;
    const std::uint64_t end = std::min<std::uint64_t>(44ULL + readLe32(&bytes[40]), bytes.size());
    for (std::uint64_t i = 44; i + 1 < end; i += 2)
        values.push_back(static_cast<std::int16_t>(readLe16(&bytes[i])));
    return values;
}

} // namespace sonarium::test
