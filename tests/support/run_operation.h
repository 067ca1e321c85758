// Running an operation's job in a test the way the front ends do, and reading what it wrote.
#pragma once

#include "operations/operation.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sonarium::test {

struct JobRun {
    JobOutcome outcome = JobOutcome::EndedWithMessage;
    bool written = false;             // a file now stands at the destination
    std::vector<std::int16_t> output; // its values, as many as its header declares
    int channels = 0;                 // its header's channel count
    int rate = 0;                     // its header's sample rate
    std::vector<int> progress;        // every value the job reported
    int writeFailures = 0;
    std::string report;              // a text report's text
    std::vector<std::string> opened; // results asked to open as documents
    // The second result of an operation that writes two (Split stereo channels).
    bool secondWritten = false;
    std::vector<std::int16_t> secondOutput;
    int secondChannels = 0;
    int secondRate = 0;
};

struct RunSetup {
    std::string destination; // removed first when it is a file of its own
    ResultFile result = ResultFile::Finish;
    std::string trailerPath; // empty: the built-in trailer
    // Where a second result goes; empty: the destination's path with ".second.wav" added.
    std::string secondDestination;
    int threads = 0; // the job's compute threads (0: every core)
    // The user asks the job to stop once it has reported this many progress values (-1: never).
    int cancelAfterProgress = -1;

    std::string second() const {
        return secondDestination.empty() ? destination + ".second.wav" : secondDestination;
    }
};

// Runs op's job on input with parameters p; messages go to reporter.
JobRun runOperation(const OperationDecl& op, const Parameters& p, const JobInput& input,
                    Reporter& reporter, const RunSetup& setup);

// A 16-bit wave file of the given interleaved values, with the trailer; returns the path.
std::string writeWave(const std::string& path, const std::vector<std::int16_t>& values,
                      int channels = 1, int rate = 44100);

// The values of a written wave file's data chunk, as many as its header declares.
std::vector<std::int16_t> readValues(const std::string& path);

} // namespace sonarium::test
