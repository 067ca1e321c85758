// The waveform window: picture pixels, colours, mouse selection, readouts, focus and printing.
#include "display/child_frame.h"
#include "display/readouts.h"
#include "display/sonarium_view.h"
#include "render/waveform_picture.h"
#include "test_support.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QPrinter>
#include <QScrollBar>
#include <QStatusBar>
#include <QWheelEvent>
#include <QtTest>
#include <memory>

using namespace sonarium;

namespace {

class FakeHost final : public ViewHost {
public:
    test::RecordingReporter recorder;
    ViewPreferences prefs;
    int stops = 0;
    int sourceChanges = 0;
    int state = 0;
    std::optional<double> playing; // the frame heard now
    std::vector<std::pair<std::string, int>> added;
    struct Run {
        std::string operation;
        JobInput input;
        std::string destination;
    };
    std::vector<Run> runs;

    Reporter& reporter() override { return recorder; }
    ViewPreferences viewPreferences() const override { return prefs; }
    int tempCounter() const override { return 3; }
    void StopPlaying() override { ++stops; }
    void AddToList(const std::string& path, int channels) override {
        added.emplace_back(path, channels);
    }
    int selectionState() const override { return state; }
    void OnSourceChanged() override { ++sourceChanges; }
    std::optional<double> playingFrame(const std::string&) const override { return playing; }
    std::string NextTempPath() override { return "/tmp/tempsnds/007.wav"; }
    JobOutcome runOperation(const OperationDecl& operation, const JobInput& input,
                            const std::string& destination) override {
        runs.push_back({std::string(operation.name), input, destination});
        return JobOutcome::Completed;
    }
};

// Mono or stereo 16-bit data of 449 columns of 1000 bytes; `level(channel, column)` gives the
// peak (in high-byte units) of a column, reached once up and once down.
template <typename Level>
std::string writeWave(const test::TempDir& dir, const char* name, int channels, int bits,
                      Level level) {
    const int frames = 1000 / (2 * channels);
    std::vector<std::int16_t> samples(449 * 500, 0);
    for (int k = 0; k < 449; ++k)
        for (int c = 0; c < channels; ++c) {
            const auto at = static_cast<std::size_t>(k * 500 + c);
            const int peak = level(c, k);
            samples[at + static_cast<std::size_t>(channels * (frames / 3))] =
                static_cast<std::int16_t>(peak * 256);
            samples[at + static_cast<std::size_t>(channels * (2 * frames / 3))] =
                static_cast<std::int16_t>(-peak * 256);
        }
    test::WaveSpec shape;
    shape.channels = channels;
    shape.bits = bits;
    shape.samples = samples;
    const std::string path = dir.file(name);
    test::writeBytes(path, test::buildWave(shape));
    return path;
}

struct Window {
    std::unique_ptr<CSonariumDoc> doc = std::make_unique<CSonariumDoc>();
    std::unique_ptr<CSonariumView> view;
};

Window openView(FakeHost& host, const std::string& path) {
    Window w;
    if (!w.doc->OnOpenDocument(QString::fromStdString(path), host.recorder))
        qFatal("cannot open %s", path.c_str());
    w.view = std::make_unique<CSonariumView>(*w.doc, host);
    // The waveform area of the picture's size.
    w.view->resize(w.view->sizeForWaveArea(QSize(450, 256)));
    w.view->OnInitialUpdate();
    w.view->show();
    return w;
}

QColor pixel(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

const QColor kNavy(0, 0, 128);
const QColor kGrey(128, 128, 128);
const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

} // namespace

class WaveformViewTest : public QObject {
    Q_OBJECT

private:
    test::TempDir dir_;
    std::string mono_ =
        writeWave(dir_, "mono.wav", 1, 16, [](int, int k) { return k >= 100 && k < 200 ? 40 : 0; });
    std::string stereo_ = writeWave(dir_, "stereo.wav", 2, 16, [](int c, int k) {
        if (c == 0)
            return k >= 100 && k < 200 ? 60 : 0;
        return k >= 250 && k < 350 ? 100 : 0;
    });

private slots:
    void monoPictureHasGridAndWaveform() {
        FakeHost host;
        Window w = openView(host, mono_);
        const QImage image = w.view->grab().toImage();
        const QColor white = w.view->palette().color(QPalette::Base);
        struct Probe {
            int x, y;
            QColor colour;
        };
        const Probe probes[] = {
            {300, 63, kGrey},  {300, 191, kGrey},   {300, 126, kYellow}, {300, 128, kYellow},
            {300, 1, kYellow}, {300, 254, kYellow}, {300, 0, kRed},      {300, 255, kRed},
            {300, 127, kRed},  {150, 100, kNavy},   {150, 87, kNavy},    {150, 167, kNavy},
            {150, 126, kNavy}, {150, 127, kRed},    {150, 86, white},    {150, 168, white},
            {150, 63, kGrey},  {449, 63, kGrey},    {300, 100, white},   {449, 127, kRed},
        };
        for (const Probe& p : probes)
            QVERIFY2(pixel(image, p.x, p.y) == p.colour,
                     qPrintable(QStringLiteral("(%1, %2) is %3")
                                    .arg(p.x)
                                    .arg(p.y)
                                    .arg(pixel(image, p.x, p.y).name())));
        QCOMPARE(w.view->picture().size(), QSize(450, 256));
        // The path is written under the picture in the waveform's colour.
        int textPixels = 0;
        for (int y = 258; y < 276; ++y)
            for (int x = 5; x < 300; ++x)
                textPixels += pixel(image, x, y) == kNavy ? 1 : 0;
        QVERIFY(textPixels > 20);
        // At 450 x 256 the view shows the picture itself, pixel for pixel.
        QCOMPARE(w.view->waveArea(), QRect(0, 0, 450, 256));
        QCOMPARE(image.copy(0, 0, 450, 256).convertToFormat(QImage::Format_RGB32),
                 w.view->picture().convertToFormat(QImage::Format_RGB32));
        QVERIFY(host.recorder.reports.empty());
    }

