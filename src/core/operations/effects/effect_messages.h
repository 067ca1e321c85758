// Messages an effect's job and its dialog both show.
#pragma once

namespace sonarium {

// Stereo shuffling asked of a mono Source file (Resync Gapper).
inline constexpr const char* kMonoShuffleText = "Function not available\non a mono source file.";

} // namespace sonarium
