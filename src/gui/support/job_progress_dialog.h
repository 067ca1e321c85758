// The progress window of a job that has no dialog of its own (Crop, say): modal, shown only once
// the job has run for a while, and its Cancel asks the job to stop.
#pragma once

#include "base/progress.h"
#include "support/event_pump.h"

#include <QProgressDialog>

namespace sonarium {

class JobProgressDialog final : public QProgressDialog, public Progress {
    Q_OBJECT

public:
    // Short jobs end before the window would appear.
    static constexpr int kShowAfterMs = 400;

    JobProgressDialog(const QString& caption, QWidget* parent);

    void setProgress(int percent) override;
    bool cancelRequested() override { return wasCanceled(); }

private:
    EventPump pump_;
};

} // namespace sonarium
