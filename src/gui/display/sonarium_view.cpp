// The waveform view: painting, mouse selection, readouts, focus handling and printing.
#include "display/sonarium_view.h"

#include "display/readouts.h"
#include "render/waveform_picture.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <ctime>

SONARIUM_DECLARE_OPERATION(crop);

namespace sonarium {

namespace {

// Below the waveform: the path text, then the scroll bar.
constexpr int kPathStripHeight = 20;
constexpr double kZoomStep = 2.0;
// One notch of a mouse wheel, in eighths of a degree.
constexpr double kWheelNotch = 120.0;
constexpr int kMaxScrollSteps = 1 << 30;
constexpr int kPlayCursorPollMs = 30;
// Where the play cursor lands when the view turns a page to follow it, as a share of the view.
constexpr double kFollowMargin = 0.05;
const QColor kPlayCursorColour(220, 0, 120);

constexpr const char* kEightBitSelectionMessage =
    "No selection can be made on an 8 bit file, use -import 8 bit file- to convert it.";

// Screen pixels per inch the picture is laid out for when printed.
constexpr double kPrintLayoutDpi = 96.0;

QColor toQColor(Rgb colour) {
    return QColor(colour.red, colour.green, colour.blue);
}

} // namespace

CSonariumView::CSonariumView(CSonariumDoc& document, ViewHost& host, QWidget* parent)
    : QWidget(parent), document_(document), host_(host) {
    const ViewPreferences prefs = host_.viewPreferences();
    const auto seed = static_cast<std::uint32_t>(static_cast<std::uint64_t>(std::time(nullptr)) *
                                                 static_cast<std::uint32_t>(host_.tempCounter()));
    waveColour_ = chooseWaveColour(prefs.randomWaveColour, prefs.greenWaveColour, seed);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    scroll_ = new QScrollBar(Qt::Horizontal, this);
    scroll_->setObjectName(QStringLiteral("waveScrollBar"));
    scroll_->setFocusPolicy(Qt::NoFocus);
    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (syncingScroll_)
            return;
        span_.scrollTo(value * scrollUnit_);
        spanChanged();
    });
    playPoll_.setInterval(kPlayCursorPollMs);
    connect(&playPoll_, &QTimer::timeout, this, &CSonariumView::updatePlayCursor);
    selEnd = document_.dataSize;
    span_ = ViewSpan(totalFrames(), kPictureWidth);
    renderPicture();
    syncScrollBar();
}

void CSonariumView::OnInitialUpdate() {
    cursorTime = 0.0f;
    selStart = 0;
    selEnd = document_.dataSize;
    renderPicture();
    span_ = ViewSpan(totalFrames(), waveArea().width());
    spanChanged();
    emit readoutsChanged();
}

std::uint64_t CSonariumView::totalFrames() const {
    const std::uint64_t frameBytes =
        static_cast<std::uint64_t>(std::max(document_.bitsPerSample / 8, 1)) *
        static_cast<std::uint64_t>(std::max(document_.channels, 1));
    return document_.dataSize / frameBytes;
}

void CSonariumView::renderPicture() {
    picture_ =
        renderWaveformPicture(document_, toQColor(waveColour_), palette().color(QPalette::Base));
    waveDirty_ = true;
}

QRect CSonariumView::waveArea() const {
    const int below = kPathStripHeight + scroll_->sizeHint().height();
    return QRect(0, 0, std::max(width(), 1), std::max(height() - below, 1));
}

QSize CSonariumView::sizeForWaveArea(QSize area) const {
    return QSize(area.width(), area.height() + kPathStripHeight + scroll_->sizeHint().height());
}

void CSonariumView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect area = waveArea();
    const int bar = scroll_->sizeHint().height();
    scroll_->setGeometry(0, height() - bar, width(), bar);
    span_.setWidth(area.width());
    spanChanged();
}

bool CSonariumView::canZoom() const {
    return document_.bitsPerSample == 16 && totalFrames() > 0;
}

void CSonariumView::spanChanged() {
    waveDirty_ = true;
    syncScrollBar();
    update();
    emit readoutsChanged();
}

void CSonariumView::syncScrollBar() {
    const QSignalBlocker block(scroll_);
    if (!span_.zoomed()) {
        scroll_->setRange(0, 0);
        scroll_->setEnabled(false);
        return;
    }
    // Steps of at least a pixel, and few enough for an int.
    const double total = static_cast<double>(span_.totalFrames());
    scrollUnit_ = std::max(span_.framesPerPixel(), total / kMaxScrollSteps);
    const double last = std::max(total - span_.visibleFrames(), 0.0);
    scroll_->setEnabled(true);
    scroll_->setRange(0, static_cast<int>(std::ceil(last / scrollUnit_)));
    scroll_->setPageStep(std::max(1, static_cast<int>(span_.visibleFrames() / scrollUnit_)));
    scroll_->setSingleStep(std::max(1, scroll_->pageStep() / 10));
    scroll_->setValue(static_cast<int>(std::lround(span_.start() / scrollUnit_)));
}

