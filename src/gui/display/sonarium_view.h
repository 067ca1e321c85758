// CSonariumView: the waveform of one document, its mouse selection and its readouts.
#pragma once

#include "display/selection.h"
#include "display/sonarium_doc.h"
#include "display/view_host.h"
#include "display/wave_colour.h"

#include <QImage>
#include <QWidget>

class QPrinter;

namespace sonarium {

class CSonariumView final : public QWidget {
    Q_OBJECT

public:
    // Chooses the waveform colour from the host's preferences; the document outlives the view.
    CSonariumView(CSonariumDoc& document, ViewHost& host, QWidget* parent = nullptr);

    // Resets the cursor time and the selection to the whole file.
    void OnInitialUpdate();

    CSonariumDoc& GetDocument() const { return document_; }
    Rgb waveColour() const { return waveColour_; }
    // The rendered picture without the selection.
    const QImage& picture() const { return picture_; }

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

    // The waveform frame's activation changed: playback stops when the preference says so.
    void OnActivateView(bool active);

    // Landscape page with the picture and the path text 48 pixels high; no selection.
    void printTo(QPrinter& printer);
    // Print with the print dialog.
    void OnFilePrint();

    std::uint32_t selStart = 0;
    std::uint32_t selEnd = 0;
    float cursorTime = 0.0f;

signals:
    // The Position readout (or, after an initial update, any readout) has changed.
    void readoutsChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void renderPicture();
    QColor textColour() const;
    // The column under the pointer; not limited.
    static int pointerColumn(const QMouseEvent* event);
    bool refuseEightBit();
    void applyMouseGesture(Gesture gesture, int column);

    CSonariumDoc& document_;
    ViewHost& host_;
    Rgb waveColour_;
    QImage picture_;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
};

} // namespace sonarium
