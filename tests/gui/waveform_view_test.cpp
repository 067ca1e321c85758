// The waveform window: picture pixels, colours, mouse selection, readouts, focus and printing.
#include "display/child_frame.h"
#include "display/sonarium_view.h"
#include "render/waveform_picture.h"
#include "test_support.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QPrinter>
#include <QStatusBar>
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
    w.view->resize(520, 300);
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
        QCOMPARE(pixel(image, 460, 63), w.view->palette().color(QPalette::Window));
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
        QCOMPARE(frame->height(), CChildFrame::kHeight);
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
};

QTEST_MAIN(WaveformViewTest)
#include "waveform_view_test.moc"
