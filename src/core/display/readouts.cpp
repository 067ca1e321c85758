// Status-bar readout texts.
#include "display/readouts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sonarium {

namespace {

// "mm:ss.sss". The time is rounded to the millisecond before it is split, so that 9.9996 s reads
// 00:10.000 rather than 00:010.000.
std::string clock(double seconds) {
    if (!(seconds > 0.0))
        seconds = 0.0;
    seconds = std::min(seconds, 1e12); // keeps the millisecond count inside a long long
    const auto millis = static_cast<long long>(std::llround(seconds * 1000.0));
    const long long minutes = millis / 60000;
    const double rest = static_cast<double>(millis - minutes * 60000) / 1000.0;
    char text[64];
    std::snprintf(text, sizeof text, "%s%lld:%s%.3f", minutes < 10 ? "0" : "", minutes,
                  rest < 10.0 ? "0" : "", rest);
    return text;
}

// "<label>= mm:ss.sss s".
std::string clockText(const char* label, double seconds) {
    return std::string(label) + "= " + clock(seconds) + " s";
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

std::string selectionReadout(std::uint64_t first, std::uint64_t end, int sampleRate) {
    end = std::max(end, first);
    const double rate = sampleRate > 0 ? sampleRate : 44100.0;
    auto seconds = [rate](std::uint64_t frames) { return static_cast<double>(frames) / rate; };
    return "Selection= " + clock(seconds(first)) + " - " + clock(seconds(end)) + " s (" +
           clock(seconds(end - first)) + " s), frames " + std::to_string(first) + " - " +
           std::to_string(end) + " (" + std::to_string(end - first) + ")";
}

} // namespace sonarium
