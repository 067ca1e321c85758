// Draws the picture of the main window shown in the README: two waveform windows, a decaying
// chord and a stereo sweep, in a session of their own under a temporary audio root.
// usage: sonarium-screenshot OUT.png   (tools/screenshot runs it under a virtual X display)
#include "app/workbench.h"
#include "base/reporter.h"
#include "wavefile/sonio.h"
#include "workspace/audio_root.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Three seconds of a sound whose value at frame i and channel c is shape(i, c).
QString writeTone(const QString& path, int channels, const std::function<double(int, int)>& shape) {
    sonarium::SilentReporter quiet;
    const sonarium::WaveContext wave{quiet, "", {}};
    const int frames = 44100 * 3;
    std::vector<std::int16_t> values;
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            values.push_back(static_cast<std::int16_t>(shape(i, c)));
    sonarium::sonIO writer(wave, path.toStdString(), channels,
                           static_cast<std::int64_t>(values.size()));
    writer.WriteBlock(values.data(), static_cast<int>(values.size()));
    writer.FinishWrite();
    return path;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: sonarium-screenshot OUT.png\n", stderr);
        return 2;
    }
    QTemporaryDir root;
    qputenv("SONARIUM_ROOT", root.path().toLocal8Bit());
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, root.path());
    sonarium::installMissingResources(
        sonarium::findShippedData(QApplication::applicationDirPath().toStdString()));

    const QString chord = writeTone(root.filePath(QStringLiteral("chord.wav")), 1, [](int i, int) {
        const double t = i / 44100.0;
        return 20000 * std::exp(-t * 1.2) *
               (std::sin(6.283 * 220 * t) + 0.5 * std::sin(6.283 * 277 * t)) / 1.5;
    });
    const QString sweep =
        writeTone(root.filePath(QStringLiteral("sweep.wav")), 2, [](int i, int c) {
            const double t = i / 44100.0;
            return 14000 * std::sin(6.283 * (100 + 300 * t) * t) * (c == 0 ? t / 3 : 1 - t / 3);
        });

    sonarium::SilentReporter reporter;
    sonarium::Preferences preferences = sonarium::Preferences::defaults();
    preferences.newNumberOnOpen = false;
    sonarium::CMainFrame frame(sonarium::CMainFrame::Options{});
    sonarium::Workbench bench(frame, reporter, preferences);
    frame.resize(1280, 800);
    frame.show();
    bench.files().openFiles({chord, sweep});
    const auto windows = frame.mdiArea()->subWindowList();
    if (windows.size() == 2) {
        windows[0]->move(20, 20);
        windows[1]->move(520, 120);
    }
    int status = 1;
    QTimer::singleShot(400, &app, [&] {
        status = frame.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
        QApplication::quit();
    });
    QApplication::exec();
    return status;
}
