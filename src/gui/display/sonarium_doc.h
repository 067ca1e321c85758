// CSonariumDoc: one open wave file, held as the peak summary of its display scan.
#pragma once

#include "display/display_scan.h"

#include <QString>

class QWidget;

namespace sonarium {

// The scan's fields (dataSize, channels, framesPerColumn, the peak tables...) are the document's
// own, read directly by the view.
class CSonariumDoc : public DisplaySummary {
public:
    // Scans the file under the "Scanning file for display" progress window. An empty path makes
    // an empty document. False when the file cannot be displayed (the messages, if any, have been
    // shown); the caller then discards the document.
    bool OnOpenDocument(const QString& path, Reporter& reporter, QWidget* progressParent = nullptr);

    const QString& GetPathName() const { return pathName_; }
    // Gives the document a new path (after Save As or Rename); the summary is unchanged.
    void SetPathName(const QString& path);
    // The file name without its folder.
    const QString& GetTitle() const { return title_; }
    // The extremes at several resolutions that zoomed views draw from (16-bit files only).
    const ZoomPeaks& zoomPeaks() const { return zoomPeaks_; }

private:
    ZoomPeaks zoomPeaks_;
    QString pathName_;
    QString title_;
};

} // namespace sonarium