    void stereoPictureHalvesEachChannel() {
        FakeHost host;
        Window w = openView(host, stereo_);
        const QImage& image = w.view->picture();
        const QColor white = w.view->palette().color(QPalette::Base);
        struct Probe {
            int x, y;
            QColor colour;
        };
        const Probe probes[] = {
            {420, 31, kGrey},    {420, 95, kGrey},   {420, 159, kGrey},   {420, 223, kGrey},
            {420, 62, kYellow},  {420, 64, kYellow}, {420, 190, kYellow}, {420, 192, kYellow},
            {420, 129, kYellow}, {420, 127, kRed},   {420, 128, kRed},    {420, 63, kRed},
            {420, 191, kRed},    {150, 33, kNavy},   {150, 93, kNavy},    {150, 32, white},
            {150, 94, white},    {150, 150, white},  {300, 141, kNavy},   {300, 241, kNavy},
            {300, 140, white},   {300, 242, white},  {300, 40, white},
        };
        for (const Probe& p : probes)
            QVERIFY2(pixel(image, p.x, p.y) == p.colour,
                     qPrintable(QStringLiteral("(%1, %2) is %3")
                                    .arg(p.x)
                                    .arg(p.y)
                                    .arg(pixel(image, p.x, p.y).name())));
    }

    void eightBitFileIsBlackStrokes() {
        FakeHost host;
        // Bytes 0x80 + 40 and 0x80 - 40 in the examined positions: peaks 40 / -40, drawn as
        // unsigned 40 and 216.
        const std::string path = writeWave(dir_, "eight.wav", 1, 8, [](int, int) { return 0; });
        auto bytes = test::readBytes(path);
        for (std::size_t i = 44; i < bytes.size(); i += 4) {
            bytes[i + 1] = 0x80 + 40;
            bytes[i + 3] = 0x80 - 40;
        }
        test::writeBytes(path, bytes);
        Window w = openView(host, path);
        QCOMPARE(host.recorder.reports.size(), std::size_t{1});
        const QImage& image = w.view->picture();
        QCOMPARE(pixel(image, 10, 40), QColor(Qt::black));
        QCOMPARE(pixel(image, 10, 120), QColor(Qt::black));
        QCOMPARE(pixel(image, 10, 216), QColor(Qt::black));
        QCOMPARE(pixel(image, 10, 230), w.view->palette().color(QPalette::Base));
        QCOMPARE(pixel(image, 10, 254), w.view->palette().color(QPalette::Base));  // no grid
        QCOMPARE(pixel(image, 449, 120), w.view->palette().color(QPalette::Base)); // empty column

        // No selection on an 8-bit file, with either button.
        host.recorder.reports.clear();
        QTest::mouseClick(w.view.get(), Qt::LeftButton, {}, QPoint(100, 50));
        QTest::mouseClick(w.view.get(), Qt::RightButton, {}, QPoint(50, 50));
        QCOMPARE(host.recorder.reports.size(), std::size_t{2});
        QCOMPARE(QString::fromStdString(host.recorder.reports[1].text),
                 QStringLiteral("No selection can be made on an 8 bit file, use -import 8 bit "
                                "file- to convert it."));
        QCOMPARE(host.recorder.reports[1].icon, MessageIcon::Warning);
        QCOMPARE(w.view->selStart, 0U);
        QCOMPARE(w.view->selEnd, w.doc->dataSize);
    }

