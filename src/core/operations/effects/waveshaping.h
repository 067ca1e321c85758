// Constants and helpers shared by the waveshaping effects.
#pragma once

#include <cstdint>
#include <numbers>

namespace sonarium {

constexpr double kPi = std::numbers::pi;
// Radians per 16-bit step of a quarter sine wave: −32768..32767 maps onto about −π/2..π/2.
constexpr double kQuarterWavePerValue = kPi / 65536.0; // 4.7936899621429444e-05

// Alternates between the two channels of a stereo stream value by value, across blocks; a mono
// stream stays on channel 0.
class ChannelCursor {
public:
    explicit ChannelCursor(int channels) : stereo_(channels == 2) {}
    // The channel of the next value; moves on to the one after it.
    int next() {
        const int channel = channel_;
        if (stereo_)
            channel_ ^= 1;
        return channel;
    }
    bool stereo() const { return stereo_; }
    // Makes the given channel the next one (it moves on only in stereo).
    void moveTo(int channel) { channel_ = stereo_ ? channel : 0; }

private:
    bool stereo_;
    int channel_ = 0;
};

} // namespace sonarium
