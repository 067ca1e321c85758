// A job's progress shown on a progress bar while the job holds the UI thread. The event loop runs
// between blocks every 30 ms at most, so that the windows repaint and Cancel can be clicked.
#pragma once

#include "base/progress.h"
#include "support/event_pump.h"

#include <QProgressBar>

namespace sonarium {

class BarProgress final : public Progress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}

    void setProgress(int percent) override {
        // A bar given a new percentage repaints itself at once, which costs as much as a few
        // blocks of a job. So the bar takes the percentage only when it has changed and the
        // event loop is about to run (and at 100 %): a fast job pays for a few repaints, and the
        // bar never shows a value older than the last pass of the event loop.
        if (percent != bar_->value() && (percent == 100 || pump_.due()))
            bar_->setValue(percent);
        pump_.poll();
    }
    bool cancelRequested() override { return cancelled_; }
    // Called by the window's Cancel: the job stops at its next block.
    void requestCancel() { cancelled_ = true; }

private:
    QProgressBar* bar_;
    EventPump pump_;
    bool cancelled_ = false;
};

} // namespace sonarium
