// Maximize/Minimize: value by value, the larger (or smaller) of the Source and the Aux, compared
// as signed values or, with "Symetrize", by magnitude.
#include "operations/interactions/interaction_job.h"
#include "operations/operation.h"

#include <cstdlib>

namespace sonarium {

namespace {

// In the order of the declaration's choices.
enum class Extreme { Maximize, Minimize };

struct MaximizeMinimizeSettings {
    bool maximize;
    bool symetrize; // compare magnitudes (|-32768| is 32768)

    explicit MaximizeMinimizeSettings(const Parameters& p)
        : maximize(p.choice<Extreme>("operation") == Extreme::Maximize),
          symetrize(p.flag("symetrize")) {}
};

// The Aux value replaces the Source value only when it wins strictly: ties keep the Source.
template <typename Wins>
void pick(std::int16_t* out, const std::int16_t* s, const std::int16_t* a, std::uint32_t count,
          Wins wins) {
    for (std::uint32_t i = 0; i < count; ++i)
        out[i] = wins(std::int32_t{s[i]}, std::int32_t{a[i]}) ? a[i] : s[i];
}

void combine(const MaximizeMinimizeSettings& settings, std::int16_t* out, const std::int16_t* s,
             const std::int16_t* a, std::uint32_t count) {
    if (settings.maximize && settings.symetrize)
        pick(out, s, a, count,
             [](std::int32_t x, std::int32_t y) { return std::abs(x) < std::abs(y); });
    else if (settings.maximize)
        pick(out, s, a, count, [](std::int32_t x, std::int32_t y) { return x < y; });
    else if (settings.symetrize)
        pick(out, s, a, count,
             [](std::int32_t x, std::int32_t y) { return std::abs(x) > std::abs(y); });
    else
        pick(out, s, a, count, [](std::int32_t x, std::int32_t y) { return x > y; });
}

Kernel prepareMaximizeMinimize(const Parameters& p) {
    const MaximizeMinimizeSettings settings(p);
    return FilesKernel{[settings](JobFiles& files) {
        if (!acceptChannelMismatch(files))
            return JobOutcome::Cancelled;
        // A stereo Aux makes the result stereo, whatever the Source.
        const int channels = files.aux().channels == 2 ? 2 : files.source().channels;
        return pairSources(
            files, channels, MessageIcon::None,
            [settings](std::int16_t* out, const std::int16_t* s, const std::int16_t* a,
                       std::uint32_t count) { combine(settings, out, s, a, count); });
    }};
}

} // namespace

const OperationDecl& maximizeMinimizeOperation() {
    static const OperationDecl decl{
        .name = "maximize-minimize",
        .caption = "Maximize/Minimize 1.0",
        .dialogClass = "CMaximizeMinimizeDialog",
        .helpCode = "INTMAX_1.0",
        .completion = "Maximize eff - done",
        .commandId = 32799,
        .input = InputKind::Two,
        .helpItem = 1610,
        .fields =
            {
                {.label = "Operation",
                 .member = "operation",
                 .type = FieldType::RadioGroup,
                 .group = "Operation",
                 .choices = {{1611, "Ma&ximize", "maximize"}, {1612, "Mi&nimize", "minimize"}},
                 .defaultChoice = "maximize"},
                {.item = 1613,
                 .label = "&Symetrize",
                 .member = "symetrize",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1},
            },
        .notes = "Value by value, as the files lie, the Aux value replaces the Source value when "
                 "it is larger (Maximize) or smaller (Minimize); with Symetrize the magnitudes "
                 "are compared instead of the signed values. Ties keep the Source value. The "
                 "result is as long as the shorter file, stereo when the Aux is. The Aux must be "
                 "another file than the Source; files of different channel counts get the stereo "
                 "warning.",
        .prepare = prepareMaximizeMinimize,
    };
    return decl;
}

} // namespace sonarium
