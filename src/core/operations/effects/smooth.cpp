// Smooth: a running average over a ring of recent values, its window optionally swept by a
// low-frequency oscillator, optionally with feedback of the output into the ring. Both channels
// of a stereo file are one stream (the stereo warning says so).
#include "jobs/sample_math.h"
#include "operations/operation.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace sonarium {

namespace {

enum class Window { Plain, Sine, Square, Triangle };

// The LFO shapes in the order of the declaration's choices.
enum class LfoShape { Sine, Square, Triangle };

struct SmoothSettings {
    int level;      // L
    double lfoFreq; // Hz
    int lfoDepth;   // percent
    Window window;
    double fbGain; // percent; 0: no feedback
    double fbFreq; // Hz
    int fbDepth;   // percent
    // Half the file's sample rate: the oscillators turn at their frequency in real time.
    double halfRate = 22050.0;

    explicit SmoothSettings(const Parameters& p)
        : level(static_cast<int>(p.number("L"))), lfoFreq(p.number("lfoFreq")),
          lfoDepth(static_cast<int>(p.number("lfoDepth"))), window(Window::Plain),
          fbGain(p.number("fbGain")), fbFreq(p.number("fbFreq")),
          fbDepth(static_cast<int>(p.number("fbDepth"))) {
        // With the LFO on, a shape is always checked in the dialog (Sine unless another was
        // clicked); the command line takes Sine when none is given. The shape is decoded even
        // while the LFO is off, so that a word no button has is refused on every path.
        const LfoShape shape = p.optionalChoice<LfoShape>("lfoShape").value_or(LfoShape::Sine);
        if (lfoFreq != 0 && lfoDepth != 0 && level > 1)
            window = shape == LfoShape::Square     ? Window::Square
                     : shape == LfoShape::Triangle ? Window::Triangle
                                                   : Window::Sine;
    }
};

// The plain running average: the ring holds L + 1 values; once filled, the output is the sum
// of slots 0 .. L - 1 (slot L left out) divided by L + 1. The sum of those slots is kept as it
// changes instead of being formed again for every value.
class PlainAverage {
public:
    explicit PlainAverage(int level) : level_(level), ring_(static_cast<std::size_t>(level) + 1) {}

    std::int64_t next(std::int16_t x) {
        std::int64_t y;
        if (!filled_) {
            // Slots i and above have never been written: the sum holds slots 0 .. i - 1.
            y = sum_ / (i_ + 1);
            if (i_ == level_ - 1)
                filled_ = true;
            store(x);
        } else {
            store(x);
            y = sum_ / (level_ + 1);
        }
        if (++i_ > level_)
            i_ = 0;
        return y;
    }

    // The same as next over a block, for a filter without feedback: once the ring is filled,
    // in a loop of its own. The sum of L values of 16 bits is below 2^28 in magnitude and the
    // divisor at most 4097, so the quotient in double precision is the exact integer one after
    // truncation (an exact quotient is exact; any other is at least 1/4097 away from an
    // integer, far more than the rounding error), and it needs no clipping.
    void run(std::int16_t* block, std::uint32_t count) {
        std::uint32_t k = 0;
        for (; k < count && !filled_; ++k)
            block[k] = static_cast<std::int16_t>(next(block[k]));
        const double divisor = level_ + 1;
        int i = i_;
        std::int64_t sum = sum_;
        std::int16_t* ring = ring_.data();
        for (; k < count; ++k) {
            const std::int16_t x = block[k];
            if (i < level_)
                sum += x - ring[i];
            ring[i] = x;
            block[k] = static_cast<std::int16_t>(static_cast<double>(sum) / divisor);
            if (++i > level_)
                i = 0;
        }
        i_ = i;
        sum_ = sum;
    }

private:
    void store(std::int16_t x) {
        if (i_ < level_)
            sum_ += x - ring_[static_cast<std::size_t>(i_)];
        ring_[static_cast<std::size_t>(i_)] = x;
    }

