// Usability check of a wave file through the chunk walker.
#include "wavefile/wave_check.h"

#include "wavefile/riff_reader.h"

namespace sonarium {

bool IsWaveFileUsable(Reporter& reporter, const std::string& path) {
    WaveLayout layout = readWaveLayout(path);
    if (layout.status == WaveLayout::Status::NoFormatChunk) {
        reporter.report("File " + path + "\ncannot be read as Wave Audio", MessageIcon::Error);
        return false;
    }
    return layout.status == WaveLayout::Status::Ok && layout.availableDataSize() > 0;
}

} // namespace sonarium
