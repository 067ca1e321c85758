// Jobs that throw before opening anything and in the middle of writing their result.
#include "throwing_jobs.h"

#include <functional>
#include <stdexcept>

SONARIUM_DECLARE_OPERATION(volume);

namespace sonarium::test {

namespace {

// Passes the job's progress on, and throws once it reaches a fifth (the destination has been
// created and holds some blocks by then).
template <typename Throw> class ThrowingProgress final : public Progress {
public:
    ThrowingProgress(Progress& inner, Throw raise) : inner_(inner), raise_(raise) {}
    void setProgress(int percent) override {
        inner_.setProgress(percent);
        if (percent >= 20)
            raise_();
    }
    bool cancelRequested() override { return inner_.cancelRequested(); }

private:
    Progress& inner_;
    Throw raise_;
};

// Volume's job at its defaults, with its progress throwing half-way through.
template <typename Throw> JobOutcome volumeThrowingMidway(JobContext& context, Throw raise) {
    ThrowingProgress progress(context.progress, raise);
    JobContext inner{.wave = context.wave,
                     .progress = progress,
                     .input = context.input,
                     .destination = context.destination,
                     .result = context.result};
    return volumeOperation().run(inner, volumeOperation().defaults());
}

OperationDecl thrower(bool withDialog, std::function<Kernel(const Parameters&)> prepare) {
    return OperationDecl{.name = "thrower",
                         .caption = "Thrower 1.0",
                         .dialogClass = withDialog ? "CThrowerDialog" : "",
                         .helpCode = withDialog ? "EFFTHR_1.0" : "",
                         .completion = "Thrower - done",
                         .commandId = 39999,
                         .prepare = std::move(prepare)};
}

// A kernel handed the open files that runs Volume's job with its progress throwing mid-way.
template <typename Throw> std::function<Kernel(const Parameters&)> midway(Throw raise) {
    return [raise](const Parameters&) -> Kernel {
        return FilesKernel{
            [raise](JobFiles& files) { return volumeThrowingMidway(files.context(), raise); }};
    };
}

} // namespace

std::vector<ThrowingJob> throwingJobs(bool withDialog) {
    return {
        {"a misspelled member",
         thrower(withDialog,
                 [](const Parameters& p) -> Kernel {
                     // Decoding reads a member the declaration does not have.
                     const double kept = p.number("kept");
                     return GeneratorKernel{.total = static_cast<std::uint32_t>(kept)};
                 }),
         "Internal error in Thrower: no numeric parameter 'kept'"},
        {"a standard exception mid-way",
         thrower(withDialog, midway([] { throw std::runtime_error("block 3 is out of range"); })),
         "Internal error in Thrower: block 3 is out of range"},
        {"another exception mid-way", thrower(withDialog, midway([] { throw 42; })),
         "Internal error in Thrower: an error that is not a standard exception"},
    };
}

} // namespace sonarium::test
