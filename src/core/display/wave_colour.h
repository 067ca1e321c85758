// The pen colour of a waveform window, chosen once when the window is made.
#pragma once

#include <cstdint>

namespace sonarium {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb&) const = default;
};

// Navy (0, 0, 128) by default, green (0, 128, 0) with the green preference; with the random
// preference a colour drawn from the generator seeded with `seed`, mostly blue (or mostly green)
// so the waveform stays visible on a light background.
Rgb chooseWaveColour(bool randomColour, bool greenColour, std::uint32_t seed);

} // namespace sonarium
