// A job's progress shown on a progress bar, repainted at once since the job holds the UI thread.
#pragma once

#include "base/progress.h"

#include <QProgressBar>

namespace sonarium {

class BarProgress final : public Progress {
public:
    explicit BarProgress(QProgressBar* bar) : bar_(bar) {}
    void setProgress(int percent) override {
        bar_->setValue(percent);
        bar_->repaint();
    }

private:
    QProgressBar* bar_;
};

} // namespace sonarium
