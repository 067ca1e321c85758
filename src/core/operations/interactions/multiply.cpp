// Multiply: the Source modulated by the Aux (or by itself), value by value, with a choice of
// whose sign the product keeps, a blend back into the Source, and a panoramic mode in which the
// right channel takes an inverted modulator.
#include "operations/interactions/multiply.h"

#include "jobs/sample_math.h"
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"

namespace sonarium {

namespace {

// In the order of the declaration's choices.
enum class SignMode {
    Absolute,  // s × (m + 32768) / 65536
    Source,    // the product keeps the source's sign
    Auxiliary, // the product keeps the modulator's sign
    Product,   // the product's own sign ("Source x Auxiliary")
};

struct MultiplySettings {
    SignMode sign;
    double power; // P, 1 to 100, read in single precision
    double rest;  // Q = 100 - P
    bool panoramic;
    // A file multiplied by its own panoramic difference: both the Source and the Auxiliary sign
    // modes negate the product term for a negative source value.
    bool ownDifference = false;

    explicit MultiplySettings(const Parameters& p)
        : sign(p.choice<SignMode>("sign")),
          power(static_cast<double>(static_cast<float>(p.number("P")))), rest(100.0 - power),
          panoramic(p.flag("panoramic")) {}

    // The output value of source value s under modulator m.
    std::int16_t apply(double s, double m) const {
        double w;
        if (sign == SignMode::Absolute) {
            w = (s + 32768.0) * (m + 32768.0) / 65536.0 - (m / 2.0 + 16384.0);
        } else {
            const double t = m / 32768.0 * s;
            bool negate;
            if (ownDifference)
                negate = sign != SignMode::Product && s < 0;
            else
                negate =
                    (sign == SignMode::Auxiliary && s < 0) || (sign == SignMode::Source && m < 0);
            w = negate ? t / -2.0 : t / 2.0;
        }
        return toSample(clipSample((w * power + rest * s) / 100.0));
    }

    // The right channel's modulator from a mono modulator a.
    double rightOfMono(std::int16_t a) const {
        if (sign == SignMode::Absolute)
            return static_cast<std::int16_t>(-a); // 16-bit negation: -32768 stays -32768
        return a >= 0 ? 32767.0 - a : a + 32768.0;
    }
    // The right channel's modulator from the halved difference d of a stereo frame.
    double rightOfDifference(double d) const {
        const double r = -d;
        if (sign == SignMode::Absolute)
            return r;
        return r < 0 ? r + 32767.0 : -32768.0 - r;
    }
};

// Writes count values, value(g) giving output value g, in the blocks of the plain split.
template <typename Value>
void writeAll(JobContext& context, sonIO& destination, std::uint32_t count, Value value) {
    const BlockSplit split = BlockSplit::of(count);
    auto out = std::make_unique<SampleBuffer>();
    std::uint64_t g = 0;
    for (std::uint32_t j = 0; j <= split.n && continueJob(context); ++j) {
        const std::uint32_t n = split.count(j);
        for (std::uint32_t i = 0; i < n; ++i, ++g)
            (*out)[i] = value(g);
        if (context.stopped())
            return; // a source found truncated while filling the block
        context.progress.setProgress(split.progress(j));
        writeValues(context, destination, out->data(), n, MessageIcon::Warning);
    }
}

// The halved difference of a stereo frame, taken when its left value is formed and kept for its
// right value.
struct FrameDifference {
    double d = 0;
    template <typename Stream> double left(Stream& stream, std::uint64_t frame) {
        d = (stream.at(2 * frame) - stream.at(2 * frame + 1)) / 2.0;
        return d;
    }
};

JobOutcome runSingleFile(JobFiles& files, MultiplySettings settings) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    if (settings.panoramic && source.channels != 2) {
        files.closeSource();
        context.reporter().report(kPanoramicRefusedText, MessageIcon::Warning);
        return JobOutcome::EndedWithMessage;
    }
    if (!settings.panoramic) {
        // Each value multiplied by itself: blocks at once on every core.
        return transformSourcePure(
            files, MessageIcon::Warning,
            [&settings](std::int16_t* block, std::uint32_t n, std::uint32_t) {
                for (std::uint32_t i = 0; i < n; ++i)
                    block[i] = settings.apply(block[i], block[i]);
            });
    }
    const std::uint32_t count = valueCount(source);
    sonIO* destination = files.create({.channels = source.channels}, count);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    ValueStream values(context, source);
    settings.ownDifference = true;
    FrameDifference frame;
    writeAll(context, *destination, count, [&](std::uint64_t g) {
        const double s = values.at(g);
        if (g % 2 == 0)
            return settings.apply(s, frame.left(values, g / 2));
        return settings.apply(s, settings.rightOfDifference(frame.d));
    });
    return JobOutcome::Completed;
}

JobOutcome runTwoFiles(JobFiles& files, const MultiplySettings& settings) {
    JobContext& context = files.context();
    sonIO& source = files.source();
    sonIO& aux = files.aux();
    if (!settings.panoramic && aux.channels == source.channels) {
        // Files of one layout pair value for value up to the shorter one's end: blocks at once
        // on every core.
        return pairSources(files, source.channels, MessageIcon::Warning,
                           [&settings](std::int16_t* out, const std::int16_t* s,
                                       const std::int16_t* a, std::uint32_t n) {
                               for (std::uint32_t i = 0; i < n; ++i)
                                   out[i] = settings.apply(s[i], a[i]);
                           });
    }
    const int channels = settings.panoramic || aux.channels == 2 ? 2 : source.channels;
    // The shorter file has fewer bytes per channel; the Aux only when strictly fewer. Its values
    // end the result, each mono value making a frame when the result is stereo.
    const bool auxShorter = aux.dataSize / static_cast<std::uint32_t>(aux.channels) <
                            source.dataSize / static_cast<std::uint32_t>(source.channels);
    const sonIO& shorter = auxShorter ? aux : source;
    const std::int64_t count = static_cast<std::int64_t>(valueCount(shorter)) *
                               (shorter.channels == 1 && channels == 2 ? 2 : 1);
    sonIO* destination = files.create({.channels = channels}, count);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    // Output value g belongs to frame g / 2 of a stereo result, left when g is even. Partners
    // are found by position in the file, never in the block, so that blocks of an odd size do
    // not shift the pairing.
    ValueStream s(context, source);
    ValueStream a(context, aux);
    const bool monoSource = source.channels == 1;
    auto sourceValue = [&](std::uint64_t g) -> double {
        return s.at(monoSource && channels == 2 ? g / 2 : g);
    };
    const auto total = static_cast<std::uint32_t>(count);
    if (!settings.panoramic) {
        const bool monoAux = aux.channels == 1;
        writeAll(context, *destination, total, [&](std::uint64_t g) {
            const double sv = sourceValue(g);
            return settings.apply(sv, a.at(monoAux && channels == 2 ? g / 2 : g));
        });
    } else if (aux.channels == 1) {
        writeAll(context, *destination, total, [&](std::uint64_t g) {
            const double sv = sourceValue(g);
            const std::int16_t m = a.at(g / 2);
            return settings.apply(sv, g % 2 == 0 ? m : settings.rightOfMono(m));
        });
    } else {
        FrameDifference frame;
        writeAll(context, *destination, total, [&](std::uint64_t g) {
            const double sv = sourceValue(g);
            if (g % 2 == 0)
                return settings.apply(sv, frame.left(a, g / 2));
            return settings.apply(sv, settings.rightOfDifference(frame.d));
        });
    }
    return JobOutcome::Completed;
}

Kernel prepareMultiply(const Parameters& p) {
    const MultiplySettings settings(p);
    return FilesKernel{[settings](JobFiles& files) {
        return files.hasAux() ? runTwoFiles(files, settings) : runSingleFile(files, settings);
    }};
}

} // namespace

