// The texts of a waveform window's status-bar panes.
#pragma once

#include <cstdint>
#include <string>

namespace sonarium {

// The five panes, in order, with the texts a new window shows (which also size the panes).
inline constexpr const char* kInitialReadouts[] = {"Length= 199:99.999 s", "Position= 199:99.999 s",
                                                   "Scale= 1/1999999", "Mono  ", "200000 Hz"};

// "Length= mm:ss.sss s"; minutes take as many digits as they need beyond two.
std::string lengthReadout(double seconds);
// "Position= mm:ss.sss s"; negative times show as 0.
std::string positionReadout(double seconds);
// "Scale= 1:490" for 490 frames per column, "Scale= 2.0:1" for half a frame per column.
std::string scaleReadout(double framesPerColumn);
// "Stereo" for two channels, "Mono  " otherwise.
std::string channelsReadout(int channels);
// "44100 Hz".
std::string rateReadout(int sampleRate);
// The selection as frames [first, end) of a file at sampleRate: its start, end and length as
// times ("mm:ss.sss") and in frames: "Selection= 00:01.000 - 00:02.500 s (00:01.500 s), frames
// 44100 - 110250 (66150)".
std::string selectionReadout(std::uint64_t first, std::uint64_t end, int sampleRate);

} // namespace sonarium
