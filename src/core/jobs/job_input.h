// What a job works on: its source files and the stretch of the source it is asked to handle.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace sonarium {

// A stretch of a file in frames (one value per channel). The default is the whole file.
struct FrameSpan {
    static constexpr std::uint32_t kToEnd = std::numeric_limits<std::uint32_t>::max();

    std::uint32_t first = 0;      // first frame
    std::uint32_t count = kToEnd; // frames from the first one; kToEnd: up to the end of the data

    bool operator==(const FrameSpan&) const = default;
};

struct JobInput {
    std::string source; // empty for the operations that make a file from parameters alone
    std::string aux;    // the second file of two-file operations
    FrameSpan selection;

    // The files the job reads: its result may be written over none of them.
    std::vector<std::string> files() const {
        std::vector<std::string> paths;
        for (const std::string* path : {&source, &aux})
            if (!path->empty())
                paths.push_back(*path);
        return paths;
    }
};

} // namespace sonarium
