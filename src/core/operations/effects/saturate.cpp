// Saturate: a three-level quantiser of the values, or of their differences when dynamic.
#include "operations/effects/level_effects.h"

namespace sonarium {

namespace {

JobOutcome runSaturate(JobContext& context, const JobPaths& paths, const Parameters& p) {
    const double threshold = p.number("T");
    const bool dynamic = p.flag("dynamic");
    double previous = 0.0; // carried from block to block
    return runBlockJob(context, paths.source, true, [&](std::int16_t* block, std::uint32_t count) {
        for (std::uint32_t i = 0; i < count; ++i) {
            const double s = block[i];
            double v = s;
            if (dynamic) {
                v = s - previous;
                previous = s;
            }
            block[i] = v > threshold ? 32767 : v < -threshold ? -32768 : 0;
        }
    });
}

} // namespace

const OperationDecl& saturateOperation() {
    static const OperationDecl decl{
        .name = "saturate",
        .caption = "Saturate 1.1",
        .dialogClass = "CSaturateDialog",
        .helpCode = "EFFSAT_1.1",
        .completion = "Saturate eff - done",
        .commandId = 32790,
        .sources = SourceKind::One,
        .animation = false,
        .helpItem = 1030,
        .fields =
            {
                {.item = 1031,
                 .label = "&Sensitivity (0, 32767) :",
                 .member = "T",
                 .type = FieldType::Int32,
                 .defaultValue = 0,
                 .minimum = 0,
                 .maximum = 32767,
                 .option = "sensitivity"},
                {.item = 1108,
                 .label = "Dynamic",
                 .member = "dynamic",
                 .type = FieldType::CheckBox},
            },
        .run = runSaturate,
    };
    return decl;
}

} // namespace sonarium
