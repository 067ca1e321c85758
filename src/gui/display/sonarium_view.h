// CSonariumView: the waveform of one document, its mouse selection and its readouts.
#pragma once

#include "display/selection.h"
#include "display/sonarium_doc.h"
#include "display/view_host.h"
#include "display/view_span.h"
#include "display/wave_colour.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <optional>
#include <vector>

class QPrinter;
class QScrollBar;

namespace sonarium {

struct ZoomedWave;

class CSonariumView final : public QWidget {
    Q_OBJECT

public:
    // Chooses the waveform colour from the host's preferences; the document outlives the view.
    CSonariumView(CSonariumDoc& document, ViewHost& host, QWidget* parent = nullptr);

    // Resets the cursor time and the selection to the whole file.
    void OnInitialUpdate();

    CSonariumDoc& GetDocument() const { return document_; }
    Rgb waveColour() const { return waveColour_; }
    // The 450 x 256 picture of the peak tables, without the selection (what is printed).
    const QImage& picture() const { return picture_; }

    // The view fills its window: the waveform takes all of it but a strip for the path text
    // and the horizontal scroll bar at the bottom.
    QRect waveArea() const;
    // The size of the view whose waveform area has the given size.
    QSize sizeForWaveArea(QSize area) const;
    // The waveform area as it is shown now, selection and play cursor included.
    QImage shownWave();

    // Zoom and scroll. Unzoomed, the whole file is drawn from the peak tables scaled to the
    // area; zoomed, from the document's multi-resolution extremes, or from the file itself for
    // spans finer than they are. Only 16-bit files zoom.
    const ViewSpan& span() const { return span_; }
    bool canZoom() const;
    // factor > 1 zooms in, keeping the frame under pixel x of the area in place.
    void zoomAt(double x, double factor);
    // Around the pointer when it is over the waveform, else around the middle.
    void zoomIn();
    void zoomOut();
    void zoomToSelection();
    void zoomFit();
    QScrollBar* scrollBar() const { return scroll_; }

    // Copies the picture to the window with the selected columns inverted, at once.
    void DrawSelection();
    void OnEditSelectAll();
    // Sets the selection as the selection dialogs do, then redraws it.
    void setSelection(std::uint32_t start, std::uint32_t end);

    // Crop: the selection into the next temporary file, or into a given file.
    JobOutcome ExtractSelectionToTemp();
    JobOutcome ExtractSelectionTo(const std::string& path);
    // The selection in frames of the document (up to the end when it runs to the last byte).
    FrameSpan selectedFrames() const;

    // Texts of the five status-bar panes.
    QString lengthText() const;
    QString positionText() const;
    QString scaleText() const;
    // Empty for a file that is not stereo: the pane keeps its text.
    QString channelsText() const;
    QString rateText() const;
    // The selection's start, end and length, in time at the file's rate and in frames.
    QString selectionText() const;

    // The waveform frame's activation changed: playback stops when the preference says so.
    void OnActivateView(bool active);

    // Landscape page with the picture and the path text 48 pixels high; no selection.
    void printTo(QPrinter& printer);
    // Print with the print dialog.
    void OnFilePrint();

    std::uint32_t selStart = 0;
    std::uint32_t selEnd = 0;
    float cursorTime = 0.0f;

    // The pixel of the play cursor in the waveform area, when the file plays and it shows.
    std::optional<int> playCursorPixel() const { return playCursor_; }
    // Asks the host where playback is and moves the play cursor (a timer does it while shown).
    void updatePlayCursor();

signals:
    // The Position readout (or, after an initial update, any readout) has changed.
    void readoutsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void renderPicture();
    // Draws the waveform area for the span when the span or the size has changed.
    void renderWave();
    void fillZoomed(ZoomedWave& wave);
    void spanChanged();
    void syncScrollBar();
    QColor textColour() const;
    double pointerX(const QMouseEvent* event) const;
    std::uint32_t offsetAt(double x) const;
    bool refuseEightBit();
    void applyMouseGesture(Gesture gesture, double x);
    void dragTo(double x);
    std::uint64_t totalFrames() const;

    CSonariumDoc& document_;
    ViewHost& host_;
    Rgb waveColour_;
    QImage picture_;
    QImage wave_; // the waveform area for span_, without selection and cursor
    bool waveDirty_ = true;
    ViewSpan span_;
    QScrollBar* scroll_ = nullptr;
    double scrollUnit_ = 1.0; // frames per scroll bar step
    bool syncingScroll_ = false;
    // Frames last read from the file for a fine zoom: the next redraw of the same span reuses
    // them.
    std::uint64_t readFirst_ = 0;
    std::uint64_t readCount_ = 0;
    std::vector<std::int16_t> readValues_;
    // A press waits for its release (a click, with the button rules) or a drag.
    struct Press {
        Qt::MouseButton button = Qt::NoButton;
        bool shift = false;
        double x = 0.0;
        std::uint32_t offset = 0; // under the press, where a drag starts from
        bool dragging = false;
        Selection before;
    };
    std::optional<Press> press_;
    std::optional<int> playCursor_;
    QTimer playPoll_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
};

} // namespace sonarium