    int level_;
    std::vector<std::int16_t> ring_;
    int i_ = 0;
    bool filled_ = false;
    std::int64_t sum_ = 0;
};

// The oscillator value of the c-th value of the file at frequency f: sin(pi f c / (R / 2)) for a
// file of R values per second (22050 at 44100 Hz), or its triangle counterpart
// (2 / pi) asin(sin(...)), both between -1 and 1.
double oscillator(Window shape, double frequency, double halfRate, std::uint64_t c) {
    const double s = std::sin(std::numbers::pi * frequency * static_cast<double>(c) / halfRate);
    if (shape == Window::Triangle)
        return 2.0 / std::numbers::pi * std::asin(s);
    return s;
}

// The swept average: the window of the c-th value is w values long (the value itself and its
// w - 1 predecessors) and their sum is divided by w + 1, as the plain average divides L values
// by L + 1. Sine and triangle sweep w from L up to L + 2A (A = L x depth / 100), square switches
// between L and 1. The ring is sized for the longest window the sweep can ask for, so a window
// never reaches outside it; it holds running sums, so a window costs one subtraction. A value
// with no more than w + 1 predecessors passes unchanged.
class SweptAverage {
public:
    SweptAverage(const SmoothSettings& s)
        : shape_(s.window), frequency_(s.lfoFreq), halfRate_(s.halfRate), level_(s.level),
          depth_(s.level * s.lfoDepth / 100),
          ring_(static_cast<std::size_t>(s.window == Window::Square ? s.level
                                                                    : s.level + 2 * depth_) +
                1) {}

    std::int64_t next(std::int16_t x, std::uint64_t c) {
        const std::size_t size = ring_.size();
        running_ += x;
        ring_[c % size] = running_;
        const std::int64_t w = window(c);
        if (c <= static_cast<std::uint64_t>(w) + 1)
            return x;
        const std::int64_t before = ring_[(c - static_cast<std::uint64_t>(w)) % size];
        return (running_ - before) / (w + 1);
    }

private:
    std::int64_t window(std::uint64_t c) const {
        const double lfo = oscillator(shape_, frequency_, halfRate_, c);
        std::int64_t w;
        if (shape_ == Window::Square)
            w = lfo > 0 ? level_ : 1;
        else
            w = static_cast<std::int64_t>(level_ + (1.0 - lfo) * depth_);
        const auto longest = static_cast<std::int64_t>(ring_.size()) - 1;
        return std::clamp<std::int64_t>(w, 1, longest);
    }

    Window shape_;
    double frequency_;
    double halfRate_;
    int level_;
    int depth_;
    std::vector<std::int64_t> ring_; // running sums of the last ring_.size() values
    std::int64_t running_ = 0;
};

// The whole effect, one value after the other, its state carried from block to block.
class SmoothFilter {
public:
    explicit SmoothFilter(const SmoothSettings& s)
        : settings_(s), plain_(s.level), swept_(s), feedback_(s.fbGain != 0) {}

    void run(std::int16_t* block, std::uint32_t count) {
        if (settings_.window == Window::Plain && !feedback_) {
            plain_.run(block, count);
            c_ += count;
            if (count > 0)
                previous_ = block[count - 1];
            return;
        }
        for (std::uint32_t i = 0; i < count; ++i)
            block[i] = next(block[i]);
    }

private:
    std::int16_t next(std::int16_t s) {
        std::int16_t x = s;
        if (feedback_)
            x = fedBack(s);
        const std::int64_t y =
            settings_.window == Window::Plain ? plain_.next(x) : swept_.next(x, c_);
        ++c_;
        previous_ = static_cast<std::int16_t>(std::clamp<std::int64_t>(y, -32768, 32767));
        return previous_;
    }

    // What the ring receives in feedback mode: s (1 - g) + g yPrev with the LFO on, s (1 - g)
    // with it off, clipped to 16 bits. g is the gain as a fraction (percent / 100), swept by the
    // feedback oscillator (always sine) by fbDepth / 200 of itself.
    std::int16_t fedBack(std::int16_t s) const {
        double g = settings_.fbGain / 100.0;
        if (settings_.fbFreq != 0 && settings_.fbDepth != 0)
            g *= 1.0 + settings_.fbDepth / 200.0 *
                           oscillator(Window::Sine, settings_.fbFreq, settings_.halfRate, c_);
        double x = s * (1.0 - g);
        if (settings_.window != Window::Plain)
            x += g * previous_;
        return toSample(clipSample(x));
    }