    void waveColourFollowsThePreferences() {
        struct Case {
            bool random, green;
            QColor expected;
        };
        const Case cases[] = {{false, false, kNavy}, {false, true, QColor(0, 128, 0)}};
        for (const Case& c : cases) {
            FakeHost host;
            host.prefs.randomWaveColour = c.random;
            host.prefs.greenWaveColour = c.green;
            Window w = openView(host, mono_);
            QCOMPARE(pixel(w.view->picture(), 150, 100), c.expected);
        }
        FakeHost host;
        host.prefs.randomWaveColour = true;
        host.prefs.greenWaveColour = true;
        Window w = openView(host, mono_);
        const Rgb colour = w.view->waveColour();
        QVERIFY(colour.green >= 64 && colour.blue < colour.green && colour.red < colour.green);
        QCOMPARE(pixel(w.view->picture(), 150, 100), QColor(colour.red, colour.green, colour.blue));
    }

    void mouseGesturesSetTheSelection() {
        FakeHost host;
        Window w = openView(host, stereo_);
        CSonariumView& view = *w.view;
        const std::uint32_t size = w.doc->dataSize; // 449000
        auto at = [size](int x) {
            const std::uint64_t raw = std::uint64_t{size} * static_cast<std::uint64_t>(x) / 450;
            return static_cast<std::uint32_t>(raw - raw % 4);
        };
        struct Step {
            const char* name;
            Qt::MouseButton button;
            Qt::KeyboardModifiers modifiers;
            bool doubleClick;
            int x;
            std::uint32_t start, end;
        };
        const Step steps[] = {
            {"left", Qt::LeftButton, {}, false, 100, at(100), size},
            {"right", Qt::RightButton, {}, false, 200, at(100), at(200)},
            {"left after the end", Qt::LeftButton, {}, false, 300, at(200), at(300)},
            {"right before the start", Qt::RightButton, {}, false, 50, at(50), at(200)},
            {"shift left keeps the length", Qt::LeftButton, Qt::ShiftModifier, false, 400, at(400),
             size},
            {"shift right", Qt::RightButton, Qt::ShiftModifier, false, 420,
             at(420) - (size - at(400)), at(420)},
            {"shift right before the length", Qt::RightButton, Qt::ShiftModifier, false, 10, 0,
             at(10)},
            {"right of the picture", Qt::RightButton, {}, false, 470, 0, size},
            {"left", Qt::LeftButton, {}, false, 77, at(77), size},
            {"left double-click", Qt::LeftButton, {}, true, 90, 0, size},
            {"right", Qt::RightButton, {}, false, 333, 0, at(333)},
            {"right double-click", Qt::RightButton, {}, true, 100, 0, size},
        };
        for (const Step& s : steps) {
            if (s.doubleClick)
                QTest::mouseDClick(&view, s.button, s.modifiers, QPoint(s.x, 100));
            else
                QTest::mouseClick(&view, s.button, s.modifiers, QPoint(s.x, 100));
            QVERIFY2(view.selStart == s.start && view.selEnd == s.end,
                     qPrintable(QStringLiteral("%1: %2..%3")
                                    .arg(QLatin1String(s.name))
                                    .arg(view.selStart)
                                    .arg(view.selEnd)));
            QCOMPARE(view.selStart % 4, 0U);
            QCOMPARE(view.selEnd % 4, 0U);
        }
        QVERIFY(host.recorder.reports.empty());
    }