void CSonariumView::zoomAt(double x, double factor) {
    if (!canZoom())
        return;
    span_.zoomAround(x, factor);
    spanChanged();
}

void CSonariumView::zoomIn() {
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const bool over = waveArea().contains(pointer);
    zoomAt(over ? pointer.x() : waveArea().width() / 2.0, kZoomStep);
}

void CSonariumView::zoomOut() {
    const QPoint pointer = mapFromGlobal(QCursor::pos());
    const bool over = waveArea().contains(pointer);
    zoomAt(over ? pointer.x() : waveArea().width() / 2.0, 1.0 / kZoomStep);
}

void CSonariumView::zoomToSelection() {
    if (!canZoom())
        return;
    const double frameBytes = 2.0 * std::max(document_.channels, 1);
    if (!hasSelection({selStart, selEnd}, document_.dataSize) || selEnd <= selStart) {
        zoomFit();
        return;
    }
    span_.zoomTo(selStart / frameBytes, selEnd / frameBytes);
    spanChanged();
}

void CSonariumView::zoomFit() {
    span_.fit();
    spanChanged();
}

void CSonariumView::fillZoomed(ZoomedWave& wave) {
    const int width = waveArea().width();
    const int channels = document_.channels == 2 ? 2 : 1;
    wave.channels = channels;
    const double start = span_.start();
    const double fpp = span_.framesPerPixel();
    const ZoomPeaks& peaks = document_.zoomPeaks();
    if (peaks.ready() && fpp >= static_cast<double>(peaks.finestFrames())) {
        for (int c = 0; c < channels; ++c) {
            auto& columns = wave.columns[static_cast<std::size_t>(c)];
            columns.resize(static_cast<std::size_t>(width));
            peaks.columns(c, start, fpp, columns);
        }
        return;
    }
    // Finer than the summary: the visible frames, read from the file once per span.
    const auto first = static_cast<std::uint64_t>(std::max(std::floor(start) - 1.0, 0.0));
    const auto count = static_cast<std::uint64_t>(std::ceil(span_.visibleFrames())) + 3;
    if (readFirst_ != first || readCount_ != count) {
        readFirst_ = first;
        readCount_ = count;
        if (!readFrames(document_.GetPathName().toStdString(), document_.dataOffset,
                        document_.dataSize, channels, first, count, readValues_))
            readValues_.clear();
    }
    if (fpp >= 1.0) {
        for (int c = 0; c < channels; ++c) {
            auto& columns = wave.columns[static_cast<std::size_t>(c)];
            columns.resize(static_cast<std::size_t>(width));
            columnsFromSamples(readValues_, channels, c, readFirst_, start, fpp, columns);
        }
        return;
    }
    wave.points = true;
    const std::size_t frames = readValues_.size() / static_cast<std::size_t>(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        // Each value at the middle of the pixels its frame covers.
        wave.x.push_back(span_.pixelOf(static_cast<double>(readFirst_ + f) + 0.5));
        for (int c = 0; c < channels; ++c)
            wave.values[static_cast<std::size_t>(c)].push_back(
                readValues_[f * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)]);
    }
}

void CSonariumView::renderWave() {
    const QSize size = waveArea().size();
    if (!waveDirty_ && wave_.size() == size)
        return;
    waveDirty_ = false;
    const QColor background = palette().color(QPalette::Base);
    if (!span_.zoomed() || !canZoom()) {
        // At 450 x 256 the picture itself, pixel for pixel.
        wave_ = size == picture_.size()
                    ? picture_
                    : renderWaveformPicture(document_, toQColor(waveColour_), background, size);
        return;
    }
    ZoomedWave wave;
    fillZoomed(wave);
    wave_ = renderZoomedPicture(wave, toQColor(waveColour_), background, size);
}

QImage CSonariumView::shownWave() {
    renderWave();
    QImage shown = wave_;
    const Selection selection{selStart, selEnd};
    if (hasSelection(selection, document_.dataSize)) {
        const ColumnSpan span =
            selectionPixels(span_, selection, document_.dataSize, document_.channels);
        invertColumns(shown, span.first, span.last);
    }
    if (playCursor_) {
        QPainter painter(&shown);
        painter.setPen(QPen(kPlayCursorColour, 0));
        painter.drawLine(*playCursor_, 0, *playCursor_, shown.height() - 1);
    }
    return shown;
}

QColor CSonariumView::textColour() const {
    return toQColor(waveColour_);
}

