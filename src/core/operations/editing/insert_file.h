// The inserts: a whole wave file, or a stretch of silence, put into the current file at a
// position; the result keeps the current file's format.
#pragma once

#include "jobs/kernels.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace sonarium {

inline constexpr const char* kNothingToInsertText = "Nothing to insert,\nlength cannot be 0.";
inline constexpr const char* kNoClipboardWaveText =
    "The clipboard holds no wave data:\nthere is nothing to insert.";

// The byte offset a "Starting at :" field gives an insert into a file of this format: empty (the
// field left at the duration it opens with) is the end of the data exactly; anything else is
// converted, held inside the data and rounded down to a whole frame (channels x 2 bytes).
struct EditFormat;
std::uint32_t insertPosition(std::string_view text, const EditFormat& format);

// The Source with the whole of the Aux's data put in at the position typed in startText; with no
// Aux open (it names the Source's own file), the Source's data into itself. The inserted data is
// copied value for value whatever its own format (an odd byte count loses its last byte).
JobOutcome InsertFile(JobFiles& files, std::string_view startText);

// The Source with lengthText seconds of silence (whole frames) put in at startText.
JobOutcome insertSilence(JobFiles& files, std::string_view startText, std::string_view lengthText);

// How the insert dialogs place and copy a file, for the notes of their declarations.
#define SONARIUM_INSERT_NOTES                                                                      \
    " --start left out, or the start field left at the duration it opens with, is the end of "     \
    "the data: the file is appended. Another start is held inside the data and rounded down to "   \
    "a whole frame (channels x 2 bytes). The inserted file's data is copied value for value "      \
    "whatever its own channels, rate or bit depth (a stereo file in a mono one lasts twice as "    \
    "long; an odd byte count loses its last byte); the result keeps the current file's format. "   \
    "A result past the 4 GB a wave file can hold is refused before anything is written."

} // namespace sonarium
