// Drawing the progress line.
#include "terminal_progress.h"

#include <cstdio>
#include <unistd.h>

namespace sonarium {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

} // namespace

TerminalProgress::TerminalProgress(bool shown) : shown_(shown) {}

bool TerminalProgress::stderrIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

void TerminalProgress::setProgress(int percent) {
    if (!shown_ || percent == last_)
        return;
    const Clock::time_point now = Clock::now();
    // The last percentage is always drawn; the others a few times a second at most.
    if (percent < 100 && drawn_ && now - lastDraw_ < kRedrawEvery)
        return;
    last_ = percent;
    lastDraw_ = now;
    std::fprintf(stderr, "\r%3d %%", percent);
    if (percent > 0 && percent < 100) {
        const double elapsed = std::chrono::duration<double>(now - start_).count();
        const auto left = static_cast<long>(elapsed * (100 - percent) / percent + 0.5);
        std::fprintf(stderr, "  %ld:%02ld left", left / 60, left % 60);
    }
    std::fputs("\033[K", stderr); // the rest of an earlier, longer line
    std::fflush(stderr);
    drawn_ = true;
}

void TerminalProgress::clear() {
    if (!drawn_)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

} // namespace sonarium
