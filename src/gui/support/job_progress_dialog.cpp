// The progress window of a job without a dialog.
#include "support/job_progress_dialog.h"

namespace sonarium {

JobProgressDialog::JobProgressDialog(const QString& caption, QWidget* parent)
    : QProgressDialog(caption, QStringLiteral("Cancel"), 0, 100, parent) {
    setObjectName(QStringLiteral("jobProgress"));
    setWindowTitle(caption);
    setWindowModality(Qt::ApplicationModal);
    // The window stays up to the job's end, even at 100 %: the job closes it.
    setAutoReset(false);
    setAutoClose(false);
    setMinimumDuration(kShowAfterMs);
    setValue(0);
}

void JobProgressDialog::setProgress(int percent) {
    // A cancelled window has hidden itself; a value set now would bring it back.
    if (wasCanceled())
        return;
    // As on a dialog's bar: a new value repaints (and, once the window is up, runs the event
    // loop), so it is given only when the event loop is due anyway.
    if (percent != value() && (percent == 100 || pump_.due()))
        setValue(percent);
    // Until the window is up, a click on the main window must wait: it could start another job
    // in the middle of this one. Once it is up, its modality keeps other windows out.
    pump_.poll(isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

} // namespace sonarium
