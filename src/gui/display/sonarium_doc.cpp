// Opening a document: the display scan under its progress window.
#include "display/sonarium_doc.h"

#include "display/scan_progress_window.h"

#include <QFileInfo>
#include <memory>

namespace sonarium {

bool CSonariumDoc::OnOpenDocument(const QString& path, Reporter& reporter,
                                  QWidget* progressParent) {
    pathName_ = path;
    title_ = path.isEmpty() ? QString() : QFileInfo(path).fileName();
    if (path.isEmpty())
        return true;

    // The window appears once the header has been read and disappears with the scan.
    std::unique_ptr<ScanProgressWindow> window;
    auto progress = [&](int percent) {
        if (!window) {
            window = std::make_unique<ScanProgressWindow>(progressParent);
            window->show();
            window->setPercent(0);
        }
        window->setPercent(percent);
    };
    DisplaySummary& summary = *this;
    return scanForDisplay(path.toStdString(), reporter, summary, progress, &zoomPeaks_) ==
           ScanStatus::Ok;
}

void CSonariumDoc::SetPathName(const QString& path) {
    pathName_ = path;
    title_ = QFileInfo(path).fileName();
}

} // namespace sonarium