bool panoramicAvailable(const JobInput& input) {
    if (!auxIsSource(input))
        return true;
    return quietChannelCount(input.aux.empty() ? input.source : input.aux) == 2;
}

const OperationDecl& multiplyOperation() {
    static const OperationDecl decl{
        .name = "multiply",
        .caption = "Multiply 1.2",
        .dialogClass = "CMultiplyDialog",
        .helpCode = "INTMUL_1.2",
        .completion = "Multiply eff - done",
        .commandId = 32801,
        .input = InputKind::Two,
        .helpItem = 1620,
        .fields =
            {
                {.label = "Sign",
                 .member = "sign",
                 .type = FieldType::RadioGroup,
                 .group = "Sign",
                 .choices = {{1621, "&Absolute", "absolute"},
                             {1622, "S&ource", "source"},
                             {1623, "A&uxiliary", "auxiliary"},
                             {1624, "Source &x Auxiliary", "source-x-auxiliary"}},
                 .defaultChoice = "absolute"},
                {.item = 1625,
                 .label = "&Interaction Power (1, 100) :",
                 .member = "P",
                 .type = FieldType::Float,
                 .defaultValue = 100,
                 .minimum = 1,
                 .maximum = 100,
                 .unit = "%",
                 .option = "power"},
                {.item = 1626,
                 .label = "&Panoramic interaction :",
                 .member = "panoramic",
                 .type = FieldType::CheckBox},
            },
        .notes =
            "Each Source value s is multiplied by a modulator m, an Aux value or one derived from "
            "it: Absolute gives s x (m + 32768) / 65536; Source keeps the sign of s, Auxiliary "
            "that of m, Source x Auxiliary the product's own (s x m / 65536). The product is "
            "blended back into the Source by the power P: (product x P + (100 - P) x s) / 100, "
            "clipped. Mono and stereo files are paired frame by frame: a mono value serves both "
            "channels of a stereo frame. Panoramic: the result is stereo; the left channel takes "
            "the Aux value (a stereo Aux: half its left-right difference d), the right one its "
            "opposite. The result ends with the file of fewer values per channel (the Source "
            "when they tie). Given the same file twice, the file multiplies itself (panoramic: "
            "by its own difference, stereo files only). A partner value missing at the end of a "
            "file counts as 0.",
        .sources = {.aux = AuxRule::SourceAlone},
        .prepare = prepareMultiply,
    };
    return decl;
}

} // namespace sonarium
