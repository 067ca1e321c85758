// Bast: a one-pole average that follows the input only where both it and the previous output
// have moved away from the previous input by more than the sensitivity.
#include "jobs/sample_math.h"
#include "operations/effects/waveshaping.h"
#include "operations/operation.h"

#include <cmath>
#include <cstdlib>

namespace sonarium {

namespace {

// The running state of one channel, carried across blocks.
struct BastChannel {
    double y = 0; // the previous output
    double h = 0; // the previous input

    std::int16_t step(std::int16_t s, int threshold) {
        const double v = (s + y) / 2.0;
        const int a = std::abs(static_cast<int>(v - h));
        const int b = std::abs(static_cast<int>(y - h));
        const std::int16_t out = a > threshold && b > threshold ? toSample(v) : toSample(h);
        y = out;
        h = s;
        return out;
    }
};

Kernel prepareBast(const Parameters& p) {
    const int threshold = static_cast<int>(p.number("T"));
    return FilesKernel{[threshold](JobFiles& files) {
        const int channels = files.source().channels;
        // Each channel keeps its own state; the channel of a value is its position in the file,
        // so a block that starts on a right-channel value (stereo blocks can be odd) keeps them
        // apart.
        BastChannel states[2];
        ChannelCursor cursor(channels);
        return transformSource(files, channels == 2 ? MessageIcon::Warning : MessageIcon::None,
                               [&](std::int16_t* block, std::uint32_t count) {
                                   for (std::uint32_t i = 0; i < count; ++i)
                                       block[i] = states[cursor.next()].step(block[i], threshold);
                               });
    }};
}

} // namespace

const OperationDecl& bastOperation() {
    static const OperationDecl decl{
        .name = "bast",
        .caption = "Bast 1.1",
        .dialogClass = "CBastDialog",
        .helpCode = "EFFBAS_1.1",
        .completion = "Bast eff - done",
        .commandId = 32881,
        .animation = true,
        .helpItem = 1254,
        .fields =
            {
                {.item = 1002,
                 .label = "&Sensitivity (0, 65535) :",
                 .member = "T",
                 .type = FieldType::Int32,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 65535,
                 .option = "sensitivity"},
                {.item = 1003,
                 .label = "&Iterations (1, 64) :",
                 .type = FieldType::Int32,
                 .defaultValue = 1,
                 .minimum = 1,
                 .maximum = 64,
                 .enabled = false},
            },
        .notes = "For each value s of a channel, with y its previous output and h its previous "
                 "input (both 0 at the start): v = (s + y) / 2; when |v - h| and |y - h| "
                 "(truncated) both exceed the sensitivity the output is v (truncated), otherwise "
                 "h. Stereo channels are processed apart, each with its own y and h.",
        .prepare = prepareBast,
    };
    return decl;
}

} // namespace sonarium
