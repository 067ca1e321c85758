// CChildFrame: the MDI window of one document, holding its view and its own status bar.
#pragma once

#include "display/sonarium_doc.h"
#include "display/sonarium_view.h"

#include <QMdiSubWindow>
#include <array>
#include <memory>

class QLabel;
class QMdiArea;
class QStatusBar;

namespace sonarium {

class CChildFrame final : public QMdiSubWindow {
    Q_OBJECT

public:
    // The size that holds the 450x256 picture; a window opens wider when its status bar needs
    // more room for every pane to show whole.
    static constexpr int kWidth = 462;
    static constexpr int kHeight = 305;
    enum Pane { kLengthPane, kPositionPane, kScalePane, kChannelsPane, kRatePane, kPaneCount };

    // Shares the document: it lives as long as the last window showing it (Duplicate Window
    // makes a second view of the same document).
    CChildFrame(std::shared_ptr<CSonariumDoc> document, ViewHost& host, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CSonariumView* view() const { return view_; }
    CSonariumDoc& document() const { return *document_; }
    const std::shared_ptr<CSonariumDoc>& sharedDocument() const { return document_; }
    QStatusBar* statusBar() const { return statusBar_; }
    QString paneText(Pane pane) const;
    // The line under the panes: the selection's start, end and length.
    QString selectionText() const;

    // The size a window opens at: the picture's, widened so that the status bar shows all five
    // panes whole. Cascading and tiling start from it too.
    QSize openingSize() const { return openingSize_; }
    // Once shown: widens the window by what its status bar lacks for the panes, makes it as high
    // as it takes for the waveform area to be the picture's 256 pixels, and keeps that as its
    // opening size.
    void fitStatusPanes();
    QSize sizeHint() const override { return openingSize_; }

    // Refreshes the panes from the view's readout providers.
    void updateReadouts();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::shared_ptr<CSonariumDoc> document_;
    CSonariumView* view_;
    QStatusBar* statusBar_;
    QWidget* strip_; // the panes, side by side
    QLabel* selectionLine_;
    int panesWidth_ = 0;
    QSize openingSize_{kWidth, kHeight};
    std::array<QLabel*, kPaneCount> panes_{};
};

// Titles the windows of the document: its file name while one window shows it, "name:1",
// "name:2"... in the order they opened while several do. leaving: a window closing, left out.
void titleDocumentWindows(QMdiArea& area, const CSonariumDoc& document,
                          const CChildFrame* leaving = nullptr);

// The program's own mouse cursor over a waveform window.
QCursor waveformCursor();

// Opens the file as a new document in its own window inside the area (the scan's messages go to
// the host's reporter). nullptr when the file cannot be displayed.
CChildFrame* openWaveWindow(QMdiArea& area, ViewHost& host, const QString& path);

// A second window on the document of original, with a view of its own (its own selection and
// cursor, the same picture).
CChildFrame* duplicateWaveWindow(QMdiArea& area, ViewHost& host, const CChildFrame& original);

} // namespace sonarium