    SmoothSettings settings_;
    PlainAverage plain_;
    SweptAverage swept_;
    bool feedback_;
    std::uint64_t c_ = 0; // values of the file before this one
    std::int16_t previous_ = 0;
};

Kernel prepareSmooth(const Parameters& p) {
    return TransformKernel{.start = [decoded =
                                         SmoothSettings(p)](const sonIO& source) -> BlockTransform {
        SmoothSettings settings = decoded;
        settings.halfRate = halfRateOf(source);
        // The filter's state runs on from block to block.
        return [filter = SmoothFilter(settings)](std::int16_t* block, std::uint32_t count) mutable {
            filter.run(block, count);
        };
    }};
}

} // namespace

const OperationDecl& smoothOperation() {
    static const OperationDecl decl{
        .name = "smooth",
        .caption = "Smooth 1.2",
        .dialogClass = "CSmoothDialog",
        .helpCode = "EFFSMO_1.2",
        .completion = "Smooth eff - done",
        .commandId = 32792,
        .animation = true,
        .helpItem = 1043,
        .fields =
            {
                {.item = 1044,
                 .label = "Top Smooth &Level (2, 4096) :",
                 .member = "L",
                 .type = FieldType::Int16,
                 .defaultValue = 20,
                 .minimum = 2,
                 .maximum = 4096,
                 .unit = "Smp",
                 .option = "level"},
                {.item = 1002,
                 .label = "LFO &Frequency (0, 22050) :",
                 .member = "lfoFreq",
                 .type = FieldType::Double,
                 .maximum = 22050,
                 .unit = "Hz",
                 .option = "lfo-freq"},
                {.item = 1003,
                 .label = "LFO &Depth (0, 100) :",
                 .member = "lfoDepth",
                 .type = FieldType::Int16,
                 .defaultValue = 100,
                 .maximum = 100,
                 .unit = "%",
                 .option = "lfo-depth"},
                lfoShapeField(1110, "lfoShape", "lfo-shape"),
                {.item = 1004,
                 .label = "Feedback &Gain (-100, 100) :",
                 .member = "fbGain",
                 .type = FieldType::Double,
                 .minimum = -100,
                 .maximum = 100,
                 .unit = "%",
                 .option = "fb-gain"},
                {.item = 1117,
                 .label = "&Fb LFO Frequency (0, 22050) :",
                 .member = "fbFreq",
                 .type = FieldType::Double,
                 .defaultValue = 1,
                 .maximum = 22050,
                 .unit = "Hz",
                 .option = "fb-freq"},
                {.item = 1005,
                 .label = "F&b LFO Depth (0, 100) :",
                 .member = "fbDepth",
                 .type = FieldType::Int16,
                 .defaultValue = 100,
                 .maximum = 100,
                 .unit = "%",
                 .option = "fb-depth"},
                {.type = FieldType::RadioGroup,
                 .enabled = false,
                 .group = "Feedback Shape",
                 .choices = {{1113, "S&ine", "sine"},
                             {1114, "Sq&uare", "square"},
                             {1115, "T&riangle", "triangle"}}},
            },
        .notes =
            "Without LFO (frequency or depth 0) each value becomes the sum of L of the last L + 1 "
            "values divided by L + 1, rising from 0 over the first L values.\n"
            "With the LFO on, the window w of each value is swept at the LFO frequency: Sine and "
            "Triangle from L up to L + 2A (A = L x depth / 100), Square between L (first half "
            "period) and 1. A value becomes the sum of itself and its w - 1 predecessors divided "
            "by w + 1; the first values, with no more than w + 1 predecessors, pass unchanged. "
            "The lfo-shape is ignored while the LFO is off; with it on, Sine applies unless "
            "another is given.\n"
            "With a feedback gain g (percent / 100), the averaging receives s x (1 - g) + g x "
            "(previous output) with the LFO on and s x (1 - g) with it off, clipped to 16 bits; "
            "g itself is swept by a sine at the feedback LFO frequency by depth / 2 percent of "
            "itself. Both channels of a stereo file are one stream.",
        .sources = {.stereo = StereoWarning::Ask},
        .prepare = prepareSmooth,
    };
    return decl;
}

} // namespace sonarium
