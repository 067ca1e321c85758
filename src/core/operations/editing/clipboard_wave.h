// The clipboard's side of the wave exchange: which bytes of the data found there make the file,
// and writing them where the editor reads them back.
#pragma once

#include "wavefile/sonio.h"

#include <cstdint>
#include <span>
#include <string>

namespace sonarium {

// The RIFF chunk of clipboard data: its RIFF size field + 8 bytes, as far as the data goes.
// Empty when the data is too short to hold a RIFF size field.
std::span<const std::uint8_t> clipboardWaveBytes(std::span<const std::uint8_t> data);

// Writes the RIFF chunk of the data to path (an existing file is replaced) and checks it with the
// wave reader. False when it cannot be written (reported) or read back as wave audio (the
// reader's message): nothing is then left at path. A drawn name taken meanwhile is drawn again
// through the context; written (when given) receives the name the file got.
bool writeClipboardWave(const WaveContext& context, std::span<const std::uint8_t> data,
                        const std::string& path, std::string* written = nullptr);

} // namespace sonarium
