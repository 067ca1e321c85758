// What the fuzz targets share: bytes as a file in memory, numbers drawn from an input's end, and
// checks of the properties every input must keep.
#pragma once

#include "wavefile/binary_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

namespace sonarium::fuzz {

// A broken property is a finding, whether libFuzzer or the replay driver runs the input.
inline void check(bool holds, const char* property) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

inline BinaryFile memoryFile(std::span<const std::uint8_t> bytes) {
    BinaryFile file;
    file.openMemory(bytes);
    return file;
}

// Numbers taken from the input's last bytes, backwards, so that its start stays an ordinary file
// (the seeds are plain wave files). They overlap the file, which a fuzzer does not mind; past
// the input's start they are 0.
class TailNumbers {
public:
    explicit TailNumbers(std::span<const std::uint8_t> input) : input_(input) {}

    std::uint8_t byte() { return taken_ < input_.size() ? input_[input_.size() - ++taken_] : 0; }
    std::uint16_t u16() {
        const unsigned low = byte();
        return static_cast<std::uint16_t>(low | unsigned{byte()} << 8);
    }
    std::uint32_t u32() {
        const std::uint32_t low = u16();
        return low | std::uint32_t{u16()} << 16;
    }

private:
    std::span<const std::uint8_t> input_;
    std::size_t taken_ = 0;
};

// The input cut at its first newline: the text before it, the rest after it.
inline std::string_view takeLine(std::string_view& rest) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    return line;
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

} // namespace sonarium::fuzz
