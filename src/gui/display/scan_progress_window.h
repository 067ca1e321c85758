// The small modeless window shown while a file is scanned for display.
#pragma once

#include <QDialog>

class QProgressBar;

namespace sonarium {

class ScanProgressWindow final : public QDialog {
    Q_OBJECT

public:
    explicit ScanProgressWindow(QWidget* parent = nullptr);
    // Moves the bar (0..100) and repaints it at once: the scan does not return to the event loop.
    void setPercent(int percent);

private:
    QProgressBar* bar_;
};

} // namespace sonarium
