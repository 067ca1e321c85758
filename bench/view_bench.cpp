// The waveform window on long files: the time from opening a file to its first picture against
// cat reading the same file, the time of one redraw at several zooms, and the memory of the
// zoom summary. Targets: open within 2x cat, a redraw at most 16 ms, the summary at most 64 MB
// and 1/256 of the data.
//
// Usage: sonarium_view_bench FILE...   (RUNS=N rounds of the open, best taken; the files are
// read once by cat first, so that every program finds them in the page cache)
#include "display/sonarium_doc.h"
#include "display/sonarium_view.h"
#include "display/view_host.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QScrollBar>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using namespace sonarium;

namespace {

class PrintingReporter final : public Reporter {
protected:
    Answer present(const std::string& text, MessageIcon, MessageButtons) override {
        std::fprintf(stderr, "message: %s\n", text.c_str());
        return Answer::Ok;
    }
};

class BenchHost final : public ViewHost {
public:
    PrintingReporter printer;
    Reporter& reporter() override { return printer; }
    ViewPreferences viewPreferences() const override { return {}; }
    int tempCounter() const override { return 1; }
    void StopPlaying() override {}
    void AddToList(const std::string&, int) override {}
    std::string NextTempPath() override { return "/tmp/unused.wav"; }
    JobOutcome runOperation(const OperationDecl&, const JobInput&, const std::string&) override {
        return JobOutcome::Completed;
    }
};

double catSeconds(const QString& path) {
    QElapsedTimer clock;
    clock.start();
    QProcess cat;
    cat.setStandardOutputFile(QProcess::nullDevice());
    cat.start(QStringLiteral("cat"), {path});
    cat.waitForFinished(-1);
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const int runs = std::max(1, std::atoi(std::getenv("RUNS") ? std::getenv("RUNS") : "3"));
    BenchHost host;
    std::printf("| File | Size | cat | open to picture | ratio | summary | summary / data | "
                "redraw (slowest zoom) |\n|---|---|---|---|---|---|---|---|\n");
    for (int i = 1; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        catSeconds(path); // into the page cache
        double cat = 1e9;
        double open = 1e9;
        for (int run = 0; run < runs; ++run) {
            cat = std::min(cat, catSeconds(path));
            QElapsedTimer clock;
            clock.start();
            CSonariumDoc document;
            if (!document.OnOpenDocument(path, host.printer))
                return 1;
            CSonariumView view(document, host);
            view.resize(view.sizeForWaveArea(QSize(1200, 400)));
            view.OnInitialUpdate();
            (void)view.shownWave();
            open = std::min(open, static_cast<double>(clock.nsecsElapsed()) / 1e9);
        }
        CSonariumDoc document;
        document.OnOpenDocument(path, host.printer);
        CSonariumView view(document, host);
        view.resize(view.sizeForWaveArea(QSize(1200, 400)));
        view.OnInitialUpdate();
        // Each zoom drawn afresh after a scroll of a page (nothing cached), five times, from 2x
        // down to 64 pixels a frame: from the summary, from the file, as points. The median of
        // the five stands for the zoom (the machine is shared); the worst zoom is reported.
        double worst = 0.0;
        QString worstAt;
        for (double factor = 2.0; view.span().framesPerPixel() > ViewSpan::kMinFramesPerPixel;) {
            view.zoomAt(600, factor);
            std::vector<double> times;
            for (int redraw = 0; redraw < 5; ++redraw) {
                QScrollBar& bar = *view.scrollBar();
                bar.setValue(bar.value() + bar.pageStep() > bar.maximum()
                                 ? 0
                                 : bar.value() + bar.pageStep());
                QElapsedTimer clock;
                clock.start();
                (void)view.shownWave();
                times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
            }
            std::sort(times.begin(), times.end());
            if (times[2] > worst) {
                worst = times[2];
                worstAt = QString::number(view.span().framesPerPixel(), 'g', 4);
            }
            factor = 4.0;
        }
        const double bytes = static_cast<double>(document.zoomPeaks().memoryBytes());
        std::printf("| %s | %.0f MB | %.2f s | %.2f s | %.2f | %.1f MB | 1/%.0f | %.1f ms at %s "
                    "frames/pixel |\n",
                    std::filesystem::path(argv[i]).filename().c_str(),
                    document.dataSize / 1048576.0, cat, open, open / cat, bytes / 1048576.0,
                    document.dataSize / bytes, worst, qPrintable(worstAt));
    }
    return 0;
}