    void selectionIsDrawnInverted() {
        FakeHost host;
        Window w = openView(host, mono_);
        CSonariumView& view = *w.view;
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(120, 10));
        QTest::mouseClick(&view, Qt::RightButton, {}, QPoint(300, 10));
        // Offsets are rounded down to whole frames, so the first column inverted is 119.
        QCOMPARE(view.selStart, 119732U);
        QImage image = view.grab().toImage();
        QCOMPARE(pixel(image, 118, 63), kGrey);
        QCOMPARE(pixel(image, 119, 63), QColor(127, 127, 127));  // inverted grey
        QCOMPARE(pixel(image, 150, 100), QColor(255, 255, 127)); // inverted navy
        QCOMPARE(pixel(image, 298, 0), QColor(0, 255, 255));     // inverted red
        QCOMPARE(pixel(image, 299, 0), kRed);
        view.OnEditSelectAll();
        QCOMPARE(view.selStart, 0U);
        QCOMPARE(view.selEnd, w.doc->dataSize);
        image = view.grab().toImage();
        QCOMPARE(pixel(image, 150, 100), kNavy);
    }

    void readouts() {
        FakeHost host;
        Window w = openView(host, mono_);
        struct Case {
            float duration, framesPerColumn;
            QString length, scale;
        };
        const Case cases[] = {
            {65.5f, 490.0f, QStringLiteral("Length= 01:05.500 s"), QStringLiteral("Scale= 1:490")},
            {605.0f, 0.5f, QStringLiteral("Length= 10:05.000 s"), QStringLiteral("Scale= 2.0:1")},
        };
        for (const Case& c : cases) {
            w.doc->duration = c.duration;
            w.doc->framesPerColumn = c.framesPerColumn;
            QCOMPARE(w.view->lengthText(), c.length);
            QCOMPARE(w.view->scaleText(), c.scale);
        }
        w.doc->framesPerColumn = 441.0f;
        QTest::mouseMove(w.view.get(), QPoint(200, 20));
        QCOMPARE(w.view->cursorTime, 2.0f);
        QCOMPARE(w.view->positionText(), QStringLiteral("Position= 00:02.000 s"));
        QCOMPARE(w.view->rateText(), QStringLiteral("44100 Hz"));
        QCOMPARE(w.view->channelsText(), QString());
    }

