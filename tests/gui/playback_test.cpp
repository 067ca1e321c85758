// Playback against a real sound server: what is heard, when the end is announced, looping,
// stopping, the error boxes without a server, and the Autoplay preview of the open dialog.
#include "playback/completion_sound.h"
#include "playback/custom_file_dialog.h"
#include "playback/playback_controller.h"
#include "test_support.h"
#include "wavefile/sonio.h"

#include <QAudioDevice>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <cmath>
#include <filesystem>

using namespace sonarium;

namespace {

// Writes a sine tone; 8-bit files get unsigned samples packed two to a 16-bit value.
QString writeTone(const test::TempDir& dir, const char* name, int channels, int bits,
                  double seconds, double frequency, double amplitude) {
    const std::string path = dir.file(name);
    const int rate = 44100;
    const int frames = static_cast<int>(seconds * rate);
    test::RecordingReporter reporter;
    WaveContext context{reporter, "", {}};
    const std::int64_t bytes = static_cast<std::int64_t>(frames) * channels * bits / 8;
    sonIO out(context, path, channels, bytes, rate, bits);
    std::vector<unsigned char> data;
    for (int i = 0; i < frames; ++i) {
        const double x = amplitude * std::sin(2 * M_PI * frequency * i / rate);
        for (int c = 0; c < channels; ++c) {
            if (bits == 8) {
                data.push_back(static_cast<unsigned char>(128 + std::lround(x * 127)));
            } else {
                const auto v =
                    static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(x * 32767)));
                data.push_back(static_cast<unsigned char>(v & 0xFF));
                data.push_back(static_cast<unsigned char>(v >> 8));
            }
        }
    }
    if (data.size() % 2 != 0)
        data.push_back(128);
    std::vector<std::int16_t> values(data.size() / 2);
    std::memcpy(values.data(), data.data(), data.size());
    out.WriteBlock(values.data(), static_cast<int>(values.size()));
    out.FinishWrite();
    return QString::fromStdString(path);
}

bool haveServer() {
    return !QMediaDevices::defaultAudioOutput().isNull();
}

// Skips the calling test unless a sound server is there to play to.
#define REQUIRE_SERVER()                                                                           \
    do {                                                                                           \
        if (qEnvironmentVariableIsSet("SONARIUM_EXPECT_NO_AUDIO"))                                 \
            QSKIP("this run checks the behaviour without a sound server");                         \
        if (!haveServer())                                                                         \
            QSKIP("no sound server: start one with eval \"$(tools/start-test-audio)\"");           \
    } while (false)

QString monitorName() {
    const QByteArray sink = qgetenv("SONARIUM_TEST_SINK");
    return sink.isEmpty() ? QStringLiteral("@DEFAULT_MONITOR@")
                          : QString::fromUtf8(sink) + ".monitor";
}

struct Capture {
    double seconds = 0; // length of the part louder than the threshold
    int peak = 0;
    double rms = 0;
    double frequency = 0;
};

// Analyses the left channel of a 44100 Hz stereo 16-bit capture.
Capture analyse(const QByteArray& raw, int threshold) {
    Capture result;
    const auto* s = reinterpret_cast<const std::int16_t*>(raw.constData());
    const qsizetype frames = raw.size() / 4;
    qsizetype first = -1, last = -1;
    for (qsizetype i = 0; i < frames; ++i) {
        if (std::abs(s[2 * i]) > threshold) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0)
        return result;
    result.seconds = double(last - first) / 44100.0;
    double sum = 0;
    int crossings = 0;
    for (qsizetype i = first; i <= last; ++i) {
        result.peak = std::max(result.peak, std::abs(int(s[2 * i])));
        sum += double(s[2 * i]) * s[2 * i];
        if (i > first && (s[2 * (i - 1)] < 0) != (s[2 * i] < 0))
            ++crossings;
    }
    result.rms = std::sqrt(sum / double(last - first + 1));
    result.frequency = crossings / 2.0 / result.seconds;
    return result;
}

} // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

    test::TempDir dir;
    test::RecordingReporter reporter;

