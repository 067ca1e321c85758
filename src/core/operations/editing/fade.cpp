// Fade: a fade in at the start and/or a fade out at the end of the whole file.
#include "operations/editing/edit_job.h"
#include "operations/operation.h"

#include <string>

namespace sonarium {

namespace {

// The "type" choices, in the declaration's order.
enum class FadeType { In, Out, Both };

struct FadeSettings {
    std::string length; // seconds, as typed
    FadeType type = FadeType::Both;

    static FadeSettings of(const Parameters& p) {
        return {p.text("length"), p.choice<FadeType>("type")};
    }
};

JobOutcome fade(JobFiles& files, const FadeSettings& settings) {
    const EditFormat format = EditFormat::of(files.source());
    const bool in = settings.type != FadeType::Out;
    const bool out = settings.type != FadeType::In;
    const std::uint32_t size = format.dataSize;
    // Whole frames, so that both fades and the copy between them add up to the file.
    std::uint32_t length = format.toFrame(SecondsToOffset(settings.length, format));
    if (in && out) {
        if (std::uint64_t{size} < 2ULL * length || length == 0)
            length = format.toFrame(size / 2);
    } else if (length == 0) {
        length = size; // the fade covers the whole file
    }
    EditJob job(files, size);
    if (!job.valid())
        return JobOutcome::EndedWithMessage;
    if (in)
        job.fadeSpan(length, true);
    const std::uint32_t middle = size - (in ? length : 0) - (out ? length : 0);
    if (middle != 0)
        job.CopySpan(middle);
    if (out)
        job.fadeSpan(length, false);
    return job.finish();
}

Kernel prepareFade(const Parameters& p) {
    return FilesKernel{
        [settings = FadeSettings::of(p)](JobFiles& files) { return fade(files, settings); }};
}

} // namespace

const OperationDecl& fadeOperation() {
    static const OperationDecl decl{
        .name = "fade",
        .caption = "Fade 1.0",
        .dialogClass = "CFadeDialog",
        .helpCode = "TOOFAD_1.0",
        .completion = "Fade - done",
        .commandId = 33071,
        .helpItem = 1346,
        .fields =
            {
                {.item = 1002,
                 .label = "Length (0,1000) : ",
                 .member = "length",
                 .type = FieldType::Text,
                 .unit = "s",
                 .defaultChoice = "0.010"},
                {.item = 1358,
                 .label = "Fade &In",
                 .member = "fadeIn",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1,
                 .group = "Type",
                 .dialogOnly = true},
                {.item = 1359,
                 .label = "Fade &Out",
                 .member = "fadeOut",
                 .type = FieldType::CheckBox,
                 .defaultValue = 1,
                 .group = "Type",
                 .dialogOnly = true},
                {.label = "Type",
                 .member = "type",
                 .type = FieldType::RadioGroup,
                 .group = "Type",
                 .choices = {{0, "Fade In", "in"}, {0, "Fade Out", "out"}, {0, "Both", "both"}},
                 .defaultChoice = "both",
                 .commandLineOnly = true},
            },
        .notes = "The length is in seconds, read as the position dialogs read theirs, then "
                 "rounded down to whole frames. With both fades, a length of 0 or longer than "
                 "half the file makes each fade half the file; with one, a length of 0 makes it "
                 "the whole file. The gain ramps linearly from 0 to full level (in) or from full "
                 "level to 0 (out); the part between the fades is copied unchanged.",
        .prepare = prepareFade,
    };
    return decl;
}

} // namespace sonarium