    void childFrameShowsTheReadouts() {
        FakeHost host;
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        CChildFrame* frame = openWaveWindow(area, host, QString::fromStdString(stereo_));
        QVERIFY(frame != nullptr);
        // The picture's height; as wide as the status panes need (window_commands_test).
        QCOMPARE(frame->size(), frame->openingSize());
        QCOMPARE(frame->view()->waveArea().height(), 256);
        QCOMPARE(frame->windowTitle(), QStringLiteral("stereo.wav"));
        QCOMPARE(frame->paneText(CChildFrame::kLengthPane), QStringLiteral("Length= 00:02.545 s"));
        QCOMPARE(frame->paneText(CChildFrame::kPositionPane),
                 QStringLiteral("Position= 00:00.000 s"));
        QCOMPARE(frame->paneText(CChildFrame::kScalePane), QStringLiteral("Scale= 1:249"));
        QCOMPARE(frame->paneText(CChildFrame::kChannelsPane), QStringLiteral("Stereo"));
        QCOMPARE(frame->paneText(CChildFrame::kRatePane), QStringLiteral("44100 Hz"));

        // A mono window keeps the pane's initial text.
        CChildFrame* mono = openWaveWindow(area, host, QString::fromStdString(mono_));
        QVERIFY(mono != nullptr);
        QCOMPARE(mono->paneText(CChildFrame::kChannelsPane), QStringLiteral("Mono  "));

        // Switching windows changes both windows' activation: playback stops.
        const int stopsBefore = host.stops;
        area.setActiveSubWindow(frame);
        QVERIFY(host.stops > stopsBefore);

        const std::string bad = dir_.file("bad.wav");
        test::writeBytes(bad, test::Bytes(100, 'x'));
        QVERIFY(openWaveWindow(area, host, QString::fromStdString(bad)) == nullptr);
        QCOMPARE(area.subWindowList().size(), 2);
        QCOMPARE(host.recorder.texts().back(),
                 "File " + bad + "\ncannot be read as Wave Audio\nit is not a RIFF WAVE file");
    }

    void focusAddsTheFileToTheList() {
        struct Case {
            int state;
            int sourceChanges;
        };
        for (const Case c : {Case{0, 1}, Case{2, 0}}) {
            FakeHost host;
            host.state = c.state;
            Window w = openView(host, stereo_);
            QFocusEvent focus(QEvent::FocusIn);
            QApplication::sendEvent(w.view.get(), &focus);
            QCOMPARE(host.stops, 1);
            QCOMPARE(host.added.size(), std::size_t{1});
            QCOMPARE(host.added[0].first, stereo_);
            QCOMPARE(host.added[0].second, 2);
            QCOMPARE(host.sourceChanges, c.sourceChanges);
        }
        for (bool stop : {true, false}) {
            FakeHost host;
            host.prefs.stopPlayingOnFocusLoss = stop;
            Window w = openView(host, mono_);
            w.view->OnActivateView(false);
            QCOMPARE(host.stops, stop ? 1 : 0);
        }
    }

    // Crop runs on the window's document with the selection in frames; an empty selection stays
    // empty, at its place.
    void extractionHooksPassTheSelection() {
        struct Case {
            const std::string& path;
            std::uint32_t start, end;
            FrameSpan frames;
        };
        const Case cases[] = {{mono_, 2000, 6000, {.first = 1000, .count = 2000}},
                              {stereo_, 2000, 6000, {.first = 500, .count = 1000}},
                              {mono_, 6000, 6000, {.first = 3000, .count = 0}}};
        for (const Case& c : cases) {
            FakeHost host;
            Window w = openView(host, c.path);
            w.view->setSelection(c.start, c.end);
            QCOMPARE(w.view->ExtractSelectionToTemp(), JobOutcome::Completed);
            QCOMPARE(w.view->ExtractSelectionTo("/elsewhere/x.wav"), JobOutcome::Completed);
            QCOMPARE(host.runs.size(), std::size_t{2});
            QCOMPARE(host.runs[0].operation, std::string("crop"));
            QCOMPARE(host.runs[0].input.source, c.path);
            QVERIFY(host.runs[0].input.selection == c.frames);
            QCOMPARE(host.runs[0].destination, std::string("/tmp/tempsnds/007.wav"));
            QCOMPARE(host.runs[1].destination, std::string("/elsewhere/x.wav"));
        }
    }

