// Channel Conversion: each output frame's left and right values are weighted sums (percent) of
// the left and right values of a Source frame and an Aux frame, wrapped to 16 bits.
#include "operations/operation.h"
#include "operations/tools/channel_tools.h"

#include <algorithm>
#include <array>

namespace sonarium {

namespace {

// The eight members, output first, then file and channel.
constexpr std::array<std::string_view, 8> kMembers = {
    "leftSourceLeft",  "leftSourceRight",  "leftAuxLeft",  "leftAuxRight",
    "rightSourceLeft", "rightSourceRight", "rightAuxLeft", "rightAuxRight"};

struct Matrix {
    // [output][input]: output 0 left, 1 right; inputs SL, SR, AL, AR.
    double c[2][4];

    explicit Matrix(const Parameters& p) {
        for (std::size_t i = 0; i < kMembers.size(); ++i)
            c[i / 4][i % 4] = p.number(kMembers[i]) / 100;
    }
    // trunc((SL × cSL + AL × cAL) + (SR × cSR + AR × cAR)) in this order, kept to its low 16
    // bits: there is no clipping, a sum past the range wraps.
    std::int16_t out(int o, double sl, double sr, double al, double ar) const {
        const double sum = (sl * c[o][0] + al * c[o][2]) + (sr * c[o][1] + ar * c[o][3]);
        return static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<std::int64_t>(sum)));
    }
};

// Where a frame's inputs come from in the blocks read: a stereo file gives values 2k and 2k + 1,
// a mono file value k for both.
struct Layout {
    bool sourceStereo;
    bool auxStereo;
    bool withAux; // false for a file paired with itself: only the Source coefficients apply
};

void convertBlock(const Matrix& m, const Layout& layout, const PartnerBlock& s,
                  const PartnerBlock& a, std::int16_t* out, std::uint32_t count) {
    const std::uint32_t frames = (count + 1) / 2;
    for (std::uint32_t k = 0; k < frames; ++k) {
        const double sl = layout.sourceStereo ? s[2 * k] : s[k];
        const double sr = layout.sourceStereo ? s[2 * k + 1] : s[k];
        const double al = !layout.withAux ? 0 : layout.auxStereo ? a[2 * k] : a[k];
        const double ar = !layout.withAux ? 0 : layout.auxStereo ? a[2 * k + 1] : a[k];
        out[2 * k] = m.out(0, sl, sr, al, ar);
        if (2 * k + 1 < count)
            out[2 * k + 1] = m.out(1, sl, sr, al, ar);
    }
}

JobOutcome convert(JobFiles& files, const Matrix& matrix, const Layout& layout,
                   std::uint32_t total) {
    JobContext& context = files.context();
    sonIO* destination = files.create({.channels = 2}, total);
    if (destination == nullptr)
        return JobOutcome::EndedWithMessage;
    sonIO& source = files.source();
    sonIO* aux = layout.withAux ? &files.aux() : nullptr;
    auto s = std::make_unique<PartnerBlock>();
    auto a = std::make_unique<PartnerBlock>();
    runToolBlocks(context, *destination, total, kToolWriteErrorText,
                  [&](std::int16_t* out, std::uint32_t count) {
                      s->read(context, source, layout.sourceStereo ? count : count / 2);
                      if (aux != nullptr)
                          a->read(context, *aux, layout.auxStereo ? count : count / 2);
                      convertBlock(matrix, layout, *s, *a, out, count);
                  });
    return JobOutcome::Completed;
}

Kernel prepareChannelConversion(const Parameters& p) {
    const Matrix matrix(p);
    return FilesKernel{[matrix](JobFiles& files) {
        sonIO& source = files.source();
        if (!files.hasAux()) {
            // One file, read as frames of two values whatever its channel count; it must hold
            // values, as no other file can give any.
            const std::uint32_t total = valueCount(source);
            if (nothingToWrite(files.context(), total, source.Path()))
                return JobOutcome::EndedWithMessage;
            return convert(files, matrix,
                           {.sourceStereo = true, .auxStereo = true, .withAux = false}, total);
        }
        sonIO& aux = files.aux();
        const Layout layout{
            .sourceStereo = source.channels == 2, .auxStereo = aux.channels == 2, .withAux = true};
        // Two mono files: one stereo frame for each value of the longer one.
        const std::uint32_t longer = std::max(valueCount(source), valueCount(aux));
        const std::uint32_t total = layout.sourceStereo || layout.auxStereo ? longer : 2 * longer;
        if (nothingToWrite(files.context(), total, source.Path()))
            return JobOutcome::EndedWithMessage;
        return convert(files, matrix, layout, total);
    }};
}

// One coefficient field; the first four are in the "Left Output" group, the last four in the
// "Right Output" group.
FieldSpec percentField(int item, std::string_view label, std::size_t member, double value) {
    return {.item = item,
            .label = label,
            .member = kMembers[member],
            .type = FieldType::Double,
            .defaultValue = value,
            .minimum = -10000,
            .maximum = 10000,
            .unit = "%",
            .group = member < 4 ? "Left Output" : "Right Output"};
}

} // namespace

const OperationDecl& channelConversionOperation() {
    static const OperationDecl decl{
        .name = "channel-conversion",
        .caption = "Channel Conversion 1.0",
        .dialogClass = "CChannelConversionDialog",
        .helpCode = "TOOCON_1.0",
        .completion = "Channel conversion - done",
        .commandId = 32964,
        .input = InputKind::Two,
        .channels = OutputChannels::Stereo,
        .helpItem = 1709,
        .fields =
            {
                percentField(1701, "From Source.Left:", 0, 50),
                percentField(1702, "From Source.Right:", 1, -50),
                percentField(1703, "From Aux.Left:", 2, 0),
                percentField(1704, "From Aux.Right:", 3, 0),
                percentField(1705, "From Source.Left:", 4, 50),
                percentField(1706, "From Source.Right:", 5, 50),
                percentField(1707, "From Aux.Left:", 6, 0),
                percentField(1708, "From Aux.Right:", 7, 0),
            },
        .notes =
            "A stereo file (at the Source's rate) whose Left and Right outputs are each "
            "trunc((SL x cSL + AL x cAL) + (SR x cSR + AR x cAR)), the coefficients being the "
            "percentages of its group (\"Left Output\": the first four options, \"Right Output\": "
            "the last four), kept to the low 16 bits without clipping (beyond 100 % a sum can "
            "wrap). The result is as long as the longer file in values, the shorter one counting "
            "as silence past its end; a mono file gives its value of the frame to both of its "
            "inputs, and two mono files give one frame per value of the longer one. The same "
            "file as Source and Aux is read as frames of two values whatever its channel count, "
            "and only the four Source coefficients apply. A value that a block's end leaves "
            "without its partner counts the partner as 0.",
        // Two files may each be empty, the other may still have values; a file paired with
        // itself is refused empty by the kernel.
        .sources = {.empty = EmptySource::Accept,
                    .aux = AuxRule::SourceAlone,
                    .auxEmpty = EmptySource::Accept},
        .prepare = prepareChannelConversion,
    };
    return decl;
}

} // namespace sonarium