void CSonariumView::paintEvent(QPaintEvent*) {
    clientWidth_ = width();
    clientHeight_ = height();
    const QImage shown = shownWave();
    QPainter painter(this);
    painter.fillRect(QRect(0, shown.height(), width(), height() - shown.height()),
                     palette().color(QPalette::Window));
    painter.drawImage(0, 0, shown);
    drawPathText(painter, document_.GetPathName(), textColour(), kScreenPathTextHeight,
                 shown.height() + kPathTextY - kPictureHeight);
}

void CSonariumView::DrawSelection() {
    repaint();
    emit readoutsChanged();
}

void CSonariumView::OnEditSelectAll() {
    selStart = 0;
    selEnd = document_.dataSize;
    DrawSelection();
}

void CSonariumView::setSelection(std::uint32_t start, std::uint32_t end) {
    selStart = start;
    selEnd = end;
    DrawSelection();
}

void CSonariumView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    playPoll_.start();
}

void CSonariumView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    playPoll_.stop();
}

void CSonariumView::updatePlayCursor() {
    std::optional<int> pixel;
    if (const auto frame = host_.playingFrame(document_.GetPathName().toStdString())) {
        // While zoomed the view follows the sound a page at a time.
        if (span_.zoomed() &&
            (*frame < span_.start() || *frame >= span_.start() + span_.visibleFrames())) {
            span_.scrollTo(*frame - span_.visibleFrames() * kFollowMargin);
            spanChanged();
        }
        const int x = static_cast<int>(std::floor(span_.pixelOf(*frame)));
        if (x >= 0 && x < waveArea().width())
            pixel = x;
    }
    if (pixel != playCursor_) {
        playCursor_ = pixel;
        update();
    }
}

JobOutcome CSonariumView::ExtractSelectionToTemp() {
    return ExtractSelectionTo(host_.NextTempPath());
}

JobOutcome CSonariumView::ExtractSelectionTo(const std::string& path) {
    const JobInput input{.source = document_.GetPathName().toStdString(),
                         .selection = selectedFrames()};
    return host_.runOperation(cropOperation(), input, path);
}

FrameSpan CSonariumView::selectedFrames() const {
    const std::uint32_t frameBytes =
        2 * static_cast<std::uint32_t>(std::max(document_.channels, 1));
    if (selEnd <= selStart)
        return {.first = selStart / frameBytes, .count = 0};
    // A selection up to the end takes the data's last bytes, even a part of a frame.
    if (selEnd >= document_.dataSize)
        return {.first = selStart / frameBytes, .count = FrameSpan::kToEnd};
    return {.first = selStart / frameBytes, .count = (selEnd - selStart) / frameBytes};
}

double CSonariumView::pointerX(const QMouseEvent* event) const {
    return std::floor(event->position().x());
}

std::uint32_t CSonariumView::offsetAt(double x) const {
    return offsetAtPixel(span_, x, document_.dataSize, document_.channels);
}

bool CSonariumView::refuseEightBit() {
    if (document_.bitsPerSample != 8)
        return false;
    host_.reporter().report(kEightBitSelectionMessage, MessageIcon::Warning);
    return true;
}

void CSonariumView::applyMouseGesture(Gesture gesture, double x) {
    const Selection next =
        applyGesture({selStart, selEnd}, gesture, offsetAt(x), document_.dataSize);
    selStart = next.start;
    selEnd = next.end;
    DrawSelection();
}

void CSonariumView::mousePressEvent(QMouseEvent* event) {
    const bool left = event->button() == Qt::LeftButton;
    if (!left && event->button() != Qt::RightButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    press_.reset();
    if (refuseEightBit())
        return;
    press_ = Press{.button = event->button(),
                   .shift = (event->modifiers() & Qt::ShiftModifier) != 0,
                   .x = pointerX(event),
                   .offset = offsetAt(pointerX(event)),
                   .dragging = false,
                   .before = {selStart, selEnd}};
}

void CSonariumView::dragTo(double x) {
    // From where the button went down; with Shift, from the end of the old selection away from
    // the press, so that the selection grows or shrinks on the side pressed.
    std::uint32_t anchor = press_->offset;
    if (press_->shift) {
        const std::uint32_t pressed = anchor;
        const Selection old = press_->before;
        const auto distance = [pressed](std::uint32_t offset) {
            return offset > pressed ? offset - pressed : pressed - offset;
        };
        anchor = distance(old.start) > distance(old.end) ? old.start : old.end;
    }
    const std::uint32_t at = offsetAt(x);
    selStart = std::min(anchor, at);
    selEnd = std::max(anchor, at);
    DrawSelection();
}

void CSonariumView::mouseReleaseEvent(QMouseEvent* event) {
    if (!press_ || event->button() != press_->button) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const Press press = *press_;
    press_.reset();
    if (press.dragging)
        return; // the last move has set the selection
    const bool left = press.button == Qt::LeftButton;
    const Gesture gesture = left ? (press.shift ? Gesture::ShiftLeft : Gesture::Left)
                                 : (press.shift ? Gesture::ShiftRight : Gesture::Right);
    applyMouseGesture(gesture, press.x);
}

void CSonariumView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has already been handled (and refused on an 8-bit file); the
    // release that follows the double click is no click of its own.
    press_.reset();
    if (document_.bitsPerSample == 8)
        return;
    if (event->button() == Qt::LeftButton)
        applyMouseGesture(Gesture::LeftDoubleClick, pointerX(event));
    else if (event->button() == Qt::RightButton)
        applyMouseGesture(Gesture::RightDoubleClick, pointerX(event));
}

