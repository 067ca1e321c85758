// Usability check of a wave file through the chunk walker.
#include "wavefile/wave_check.h"

#include "wavefile/riff_reader.h"

namespace sonarium {

bool IsWaveFileUsable(Reporter& reporter, const std::string& path) {
    BinaryFile file(path, BinaryFile::Mode::Read);
    return IsWaveFileUsable(reporter, file, path);
}

bool IsWaveFileUsable(Reporter& reporter, BinaryFile& file, const std::string& path) {
    WaveLayout layout = readWaveLayout(file);
    if (layout.status == WaveLayout::Status::Ok && layout.availableDataSize() == 0)
        layout.problem = "it holds no sound data";
    else if (layout.status == WaveLayout::Status::Ok && layout.channels > 2)
        layout.problem = "it holds " + std::to_string(layout.channels) +
                         " channels: only mono and stereo files can be shown";
    if (!layout.problem.empty()) {
        reporter.report(unreadableWaveMessage(path, layout), MessageIcon::Error);
        return false;
    }
    return true;
}

} // namespace sonarium
