// The waveform view: painting, mouse selection, readouts, focus handling and printing.
#include "display/sonarium_view.h"

#include "display/readouts.h"
#include "render/waveform_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>
#include <ctime>

SONARIUM_DECLARE_OPERATION(crop);

namespace sonarium {

namespace {

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
    selEnd = document_.dataSize;
    renderPicture();
}

void CSonariumView::OnInitialUpdate() {
    cursorTime = 0.0f;
    selStart = 0;
    selEnd = document_.dataSize;
    renderPicture();
    update();
    emit readoutsChanged();
}

void CSonariumView::renderPicture() {
    picture_ =
        renderWaveformPicture(document_, toQColor(waveColour_), palette().color(QPalette::Base));
}

QColor CSonariumView::textColour() const {
    return toQColor(waveColour_);
}

void CSonariumView::paintEvent(QPaintEvent*) {
    clientWidth_ = width();
    clientHeight_ = height();
    QImage shown = picture_;
    const Selection selection{selStart, selEnd};
    if (hasSelection(selection, document_.dataSize)) {
        const ColumnSpan span = selectionColumns(selection, document_.dataSize);
        invertColumns(shown, span.first, span.last);
    }
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawImage(0, 0, shown);
    drawPathText(painter, document_.GetPathName(), textColour(), kScreenPathTextHeight);
}

void CSonariumView::DrawSelection() {
    repaint();
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

int CSonariumView::pointerColumn(const QMouseEvent* event) {
    return static_cast<int>(std::floor(event->position().x()));
}

bool CSonariumView::refuseEightBit() {
    if (document_.bitsPerSample != 8)
        return false;
    host_.reporter().report(kEightBitSelectionMessage, MessageIcon::Warning);
    return true;
}

void CSonariumView::applyMouseGesture(Gesture gesture, int column) {
    const std::uint32_t offset = offsetAtColumn(column, document_.dataSize, document_.channels);
    const Selection next = applyGesture({selStart, selEnd}, gesture, offset, document_.dataSize);
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
    if (refuseEightBit())
        return;
    const bool shift = (event->modifiers() & Qt::ShiftModifier) != 0;
    const Gesture gesture = left ? (shift ? Gesture::ShiftLeft : Gesture::Left)
                                 : (shift ? Gesture::ShiftRight : Gesture::Right);
    applyMouseGesture(gesture, pointerColumn(event));
}

void CSonariumView::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has already been handled (and refused on an 8-bit file).
    if (document_.bitsPerSample == 8)
        return;
    if (event->button() == Qt::LeftButton)
        applyMouseGesture(Gesture::LeftDoubleClick, pointerColumn(event));
    else if (event->button() == Qt::RightButton)
        applyMouseGesture(Gesture::RightDoubleClick, pointerColumn(event));
}

void CSonariumView::mouseMoveEvent(QMouseEvent* event) {
    // At the file's own rate (44100 for a header that gives none).
    const float rate =
        document_.sampleRate > 0 ? static_cast<float>(document_.sampleRate) : 44100.0f;
    const float time = static_cast<float>(pointerColumn(event)) * document_.framesPerColumn / rate;
    cursorTime = std::max(time, 0.0f);
    emit readoutsChanged();
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

QString CSonariumView::scaleText() const {
    return QString::fromStdString(scaleReadout(document_.framesPerColumn));
}

QString CSonariumView::channelsText() const {
    return document_.channels == 2 ? QString::fromStdString(channelsReadout(2)) : QString();
}

QString CSonariumView::rateText() const {
    return QString::fromStdString(rateReadout(document_.sampleRate));
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
