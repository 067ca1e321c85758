// The progress of a command-line job: "NN %  M:SS left" rewritten in place on stderr a few times
// a second, only when stderr is a terminal (a pipe or a file gets the messages alone). The line
// is wiped before a message is printed and when the job ends.
#pragma once

#include "base/progress.h"

#include <chrono>

namespace sonarium {

class TerminalProgress final : public Progress {
public:
    // shown: draw at all (stderr is a terminal and --quiet was not given).
    explicit TerminalProgress(bool shown);
    ~TerminalProgress() override { clear(); }
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    void setProgress(int percent) override;
    // Wipes the line when one is drawn.
    void clear();

    // True when stderr is a terminal.
    static bool stderrIsTerminal();

private:
    using Clock = std::chrono::steady_clock;
    bool shown_;
    bool drawn_ = false;
    int last_ = -1;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastDraw_{};
};

} // namespace sonarium
