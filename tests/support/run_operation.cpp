// The test runner of operation jobs.
#include "run_operation.h"

#include "test_support.h"
#include "wavefile/wave_format.h"

#include <filesystem>

namespace sonarium::test {

namespace {

struct RecordingProgress final : Progress {
    std::vector<int> values;
    int cancelAfter = -1;
    void setProgress(int percent) override { values.push_back(percent); }
    bool cancelRequested() override {
        return cancelAfter >= 0 && static_cast<int>(values.size()) >= cancelAfter;
    }
};

bool isInputFile(const JobInput& input, const std::string& path) {
    bool isInput = false;
    for (const std::string& file : input.files()) {
        std::error_code error;
        isInput = isInput || file == path || std::filesystem::equivalent(file, path, error);
    }
    return isInput;
}

// Reads a result the job left at path (unless path is one of its inputs).
bool readResult(const JobInput& input, const std::string& path, std::vector<std::int16_t>& values,
                int& channels, int& rate) {
    if (isInputFile(input, path) || !std::filesystem::is_regular_file(path))
        return false;
    const Bytes bytes = readBytes(path);
    if (bytes.size() >= 44) {
        channels = readLe16(&bytes[22]);
        rate = static_cast<int>(readLe32(&bytes[24]));
    }
    values = readValues(path);
    return true;
}

} // namespace

JobRun runOperation(const OperationDecl& op, const Parameters& p, const JobInput& input,
                    Reporter& reporter, const RunSetup& setup) {
    const std::string& destination = setup.destination;
    const std::string second = setup.second();
    for (const std::string& path : {destination, second})
        if (!isInputFile(input, path) && std::filesystem::is_regular_file(path))
            std::filesystem::remove(path);
    JobRun run;
    int asked = 0; // results that asked for their name
    WaveContext wave{reporter, setup.trailerPath,
                     [&run](const std::string& path) { run.opened.push_back(path); }};
    RecordingProgress progress;
    progress.cancelAfter = setup.cancelAfterProgress;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = input,
                       .destination = [&] { return asked++ == 0 ? destination : second; },
                       .result = setup.result,
                       .threads = setup.threads};
    run.outcome = op.run(context, p);
    run.progress = progress.values;
    run.writeFailures = context.writeFailures;
    run.report = context.report;
    run.written = readResult(input, destination, run.output, run.channels, run.rate);
    run.secondWritten =
        readResult(input, second, run.secondOutput, run.secondChannels, run.secondRate);
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
