// The editor's Volume job against the same job run the way sonarium-cli runs it, on one large
// generated stereo file. The editor's time runs from the dialog's OK to its return: the job with
// the dialog's progress bar and event loop, and the result opened in its own window. The
// command line's time is the job alone; the display scan of its result is timed apart, since the
// editor does that scan too. Target: editor <= 1.2 x (job + scan).
//
// Usage: sonarium_editor_volume_bench [SIZE_MB] [WORK_DIR]   (RUNS=N rounds, best taken)
#include "app/workbench.h"
#include "base/progress.h"
#include "dialogs/operation_dialog.h"
#include "display/child_frame.h"
#include "display/display_scan.h"
#include "frame/main_frame.h"
#include "operations/operation.h"
#include "wavefile/sonio.h"
#include "workspace/audio_root.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

SONARIUM_DECLARE_OPERATION(volume);

namespace fs = std::filesystem;
using namespace sonarium;

namespace {

// Messages are printed: a benchmark whose job ends with one measures nothing.
class PrintingReporter final : public Reporter {
public:
    int count = 0;

protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons) override {
        ++count;
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return Answer::Ok;
    }
};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void writeSource(const WaveContext& wave, const std::string& path, std::int64_t values) {
    std::vector<std::int16_t> block(kBlockValues);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::int16_t>(static_cast<int>(i * 7919 % 65536) - 32768);
    sonIO writer(wave, path, 2, values);
    for (std::int64_t done = 0; done < values; done += kBlockValues)
        writer.WriteBlock(block.data(),
                          static_cast<int>(std::min<std::int64_t>(kBlockValues, values - done)));
    if (writer.FinishWrite() == 0) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

Parameters volumeParameters() {
    Parameters parameters = volumeOperation().defaults();
    parameters.setNumber("ratio", 150);
    return parameters;
}

// The job as sonarium-cli runs it: no progress shown, the result only finished.
double commandLineJob(const WaveContext& wave, const std::string& source,
                      const std::string& output) {
    NullProgress progress;
    JobContext context{.wave = wave,
                       .progress = progress,
                       .input = {.source = source},
                       .destination = [&] { return output; },
                       .result = ResultFile::Finish};
    const auto start = Clock::now();
    const JobOutcome outcome = volumeOperation().run(context, volumeParameters());
    const double seconds = secondsSince(start);
    if (outcome != JobOutcome::Completed) {
        std::fprintf(stderr, "the command line's job did not complete\n");
        std::exit(1);
    }
    return seconds;
}

double displayScan(Reporter& reporter, const std::string& path) {
    DisplaySummary summary;
    const auto start = Clock::now();
    const ScanStatus status = scanForDisplay(path, reporter, summary);
    const double seconds = secondsSince(start);
    if (status != ScanStatus::Ok) {
        std::fprintf(stderr, "the display scan failed\n");
        std::exit(1);
    }
    return seconds;
}

// OK in the Volume dialog of the main window, timed to its return; the result opens in its own
// window meanwhile.
double editorJob(CMainFrame& frame) {
    double seconds = -1;
    auto* timer = new QTimer(&frame);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, &seconds] {
        auto* dialog = qobject_cast<COperationDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr)
            return;
        timer->deleteLater();
        timer->stop();
        qobject_cast<QLineEdit*>(dialog->item(1049))->setText(QStringLiteral("150"));
        const auto start = Clock::now();
        dialog->accept();
        seconds = secondsSince(start);
        if (dialog->outcome() != JobOutcome::Completed)
            seconds = -1;
    });
    timer->start();
    frame.runCommand(volumeOperation().commandId);
    if (seconds < 0) {
        std::fprintf(stderr, "the editor's job did not complete\n");
        std::exit(1);
    }
    return seconds;
}

void removeResults(const fs::path& folder) {
    for (const auto& entry : fs::directory_iterator(folder))
        fs::remove(entry.path());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long sizeMb = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 400;
    const fs::path work =
        argc > 2 ? fs::path(argv[2]) : fs::temp_directory_path() / "sonarium-editor-bench";
    const int runs = std::max(1, std::atoi(qgetenv("RUNS").isEmpty() ? "3" : qgetenv("RUNS")));
    if (sizeMb <= 0) {
        std::fprintf(stderr, "usage: %s [SIZE_MB] [WORK_DIR]\n", argv[0]);
        return 2;
    }

    fs::remove_all(work);
    fs::create_directories(work / "root");
    qputenv("SONARIUM_ROOT", QByteArray::fromStdString((work / "root").string()));
    QApplication app(argc, argv);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((work / "root").string()));
    installMissingResources(SONARIUM_BUILD_DATA_DIR);
    fs::create_directories(locationPath(Location::TempSounds));

    PrintingReporter reporter;
    WaveContext wave{reporter, resourceFile("suffix.rc2").string(), {}};
    const std::string source = (work / "source.wav").string();
    const std::string cliOutput = (work / "cli.wav").string();
    const std::int64_t values = sizeMb * 1024 * 1024 / 2;
    writeSource(wave, source, values);

    Preferences preferences = Preferences::defaults();
    preferences.beep = false;
    preferences.autoPlay = false;
    preferences.activateWhenComputed = false;
    preferences.newNumberOnOpen = false;
    CMainFrame frame(CMainFrame::Options{});
    Workbench bench(frame, reporter, preferences);
    frame.resize(1000, 700);
    frame.show();
    bench.files().openFiles({QString::fromStdString(source)});

    double bestCli = std::numeric_limits<double>::max();
    double bestScan = bestCli;
    double bestEditor = bestCli;
    double bestOpen = bestCli;
    // Both take turns round after round, on a warm page cache.
    commandLineJob(wave, source, cliOutput);
    fs::remove(cliOutput);
    for (int round = 0; round < runs; ++round) {
        bestCli = std::min(bestCli, commandLineJob(wave, source, cliOutput));
        bestScan = std::min(bestScan, displayScan(reporter, cliOutput));
        {
            const auto start = Clock::now();
            CChildFrame* window = bench.windows().openDocument(QString::fromStdString(cliOutput));
            bestOpen = std::min(bestOpen, secondsSince(start));
            delete window;
            bench.session().AddToList(source, 2);
        }
        fs::remove(cliOutput);
        bestEditor = std::min(bestEditor, editorJob(frame));
        // Only the source's window stays open, and the source is the Source again.
        for (CChildFrame* window : bench.session().waveWindows())
            if (window->document().GetPathName() != QString::fromStdString(source))
                delete window;
        removeResults(locationPath(Location::TempSounds));
        bench.session().AddToList(source, 2);
    }
    if (reporter.count != 0)
        return 1;

    const double floor = bestCli + bestScan;
    std::printf("file: %ld MB stereo, best of %d\n", sizeMb, runs);
    std::printf("command-line job   %8.3f s\n", bestCli);
    std::printf("display scan       %8.3f s\n", bestScan);
    std::printf("window of a result %8.3f s  (the editor's share after the job: scan, picture)\n",
                bestOpen);
    std::printf("editor (OK→open)   %8.3f s\n", bestEditor);
    std::printf("editor / (job + scan) = %.3f (target <= 1.2)\n", bestEditor / floor);
    std::printf("editor / job          = %.3f\n", bestEditor / bestCli);
    fs::remove_all(work);
    return bestEditor <= 1.2 * floor ? 0 : 1;
}
