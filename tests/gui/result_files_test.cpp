// The editor's results on disk: a new run never replaces an earlier run's results, a folder with
// every name taken refuses the job, and a disk that fills up ends the job with one message and
// leaves no file.
#include "app/workbench.h"
#include "display/child_frame.h"
#include "operations/operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/sonio.h"
#include "workspace/audio_root.h"

#include <QMdiArea>
#include <QtTest>
#include <filesystem>

using namespace sonarium;
namespace fs = std::filesystem;

class ResultFilesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempAudioRoot> root;
    std::unique_ptr<test::TempDir> files;
    std::unique_ptr<CMainFrame> frame;
    std::unique_ptr<test::RecordingReporter> reporter;
    std::unique_ptr<Workbench> bench;
    std::string source;

    // A fresh start of the editor on the same audio root.
    void startEditor() {
        bench.reset();
        frame.reset();
        Preferences preferences = Preferences::defaults();
        preferences.newNumberOnOpen = false;
        frame = std::make_unique<CMainFrame>(CMainFrame::Options{});
        bench = std::make_unique<Workbench>(*frame, *reporter, preferences);
        frame->resize(1000, 700);
        frame->show();
    }

    JobOutcome runVolume() {
        return bench->operations().runJob(volumeOperation(), {.source = source},
                                          [this] { return bench->NextTempPath(); });
    }

    fs::path tempSounds() const { return root->path() / "tempsnds"; }

    std::vector<std::string> resultNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(tempSounds()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private slots:
    void init() {
        root = std::make_unique<test::TempAudioRoot>();
        files = std::make_unique<test::TempDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root->path().string()));
        installMissingResources(test::sourceDataDir());
        reporter = std::make_unique<test::RecordingReporter>();
        test::WaveSpec shape;
        shape.samples = test::ramp(200000);
        source = files->file("take.wav");
        test::writeBytes(source, test::buildWave(shape));
        startEditor();
    }

    void cleanup() {
        BinaryFile::limitCreatedFilesForTesting(-1);
        bench.reset();
        frame.reset();
        reporter.reset();
        files.reset();
        root.reset();
    }

    void aNewRunKeepsTheResultsOfTheLastOne() {
        QCOMPARE(runVolume(), JobOutcome::Completed);
        QCOMPARE(runVolume(), JobOutcome::Completed);
        const test::Bytes first = test::readBytes((tempSounds() / "000.wav").string());
        startEditor();
        QCOMPARE(runVolume(), JobOutcome::Completed);
        QCOMPARE(resultNames(), (std::vector<std::string>{"000.wav", "001.wav", "002.wav"}));
        QVERIFY(test::readBytes((tempSounds() / "000.wav").string()) == first);
        QVERIFY(reporter->reports.empty());
    }

    void everyNameTakenRefusesTheJob() {
        for (int n = 0; n < 1000; ++n) {
            char name[8];
            std::snprintf(name, sizeof name, "%03d.wav", n);
            test::writeBytes((tempSounds() / name).string(), test::Bytes{1});
        }
        const int windows = static_cast<int>(frame->mdiArea()->subWindowList().size());
        QCOMPARE(runVolume(), JobOutcome::EndedWithMessage);
        QCOMPARE(reporter->reports.back().icon, MessageIcon::Error);
        QVERIFY(reporter->reports.back().text.starts_with("Every result name from 000.wav"));
        QCOMPARE(static_cast<int>(frame->mdiArea()->subWindowList().size()), windows);
        QCOMPARE(resultNames().size(), std::size_t(1000));
    }

    void aFullDiskEndsTheJobWithOneMessage() {
        BinaryFile::limitCreatedFilesForTesting(44 + 100000);
        QCOMPARE(runVolume(), JobOutcome::EndedWithMessage);
        QCOMPARE(reporter->texts(), std::vector<std::string>{kWriteErrorText});
        QVERIFY(resultNames().empty());
        QVERIFY(frame->mdiArea()->subWindowList().isEmpty());
    }
};

QTEST_MAIN(ResultFilesTest)
#include "result_files_test.moc"
