// The editor's results on disk: a new run never replaces an earlier run's results, nor a result
// another program wrote under a drawn name meanwhile, a folder with
// every name taken refuses the job, and a disk that fills up ends the job with one message and
// leaves no file.
#include "app/workbench.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "operations/operation.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/sonio.h"
#include "workspace/audio_root.h"

#include <QMdiArea>
#include <QtTest>
#include <filesystem>

SONARIUM_DECLARE_OPERATION(volume);

using namespace sonarium;
namespace fs = std::filesystem;

class ResultFilesTest : public test::EditorFixture {
    Q_OBJECT

    std::string source;

    JobOutcome runVolume() {
        return bench->operations().runJob(volumeOperation(), {.source = source},
                                          [this] { return bench->session().NextTempPath(); });
    }

    std::vector<std::string> resultNames() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(tempSounds()))
            if (entry.path().filename() != "history.jsonl") // what made them, beside them
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private slots:
    void init() {
        startFresh();
        test::WaveSpec shape;
        shape.samples = test::ramp(200000);
        source = files->file("take.wav");
        test::writeBytes(source, test::buildWave(shape));
    }

    void cleanup() { stopEditor(); }

    void aNewRunKeepsTheResultsOfTheLastOne() {
        QCOMPARE(runVolume(), JobOutcome::Completed);
        QCOMPARE(runVolume(), JobOutcome::Completed);
        const test::Bytes first = test::readBytes((tempSounds() / "000.wav").string());
        restartEditor();
        QCOMPARE(runVolume(), JobOutcome::Completed);
        QCOMPARE(resultNames(), (std::vector<std::string>{"000.wav", "001.wav", "002.wav"}));
        QVERIFY(test::readBytes((tempSounds() / "000.wav").string()) == first);
        QVERIFY(reporter->reports.empty());
    }

    // Another editor's result took the drawn name before this one was complete: it stays, and
    // this result takes the next number, under which its window opens.
    void aNameTakenMeanwhileIsDrawnAgain() {
        std::string drawn;
        const test::Bytes theirs{'t', 'h', 'e', 'i', 'r', 's'};
        QCOMPARE(bench->operations().runJob(volumeOperation(), {.source = source},
                                            [&] {
                                                drawn = bench->session().NextTempPath();
                                                test::writeBytes(drawn, theirs);
                                                return drawn;
                                            }),
                 JobOutcome::Completed);
        QCOMPARE(fs::path(drawn).filename().string(), std::string("000.wav"));
        QVERIFY(test::readBytes(drawn) == theirs);
        QCOMPARE(resultNames(), (std::vector<std::string>{"000.wav", "001.wav"}));
        auto* active = qobject_cast<CChildFrame*>(frame->mdiArea()->activeSubWindow());
        QVERIFY(active != nullptr);
        QCOMPARE(active->document().GetPathName(),
                 QString::fromStdString((tempSounds() / "001.wav").string()));
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
        QCOMPARE(reporter->texts().size(), std::size_t(1));
        QVERIFY(reporter->texts()[0].starts_with(std::string(kWriteErrorText) + "\n\nFile "));
        QVERIFY(reporter->texts()[0].ends_with("\nNo space left on device"));
        QVERIFY(resultNames().empty());
        QVERIFY(frame->mdiArea()->subWindowList().isEmpty());
    }
};

QTEST_MAIN(ResultFilesTest)
#include "result_files_test.moc"
