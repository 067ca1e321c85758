// Header construction and the built-in trailer.
#include "wavefile/wave_format.h"

#include <cstring>
#include <string_view>

namespace sonarium {

WaveHeader buildWaveHeader(int channels, int sampleRate, int bitsPerSample,
                           std::uint32_t dataBytes) {
    WaveHeader h{};
    auto u32 = [](int v) { return static_cast<std::uint32_t>(v); };
    std::uint32_t blockAlign = u32(channels) * u32(bitsPerSample) / 8;
    std::memcpy(h.data(), "RIFF", 4);
    writeLe32(h.data() + 4, dataBytes + (kHeaderSize + kTrailerSize - 8));
    std::memcpy(h.data() + 8, "WAVEfmt ", 8);
    writeLe32(h.data() + 16, 16);
    writeLe16(h.data() + 20, kFormatPcm);
    writeLe16(h.data() + 22, u32(channels));
    writeLe32(h.data() + 24, u32(sampleRate));
    writeLe32(h.data() + 28, u32(sampleRate) * blockAlign);
    writeLe16(h.data() + 32, blockAlign);
    writeLe16(h.data() + 34, u32(bitsPerSample));
    std::memcpy(h.data() + 36, "data", 4);
    writeLe32(h.data() + 40, dataBytes);
    return h;
}

const WaveTrailer& builtInTrailer() {
    static const WaveTrailer trailer = [] {
        WaveTrailer t{};
        constexpr std::string_view software = "sonarium - 16-bit PCM sound workbench";
        std::memcpy(t.data(), "LIST", 4);
        writeLe32(t.data() + 4, kTrailerSize - 8);
        std::memcpy(t.data() + 8, "INFOISFT", 8);
        writeLe32(t.data() + 16, kTrailerSize - 20);
        std::memcpy(t.data() + 20, software.data(), software.size());
        return t;
    }();
    return trailer;
}

} // namespace sonarium
