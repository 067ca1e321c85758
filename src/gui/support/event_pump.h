// Lets the event loop run now and then while a job holds the UI thread, so that the windows
// repaint and a Cancel button can be clicked between two blocks.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

namespace sonarium {

class EventPump {
public:
    // Often enough for a window to feel alive, rarely enough to cost nothing next to a block.
    static constexpr qint64 kIntervalMs = 30;

    // True when the next poll() will run the events: at the first call (the window shows at once
    // that the job has started), then once kIntervalMs have passed since the last run.
    bool due() const { return !clock_.isValid() || clock_.elapsed() >= kIntervalMs; }

    void poll(QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents) {
        if (!due())
            return;
        QCoreApplication::processEvents(flags);
        clock_.start();
    }

private:
    QElapsedTimer clock_;
};

} // namespace sonarium
