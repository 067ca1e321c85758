// Clipboard data to a wave file.
#include "operations/editing/clipboard_wave.h"

#include "wavefile/wave_format.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace sonarium {

std::span<const std::uint8_t> clipboardWaveBytes(std::span<const std::uint8_t> data) {
    if (data.size() < 8)
        return {};
    const std::uint64_t riff = std::uint64_t{readLe32(&data[4])} + 8;
    return data.first(static_cast<std::size_t>(std::min<std::uint64_t>(riff, data.size())));
}

bool writeClipboardWave(const WaveContext& context, std::span<const std::uint8_t> data,
                        const std::string& path) {
    const std::span<const std::uint8_t> bytes = clipboardWaveBytes(data);
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        if (file)
            file.write(reinterpret_cast<const char*>(bytes.data()),
                       static_cast<std::streamsize>(bytes.size()));
        if (!file) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
            context.reporter.report("File " + path + "\ncannot be created", MessageIcon::Error);
            return false;
        }
    }
    sonIO reader(context, path);
    const bool readable = reader.IsOpen();
    if (readable)
        reader.CloseRead();
    if (!readable) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    return readable;
}

} // namespace sonarium