    void printsOneLandscapePage() {
        FakeHost host;
        Window w = openView(host, mono_);
        const QString pdf = QString::fromStdString(dir_.file("print.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        w.view->printTo(printer);
        QFile file(pdf);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        QCOMPARE(content.count("/Type /Page\n"), 1);
        const QRegularExpression mediaBox(
            QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
        const auto match = mediaBox.match(QString::fromLatin1(content));
        QVERIFY(match.hasMatch());
        QVERIFY(match.captured(1).toDouble() > match.captured(2).toDouble());
    }

    // Unzoomed at any size, the lines and tables of the picture scaled to the waveform area.
    void pictureScalesToTheWindow() {
        FakeHost host;
        Window w = openView(host, mono_);
        const QColor white = w.view->palette().color(QPalette::Base);
        for (const QSize size : {QSize(900, 512), QSize(700, 300), QSize(1350, 256)}) {
            w.view->resize(w.view->sizeForWaveArea(size));
            QCOMPARE(w.view->waveArea().size(), size);
            const QImage image = w.view->grab().toImage();
            const double sx = size.width() / 450.0;
            const double sy = size.height() / 256.0;
            auto X = [sx](int x) { return static_cast<int>(std::lround(x * sx)); };
            auto Y = [sy, size](int y) {
                return std::min(static_cast<int>(std::lround(y * sy)), size.height() - 1);
            };
            struct Probe {
                int x, y;
                QColor colour;
            };
            const Probe probes[] = {
                {size.width() - 1, Y(63), kGrey},
                {size.width() - 1, Y(191), kGrey},
                {X(400), Y(0), kRed},
                {X(400), Y(255), kRed},
                {X(400), Y(127), kRed},
                {X(150), Y(100), kNavy},
                {X(300), Y(100), white},
                {X(150), Y(80), white},
            };
            for (const Probe& p : probes)
                QVERIFY2(pixel(image, p.x, p.y) == p.colour,
                         qPrintable(QStringLiteral("%1x%2: (%3, %4) is %5")
                                        .arg(size.width())
                                        .arg(size.height())
                                        .arg(p.x)
                                        .arg(p.y)
                                        .arg(pixel(image, p.x, p.y).name())));
        }
    }

    // A single frame stands out at every zoom, from the whole file down to 64 pixels a frame:
    // drawn from the summary, then from the file, then as points.
    void zoomKeepsAOneFrameSpikeUnderThePointer() {
        FakeHost host;
        const std::uint64_t spike = 1234567;
        std::vector<std::int16_t> samples(2000000, 0);
        samples[spike] = 100 * 256;
        test::WaveSpec shape;
        shape.samples = samples;
        const std::string path = dir_.file("spike.wav");
        test::writeBytes(path, test::buildWave(shape));
        Window w = openView(host, path);
        CSonariumView& view = *w.view;
        QVERIFY(w.doc->zoomPeaks().ready());
        int steps = 0;
        bool summary = false, file = false, points = false;
        while (view.span().framesPerPixel() > ViewSpan::kMinFramesPerPixel) {
            view.zoomAt(std::floor(view.span().pixelOf(double(spike))), 2.0);
            ++steps;
            const double fpp = view.span().framesPerPixel();
            summary |= fpp >= double(w.doc->zoomPeaks().finestFrames());
            file |= fpp >= 1.0 && fpp < double(w.doc->zoomPeaks().finestFrames());
            points |= fpp < 1.0;
            const QImage image = view.shownWave();
            const double at = view.span().pixelOf(double(spike) + (fpp < 1.0 ? 0.5 : 0.0));
            const int x = static_cast<int>(std::floor(at));
            bool found = false;
            for (int dx = -1; dx <= 1; ++dx)
                found |= x + dx >= 0 && x + dx < image.width() && pixel(image, x + dx, 27) == kNavy;
            QVERIFY2(found, qPrintable(QStringLiteral("%1 frames a pixel, at %2").arg(fpp).arg(x)));
            for (int away : {x - 20, x + 20})
                if (away >= 0 && away < image.width())
                    QVERIFY2(pixel(image, away, 30) != kNavy, qPrintable(QString::number(fpp)));
        }
        QVERIFY(summary && file && points);
        QVERIFY(steps > 10);
        QVERIFY(view.scaleText().startsWith(QStringLiteral("Scale= 64.0:1")));
        view.zoomFit();
        QVERIFY(!view.span().zoomed());
        QCOMPARE(view.shownWave(), view.picture());
    }

    void wheelAndScrollBarMoveTheZoom() {
        FakeHost host;
        Window w = openView(host, stereo_);
        CSonariumView& view = *w.view;
        QVERIFY(!view.scrollBar()->isEnabled());
        const double before = view.span().frameAt(100);
        auto wheel = [&view](int x, int delta, Qt::KeyboardModifiers modifiers) {
            QWheelEvent event(QPointF(x, 50), view.mapToGlobal(QPointF(x, 50)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&view, &event);
        };
        wheel(100, 240, Qt::ControlModifier); // two notches: four times closer
        QVERIFY(view.span().zoomed());
        QCOMPARE(view.span().framesPerPixel(), 112250.0 / 450 / 4);
        QCOMPARE(view.span().frameAt(100), before);
        QVERIFY(view.scrollBar()->isEnabled());
        const double start = view.span().start();
        wheel(100, -120, {}); // scrolls a tenth of the view towards the end
        QCOMPARE(view.span().start(), start + view.span().visibleFrames() / 10);
        view.scrollBar()->setValue(0);
        QCOMPARE(view.span().start(), 0.0);
        view.scrollBar()->setValue(view.scrollBar()->maximum());
        QVERIFY(view.span().start() + view.span().visibleFrames() >= 112250 - 1);
        wheel(100, -240, Qt::ControlModifier); // back out to the whole file
        QVERIFY(!view.span().zoomed());
        view.setSelection(40000, 80000);
        view.zoomToSelection();
        QCOMPARE(view.span().start(), 10000.0);
        QCOMPARE(view.span().visibleFrames(), 10000.0);
        // The selection fills the view.
        const QImage image = view.shownWave();
        QCOMPARE(pixel(image, 5, 63), QColor(0, 255, 255)); // inverted red
        QCOMPARE(pixel(image, 445, 63), QColor(0, 255, 255));
        view.zoomFit();
        QVERIFY(!view.scrollBar()->isEnabled());
    }

    // A drag sets the selection from where the button went down; with Shift it moves the end
    // nearer the press. A click without a drag keeps the button rules.
    void dragSelectsAndShiftDragExtends() {
        FakeHost host;
        Window w = openView(host, stereo_);
        CSonariumView& view = *w.view;
        const std::uint32_t size = w.doc->dataSize;
        auto at = [size](int x) {
            const std::uint64_t raw = std::uint64_t{size} * static_cast<std::uint64_t>(x) / 450;
            return static_cast<std::uint32_t>(raw - raw % 4);
        };
        struct Step {
            const char* name;
            Qt::KeyboardModifiers modifiers;
            int from, to;
            std::uint32_t start, end;
        };
        const Step steps[] = {
            {"forwards", {}, 100, 200, at(100), at(200)},
            {"backwards", {}, 300, 150, at(150), at(300)},
            {"shift, near the end", Qt::ShiftModifier, 280, 350, at(150), at(350)},
            {"shift, near the start", Qt::ShiftModifier, 160, 50, at(50), at(350)},
            {"past the picture", {}, 10, 600, at(10), size},
            {"a click is the left button rule", {}, 400, 400, at(400), size},
        };
        for (const Step& s : steps) {
            QTest::mousePress(&view, Qt::LeftButton, s.modifiers, QPoint(s.from, 100));
            QTest::mouseMove(&view, QPoint((s.from + s.to) / 2, 100));
            QTest::mouseMove(&view, QPoint(s.to, 100));
            QTest::mouseRelease(&view, Qt::LeftButton, s.modifiers, QPoint(s.to, 100));
            QVERIFY2(view.selStart == s.start && view.selEnd == s.end,
                     qPrintable(QStringLiteral("%1: %2..%3")
                                    .arg(QLatin1String(s.name))
                                    .arg(view.selStart)
                                    .arg(view.selEnd)));
        }
        // Zoomed, a drag past the right edge takes the view along; the selection keeps its start.
        view.setSelection(0, size);
        view.zoomToSelection(); // nothing marked: the whole file
        QVERIFY(!view.span().zoomed());
        view.setSelection(4000, 5800); // frames 1000 to 1450: a frame a pixel
        view.zoomToSelection();
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(225, 100));
        QTest::mouseMove(&view, QPoint(300, 100));
        QTest::mouseMove(&view, QPoint(675, 100)); // half a view beyond the edge
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(675, 100));
        QCOMPARE(view.span().start(), 1225.0);
        QCOMPARE(view.selStart, 1225U * 4);
        QCOMPARE(view.selEnd, 1675U * 4);
    }

    // Times at the file's own rate, frames as they are.
    void selectionLineReadsTimesAndFrames() {
        FakeHost host;
        test::WaveSpec shape;
        shape.channels = 2;
        shape.rate = 48000;
        shape.samples.assign(2 * 48000, 0);
        const std::string path = dir_.file("rate48.wav");
        test::writeBytes(path, test::buildWave(shape));
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        CChildFrame* frame = openWaveWindow(area, host, QString::fromStdString(path));
        QVERIFY(frame != nullptr);
        QCOMPARE(frame->selectionText(), QStringLiteral("Selection= 00:00.000 - 00:01.000 s "
                                                        "(00:01.000 s), frames 0 - 48000 (48000)"));
        frame->view()->setSelection(96000, 144000);
        QCOMPARE(frame->selectionText(), QStringLiteral("Selection= 00:00.500 - 00:00.750 s "
                                                        "(00:00.250 s), frames 24000 - 36000 "
                                                        "(12000)"));
        QCOMPARE(frame->paneText(CChildFrame::kRatePane), QStringLiteral("48000 Hz"));
        // The time under the pointer, zoomed, is that of the frame there.
        frame->view()->zoomToSelection();
        QTest::mouseMove(frame->view(), QPoint(225, 40));
        QCOMPARE(
            frame->paneText(CChildFrame::kPositionPane),
            QString::fromStdString(positionReadout(frame->view()->span().frameAt(225) / 48000.0)));
    }

    void playCursorFollowsThePlayback() {
        FakeHost host;
        Window w = openView(host, mono_);
        CSonariumView& view = *w.view;
        const auto total = double(view.span().totalFrames());
        host.playing = 150.5 * total / 450;
        view.updatePlayCursor();
        QCOMPARE(view.playCursorPixel(), std::optional<int>(150));
        QCOMPARE(pixel(view.shownWave(), 150, 20), QColor(220, 0, 120));
        host.playing.reset();
        view.updatePlayCursor();
        QVERIFY(!view.playCursorPixel());
        QCOMPARE(pixel(view.shownWave(), 150, 20), w.view->palette().color(QPalette::Base));
        // Zoomed, the view turns to where the sound is.
        view.setSelection(0, 2000);
        view.zoomToSelection();
        host.playing = 100000.0;
        view.updatePlayCursor();
        QVERIFY(view.span().start() <= 100000.0);
        QVERIFY(view.span().start() + view.span().visibleFrames() > 100000.0);
        QVERIFY(view.playCursorPixel().has_value());
    }
};

QTEST_MAIN(WaveformViewTest)
#include "waveform_view_test.moc"
