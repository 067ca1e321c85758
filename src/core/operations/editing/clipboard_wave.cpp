// Clipboard data to a wave file.
#include "operations/editing/clipboard_wave.h"

#include "wavefile/sonio.h"
#include "wavefile/staged_file.h"
#include "wavefile/wave_format.h"

#include <algorithm>
#include <filesystem>

namespace sonarium {

std::span<const std::uint8_t> clipboardWaveBytes(std::span<const std::uint8_t> data) {
    if (data.size() < 8)
        return {};
    const std::uint64_t riff = std::uint64_t{readLe32(&data[4])} + 8;
    return data.first(static_cast<std::size_t>(std::min<std::uint64_t>(riff, data.size())));
}

bool writeClipboardWave(const WaveContext& context, std::span<const std::uint8_t> data,
                        const std::string& wanted, std::string* written) {
    const std::span<const std::uint8_t> bytes = clipboardWaveBytes(data);
    // Staged: a full disk leaves the exchange file whole or absent, never cut short. A drawn
    // name another program took meanwhile is drawn again.
    std::string error;
    std::string path = wanted;
    if (!writeFileAtomically(path, bytes.data(), bytes.size(), error, context.nameTaken)) {
        context.reporter.report("File " + path + "\ncannot be created\n" + error,
                                MessageIcon::Error);
        return false;
    }
    // The reader is closed again at once: only whether it opens counts.
    const bool readable = sonIO(context, path).IsOpen();
    if (!readable) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    if (readable && written != nullptr)
        *written = path;
    return readable;
}

} // namespace sonarium
