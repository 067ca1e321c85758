// Waveform colour rules.
#include "display/wave_colour.h"

#include "base/random_generator.h"

namespace sonarium {

namespace {

// A byte of the generator scaled onto 0..range, truncated.
int scaledDraw(RandomGenerator& random, int range) {
    return static_cast<int>((random.next() & 255) / 255.0 * range);
}

} // namespace

Rgb chooseWaveColour(bool randomColour, bool greenColour, std::uint32_t seed) {
    RandomGenerator random(seed);
    Rgb colour;
    if (randomColour && greenColour) {
        colour.green = (random.next() & 127) + 64;
        colour.blue = scaledDraw(random, 255 - colour.green) & 63;
        if (colour.blue >= colour.green)
            colour.blue /= 2;
        colour.red = scaledDraw(random, 255 - colour.green - colour.blue) & 63;
        if (colour.red >= colour.green)
            colour.red /= 2;
    } else if (randomColour) {
        colour.blue = (random.next() & 127) + 32;
        colour.green = scaledDraw(random, 255 - colour.blue) & 127;
        colour.red = scaledDraw(random, 255 - colour.green - colour.blue);
    } else if (greenColour) {
        colour.green = 128;
    } else {
        colour.blue = 128;
    }
    return colour;
}

} // namespace sonarium