void CSonariumView::mouseMoveEvent(QMouseEvent* event) {
    const double x = pointerX(event);
    if (press_ && press_->button == Qt::LeftButton) {
        if (!press_->dragging && std::abs(x - press_->x) >= QApplication::startDragDistance())
            press_->dragging = true;
        if (press_->dragging) {
            // Past an edge of a zoomed view, the view follows the pointer.
            const double width = waveArea().width();
            const double frame = span_.frameAt(x);
            if (span_.zoomed() && (x < 0 || x > width)) {
                span_.scrollTo(x < 0 ? frame : frame - span_.visibleFrames());
                spanChanged();
            }
            dragTo(span_.zoomed() ? span_.pixelOf(frame) : x);
        }
    }
    // At the file's own rate (44100 for a header that gives none).
    const double rate = document_.sampleRate > 0 ? document_.sampleRate : 44100.0;
    double frames = 0.0;
    if (span_.zoomed())
        frames = span_.frameAt(x);
    else // the column of the 450 the pointer is over, as the picture counts them
        frames = x * kDisplayColumns / span_.width() * document_.framesPerColumn;
    cursorTime = std::max(static_cast<float>(frames / rate), 0.0f);
    emit readoutsChanged();
}

void CSonariumView::wheelEvent(QWheelEvent* event) {
    const QPoint angle = event->angleDelta();
    if ((event->modifiers() & Qt::ControlModifier) != 0) {
        if (angle.y() != 0)
            zoomAt(std::floor(event->position().x()), std::pow(kZoomStep, angle.y() / kWheelNotch));
        event->accept();
        return;
    }
    if (span_.zoomed() && (angle.y() != 0 || angle.x() != 0)) {
        // A notch scrolls a tenth of the view; towards the end when the wheel turns down.
        const int delta = angle.x() != 0 ? angle.x() : angle.y();
        span_.scrollTo(span_.start() - delta / kWheelNotch * span_.visibleFrames() / 10.0);
        spanChanged();
        event->accept();
        return;
    }
    QWidget::wheelEvent(event);
}

void CSonariumView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    host_.StopPlaying();
    if (!document_.GetPathName().isEmpty())
        host_.AddToList(document_.GetPathName().toStdString(), document_.channels);
    host_.waveWindowFocused();
    if (host_.selectionState() != 2)
        host_.OnSourceChanged();
}

void CSonariumView::OnActivateView(bool) {
    if (host_.viewPreferences().stopPlayingOnFocusLoss)
        host_.StopPlaying();
}

QString CSonariumView::lengthText() const {
    return QString::fromStdString(lengthReadout(document_.duration));
}

QString CSonariumView::positionText() const {
    return QString::fromStdString(positionReadout(cursorTime));
}

QString CSonariumView::channelsText() const {
    return document_.channels == 2 ? QString::fromStdString(channelsReadout(2)) : QString();
}

QString CSonariumView::rateText() const {
    return QString::fromStdString(rateReadout(document_.sampleRate));
}

QString CSonariumView::scaleText() const {
    // Zoomed, the frames a pixel column covers now.
    return QString::fromStdString(
        scaleReadout(span_.zoomed() ? span_.framesPerPixel() : double(document_.framesPerColumn)));
}

QString CSonariumView::selectionText() const {
    const std::uint64_t frameBytes =
        2U * static_cast<std::uint64_t>(std::max(document_.channels, 1));
    return QString::fromStdString(
        selectionReadout(selStart / frameBytes, selEnd / frameBytes, document_.sampleRate));
}

void CSonariumView::printTo(QPrinter& printer) {
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const double scale = printer.resolution() / kPrintLayoutDpi;
    painter.scale(scale, scale);
    painter.drawImage(0, 0, picture_);
    drawPathText(painter, document_.GetPathName(), textColour(), kPrintedPathTextHeight);
}

void CSonariumView::OnFilePrint() {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

} // namespace sonarium
