// Bast: a one-pole average that follows the input only where both it and the previous output
// have moved away from the previous input by more than the sensitivity.
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <cmath>
#include <cstdlib>

namespace sonarium {

namespace {

// The running state of one channel, carried across blocks. The average (s + y) / 2 truncated
// toward zero, and its distance from h, are computed in integers: every term is a 16-bit value,
// so they equal the double precision forms exactly and cost far less.
struct BastChannel {
    int y = 0; // the previous output
    int h = 0; // the previous input

    // With v = (s + y) / 2, the test |trunc(v - h)| > T is |s + y - 2h| / 2 rounded down > T,
    // that is |s + y - 2h| > 2T + 1 (`twice`): no halving on the way from one output to the
    // next.
    std::int16_t step(std::int16_t s, int threshold, int twice) {
        const int sum = s + y;
        const bool a = std::abs(sum - 2 * h) > twice;
        const bool b = std::abs(y - h) > threshold;
        const int out = a && b ? sum / 2 : h;
        y = out;
        h = s;
        return static_cast<std::int16_t>(out);
    }
};

Kernel prepareBast(const Parameters& p) {
    const int threshold = static_cast<int>(p.number("T"));
    const int twice = 2 * threshold + 1;
    return FilesKernel{[threshold, twice](JobFiles& files) {
        const int channels = files.source().channels;
        // Each channel keeps its own state; the channel of a value is its position in the file,
        // so a block that starts on a right-channel value (stereo blocks can be odd) keeps them
        // apart.
        BastChannel states[2];
        int nextChannel = 0;
        return transformSource(files, channels == 2 ? MessageIcon::Warning : MessageIcon::None,
                               [&](std::int16_t* block, std::uint32_t count) {
                                   if (channels != 2) {
                                       BastChannel mono = states[0];
                                       for (std::uint32_t i = 0; i < count; ++i)
                                           block[i] = mono.step(block[i], threshold, twice);
                                       states[0] = mono;
                                       return;
                                   }
                                   // The two channels' chains side by side, a frame at a time.
                                   std::uint32_t i = 0;
                                   if (count > 0 && nextChannel == 1) {
                                       block[0] = states[1].step(block[0], threshold, twice);
                                       i = 1;
                                   }
                                   BastChannel left = states[0];
                                   BastChannel right = states[1];
                                   for (; i + 1 < count; i += 2) {
                                       block[i] = left.step(block[i], threshold, twice);
                                       block[i + 1] = right.step(block[i + 1], threshold, twice);
                                   }
                                   if (i < count)
                                       block[i] = left.step(block[i], threshold, twice);
                                   states[0] = left;
                                   states[1] = right;
                                   nextChannel = static_cast<int>(
                                       (static_cast<std::uint32_t>(nextChannel) + count) % 2U);
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
