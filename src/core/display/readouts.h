// The texts of a waveform window's status-bar panes.
#pragma once

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

} // namespace sonarium
