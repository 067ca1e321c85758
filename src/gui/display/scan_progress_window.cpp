// The "Scanning file for display" window.
#include "display/scan_progress_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>

namespace sonarium {

ScanProgressWindow::ScanProgressWindow(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint), bar_(new QProgressBar(this)) {
    setWindowTitle(QStringLiteral("Scanning file for display"));
    setObjectName(QStringLiteral("scanProgress"));
    setModal(false);
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    bar_->setRange(0, 100);
    bar_->setValue(0);
    bar_->setTextVisible(false);
    bar_->setMinimumWidth(200);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture);
    layout->addWidget(bar_);
}

void ScanProgressWindow::setPercent(int percent) {
    bar_->setValue(percent);
    bar_->repaint();
}

} // namespace sonarium
