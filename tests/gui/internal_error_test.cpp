// An error escaping a job, with or without its dialog, through the editor's own runner: one
// message with the error icon, nothing written, and the session goes on.
#include "app/workbench.h"
#include "editor_fixture.h"
#include "modal_helpers.h"
#include "run_operation.h"
#include "test_support.h"
#include "throwing_jobs.h"

#include <QMdiArea>
#include <QtTest>

SONARIUM_DECLARE_OPERATION(volume);

using namespace sonarium;

class InternalErrorTest : public test::EditorFixture {
    Q_OBJECT

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    void theEditorReportsItAndCarriesOn_data() {
        QTest::addColumn<bool>("withDialog");
        QTest::newRow("job alone") << false;
        QTest::newRow("from its dialog") << true;
    }

    void theEditorReportsItAndCarriesOn() {
        QFETCH(bool, withDialog);
        const std::string source =
            test::writeWave(files->file("source.wav"), test::ramp(1'000'000));
        const test::Bytes before = test::readBytes(source);
        bench->files().openFiles({QString::fromStdString(source)});
        const qsizetype windows = frame->mdiArea()->subWindowList().size();
        for (const test::ThrowingJob& job : test::throwingJobs(withDialog)) {
            const QByteArray what = QByteArray::fromStdString(job.what);
            reporter->reports.clear();
            if (withDialog)
                whenModal([](QWidget* dialog) { clickButton(dialog, QStringLiteral("OK")); });
            bench->operations().run(job.decl);
            QCOMPARE(reporter->texts(), std::vector<std::string>{job.message});
            QVERIFY2(reporter->reports[0].icon == MessageIcon::Error, what);
            QVERIFY2(test::folderEntries(tempSounds()).empty(), what); // nor a temporary file
            QCOMPARE(frame->mdiArea()->subWindowList().size(), windows);
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
        QVERIFY(test::readBytes(source) == before);
        // The session goes on: the next operation writes its result.
        reporter->reports.clear();
        bench->operations().runJob(volumeOperation(), {.source = source},
                                   [this] { return (tempSounds() / "000.wav").string(); });
        QVERIFY(reporter->reports.empty());
        // The result, and the record of what made it.
        QCOMPARE(test::folderEntries(tempSounds()),
                 (std::set<std::string>{"000.wav", "history.jsonl"}));
    }
};

QTEST_MAIN(InternalErrorTest)
#include "internal_error_test.moc"
