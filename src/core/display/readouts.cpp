// Status-bar readout texts.
#include "display/readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sonarium {

namespace {

// "<label>= mm:ss.sss s". The time is rounded to the millisecond before it is split, so that
// 9.9996 s reads 00:10.000 rather than 00:010.000.
std::string clockText(const char* label, double seconds) {
    if (!(seconds > 0.0))
        seconds = 0.0;
    seconds = std::min(seconds, 1e12); // keeps the millisecond count inside a long long
    const auto millis = static_cast<long long>(std::llround(seconds * 1000.0));
    const long long minutes = millis / 60000;
    const double rest = static_cast<double>(millis - minutes * 60000) / 1000.0;
    char text[96];
    std::snprintf(text, sizeof text, "%s= %s%lld:%s%.3f s", label, minutes < 10 ? "0" : "", minutes,
                  rest < 10.0 ? "0" : "", rest);
    return text;
}

} // namespace

std::string lengthReadout(double seconds) {
    return clockText("Length", seconds);
}

std::string positionReadout(double seconds) {
    return clockText("Position", seconds);
}

std::string scaleReadout(double framesPerColumn) {
    char text[64];
    if (framesPerColumn >= 1.0)
        std::snprintf(text, sizeof text, "Scale= 1:%.0f", framesPerColumn);
    else if (framesPerColumn > 0.0)
        std::snprintf(text, sizeof text, "Scale= %.1f:1", 1.0 / framesPerColumn);
    else
        std::snprintf(text, sizeof text, "Scale= 1:0");
    return text;
}

std::string channelsReadout(int channels) {
    return channels == 2 ? "Stereo" : "Mono  ";
}

std::string rateReadout(int sampleRate) {
    return std::to_string(sampleRate) + " Hz";
}

} // namespace sonarium
