// A job's progress shown on a progress bar while the job holds the UI thread. The bar is set only
// when the percentage changes (the bar then repaints itself at once), and the event loop runs
// between blocks so that Cancel can be clicked.
#pragma once

#include "base/progress.h"
#include "support/event_pump.h"

#include <QProgressBar>

namespace sonarium {

class BarProgress final : public Progress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}

    void setProgress(int percent) override {
        if (percent != bar_->value())
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
