// Sampling Rate Conversion: the Source's data copied unchanged under a header that declares
// another rate, so that it plays faster or slower.
#include "operations/operation.h"

namespace sonarium {

namespace {

Kernel prepareSamplingRateConversion(const Parameters& p) {
    const int rate = static_cast<int>(p.number("outputRate"));
    return FilesKernel{[rate](JobFiles& files) {
        sonIO& source = files.source();
        const std::uint32_t total = valueCount(source);
        // The source's channel count and sample width stay in the header; only the rate changes.
        sonIO* destination = files.create({.channels = source.channels,
                                           .rate = rate,
                                           .bits = source.bitsPerSample,
                                           .dataBytes = 2 * std::int64_t{total}},
                                          total);
        if (destination == nullptr)
            return JobOutcome::EndedWithMessage;
        transformBlocks(files.context(), source, *destination, BlockSplit::of(total), {},
                        MessageIcon::Warning, [](std::int16_t*, std::uint32_t) {});
        return JobOutcome::Completed;
    }};
}

} // namespace

const OperationDecl& samplingRateConversionOperation() {
    static const OperationDecl decl{
        .name = "sampling-rate-conversion",
        .caption = "Sampling Rate Conversion 1.0",
        .dialogClass = "CSamplingRateConversionDialog",
        .helpCode = "TOOSAM_1.0",
        .completion = "Sampling conversion - done",
        .commandId = 32959,
        .helpItem = 1714,
        .fields =
            {
                {.item = 1711,
                 .label = "&Source Rate (1, 200000) :",
                 .type = FieldType::Text,
                 .unit = "Smp/s",
                 .enabled = false},
                {.item = 1712,
                 .label = "Conversion &Method :",
                 .type = FieldType::DropDownList,
                 .enabled = false,
                 .choices = {{0, "None", "none"}, {0, "Linear", "linear"}, {0, "Step", "step"}},
                 .defaultChoice = "none"},
                {.item = 1713,
                 .label = "&Output Rate (1, 200000) :",
                 .member = "outputRate",
                 .type = FieldType::Int32,
                 .defaultValue = 44100,
                 .minimum = 1,
                 .maximum = 200000,
                 .unit = "Smp/s"},
            },
        .notes = "The Source's samples unchanged, with the output rate in the header: the result "
                 "plays at output rate / source rate times the Source's speed and pitch. The "
                 "Source's channel count and sample width are kept (an 8-bit file stays 8-bit), "
                 "and its data is copied in whole 16-bit units. No method converts the samples.",
        // The data is copied as it is, whatever its sample width.
        .sources = {.access = SampleAccess::AnyFormat},
        .prepare = prepareSamplingRateConversion,
    };
    return decl;
}

} // namespace sonarium