private slots:
    void init() { reporter.reports.clear(); }

    void playedSoundHasTheFilesLengthLevelAndPitch() {
        REQUIRE_SERVER();
        const QString tone = writeTone(dir, "tone.wav", 1, 16, 1.0, 440, 0.5);
        QProcess parec;
        parec.setStandardOutputFile(QString::fromStdString(dir.file("capture.raw")));
        parec.start(QStringLiteral("parec"),
                    {QStringLiteral("--latency-msec=20"), QStringLiteral("-d"), monitorName(),
                     QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                     QStringLiteral("--channels=2"), QStringLiteral("--raw")});
        QVERIFY(parec.waitForStarted());
        // The monitor's stream is flowing once the first bytes are in the capture file.
        const QString capturePath = QString::fromStdString(dir.file("capture.raw"));
        const auto capturedBytes = [&capturePath] { return QFileInfo(capturePath).size(); };
        QTRY_VERIFY_WITH_TIMEOUT(capturedBytes() > 0, 5000);

        player audio(reporter);
        QSignalSpy ended(&audio, &player::endOfPlay);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(audio.PlayFile(tone), 0);
        QVERIFY(audio.isPlaying());
        QVERIFY(ended.wait(4000));
        const qint64 announcedAfterMs = clock.elapsed();
        QVERIFY(!audio.isPlaying());
        // Another 150 ms of the monitor (44100 frames/s, 4 bytes each) to hold the sound's tail.
        const qint64 tailFrom = capturedBytes();
        QTRY_VERIFY_WITH_TIMEOUT(capturedBytes() >= tailFrom + 44100 * 4 * 150 / 1000, 3000);
        parec.terminate();
        QVERIFY(parec.waitForFinished(3000));

        QFile capture(QString::fromStdString(dir.file("capture.raw")));
        QVERIFY(capture.open(QIODevice::ReadOnly));
        const QByteArray raw = capture.readAll();
        const Capture heard = analyse(raw, 2000);
        qInfo("end of play after %lld ms; captured %.3f s, peak %d, rms %.0f, %.1f Hz",
              announcedAfterMs, heard.seconds, heard.peak, heard.rms, heard.frequency);
        QVERIFY2(announcedAfterMs >= 980, "end of play announced before the sound was over");
        QVERIFY(std::abs(heard.seconds - 1.0) <= 0.1);
        QVERIFY(std::abs(heard.peak - 16384) <= 16384 / 10);
        QVERIFY(std::abs(heard.rms - 16384 / std::sqrt(2.0)) <= 16384 / 10);
        QVERIFY(std::abs(heard.frequency - 440) <= 5);
        QVERIFY(reporter.reports.empty());
    }

    void stereoAndEightBitFilesPlayToTheirEnd_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("bits");
        QTest::newRow("stereo 16-bit") << 2 << 16;
        QTest::newRow("mono 8-bit") << 1 << 8;
        QTest::newRow("stereo 8-bit") << 2 << 8;
    }

    void stereoAndEightBitFilesPlayToTheirEnd() {
        REQUIRE_SERVER();
        QFETCH(int, channels);
        QFETCH(int, bits);
        const QString path = writeTone(dir, "kind.wav", channels, bits, 0.4, 660, 0.5);
        player audio(reporter);
        QSignalSpy ended(&audio, &player::endOfPlay);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(audio.PlayFile(path), 0);
        QVERIFY(ended.wait(3000));
        QVERIFY(clock.elapsed() >= 380);
        QVERIFY(reporter.reports.empty());
    }

    void playLoopedRestartsUntilStop() {
        REQUIRE_SERVER();
        const QString path = writeTone(dir, "loop.wav", 1, 16, 0.3, 440, 0.3);
        PlaybackController control(
            reporter, [&] { return std::optional<QString>(path); }, [] { return true; });
        QSignalSpy ended(&control.audio(), &player::endOfPlay);
        control.PlayLooped();
        QVERIFY(control.playing());
        QVERIFY(control.looping());
        QVERIFY(!control.playAllowed() && !control.playLoopedAllowed());
        QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 3, 4000);
        QVERIFY(control.playing());
        QVERIFY(control.audio().isPlaying());
        control.Stop();
        QVERIFY(!control.looping());
        QVERIFY(!control.playing());
        QVERIFY(control.playAllowed() && control.playLoopedAllowed());
        const int endsAtStop = int(ended.count());
        QTest::qWait(700);
        QCOMPARE(int(ended.count()), endsAtStop);
        QVERIFY(!control.audio().isPlaying());
        QVERIFY(reporter.reports.empty());
    }

    void playOnceEndsAndReenablesPlay() {
        REQUIRE_SERVER();
        const QString path = writeTone(dir, "once.wav", 1, 16, 0.2, 440, 0.3);
        PlaybackController control(
            reporter, [&] { return std::optional<QString>(path); }, [] { return true; });
        control.Play();
        QVERIFY(control.playing());
        QTRY_VERIFY_WITH_TIMEOUT(!control.playing(), 3000);
        QVERIFY(control.playAllowed());
        QVERIFY(!control.audio().isPlaying());
    }

    void completionSoundReturnsWhenHeard() {
        REQUIRE_SERVER();
        const QString path = writeTone(dir, "beep.wav", 1, 16, 0.3, 880, 0.3);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(playSoundAndWait(reporter, path));
        QVERIFY(clock.elapsed() >= 290);
        QVERIFY(reporter.reports.empty());
    }

    void stopAndPlayWithNothingToPlay() {
        // Works with or without a server: nothing is opened.
        bool hasSource = false;
        PlaybackController control(
            reporter, [] { return std::optional<QString>(); }, [&] { return hasSource; });
        control.Play();
        QVERIFY(!control.playing());
        QVERIFY(reporter.reports.empty());
        hasSource = true;
        control.Stop();
        QVERIFY(reporter.reports.empty());
        QVERIFY(control.playAllowed() && control.playLoopedAllowed());
    }

    void unplayableFileShowsTheOpenError() {
        const std::string text = dir.file("text.wav");
        test::writeBytes(text, test::Bytes(300, 'x'));
        PlaybackController control(
            reporter, [&] { return std::optional<QString>(QString::fromStdString(text)); },
            [] { return true; });
        control.Play();
        QCOMPARE(reporter.texts(),
                 (std::vector<std::string>{
                     "The file is not a playable wave file - Error while opening MMIO element",
                     "Error while playing\nit is not a RIFF WAVE file"}));
        QCOMPARE(reporter.reports[0].icon, MessageIcon::None);
        QCOMPARE(reporter.reports[1].icon, MessageIcon::Warning);
        QVERIFY(!control.playing());

        // A file that has gone since it was listed says so.
        reporter.reports.clear();
        std::filesystem::remove(text);
        control.Play();
        QCOMPARE(reporter.texts().back(),
                 std::string("Error while playing\nNo such file or directory"));
    }

    void errorBoxWithoutServer() {
        if (!qEnvironmentVariableIsSet("SONARIUM_EXPECT_NO_AUDIO"))
            QSKIP("run with PULSE_SERVER pointing nowhere and SONARIUM_EXPECT_NO_AUDIO=1");
        const QString path = writeTone(dir, "silent.wav", 1, 16, 0.2, 440, 0.3);
        PlaybackController control(
            reporter, [&] { return std::optional<QString>(path); }, [] { return true; });
        control.Play();
        QCOMPARE(reporter.reports.size(), std::size_t(2));
        const std::string& box = reporter.reports[0].text;
        const std::string suffix = " - Error while playing";
        const bool sinkText = box.size() > suffix.size() &&
                              box.compare(box.size() - suffix.size(), suffix.size(), suffix) == 0;
        QVERIFY2(sinkText || box == "Unknown MMIO errorError while playing", box.c_str());
        QCOMPARE(reporter.reports[0].icon, MessageIcon::None);
        QCOMPARE(reporter.reports[1].text, std::string("Error while playing"));
        QVERIFY(!control.playing());
        QVERIFY(!playSoundAndWait(reporter, path));
    }

    void autoplayPreviewRules() {
        test::TempDir folder;
        const QString good = writeTone(folder, "good.wav", 1, 16, 0.2, 440, 0.3);
        test::writeBytes(folder.file("upper.WAV"), test::readBytes(good.toStdString()));
        test::Bytes small = test::readBytes(good.toStdString());
        small.resize(100);
        test::writeBytes(folder.file("small.wav"), small);

        CCustomFileDialog dialog(reporter, QStringLiteral("Open Existing File"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Open Existing File"));
        QVERIFY(dialog.testOption(QFileDialog::DontUseNativeDialog));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFiles);
        auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("item103"));
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("Autoplay"));
        QVERIFY(box->isChecked());

        QVERIFY(
            !CCustomFileDialog::isPreviewable(QString::fromStdString(folder.file("upper.WAV"))));
        QVERIFY(
            !CCustomFileDialog::isPreviewable(QString::fromStdString(folder.file("small.wav"))));
        QVERIFY(CCustomFileDialog::isPreviewable(good));

        QSignalSpy previews(&dialog, &CCustomFileDialog::previewStarted);
        dialog.setDirectory(QString::fromStdString(folder.path().string()));
        dialog.open();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (const char* name : {"upper.WAV", "small.wav"}) {
            emit dialog.currentChanged(QString::fromStdString(folder.file(name)));
            QCOMPARE(int(previews.count()), 0);
        }
        emit dialog.currentChanged(good);
        QCOMPARE(int(previews.count()), 1);

        // Unchecking stops the preview; checking again plays the selected file once more.
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!box->isChecked());
        QVERIFY(!dialog.previewPlayer().isPlaying());
        emit dialog.currentChanged(good);
        QCOMPARE(int(previews.count()), 1);
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QCOMPARE(int(previews.count()), 2);
        QCOMPARE(previews.last().at(0).toString(), good);

        if (haveServer() && !qEnvironmentVariableIsSet("SONARIUM_EXPECT_NO_AUDIO")) {
            QVERIFY(dialog.previewPlayer().isPlaying());
            QTest::keyClick(&dialog, Qt::Key_Shift);
            QVERIFY(!dialog.previewPlayer().isPlaying());
            emit dialog.currentChanged(good);
            QVERIFY(dialog.previewPlayer().isPlaying());
            dialog.reject();
            QVERIFY(!dialog.previewPlayer().isPlaying());
        }
    }
};

QTEST_MAIN(PlaybackTest)
#include "playback_test.moc"
