// Insertions and Merge in the editor: Merge's progress-only dialog and its result, the insert
// commands' status texts and enabling, and Merge with no Aux file.
#include "app/workbench.h"
#include "commands/clipboard_commands.h"
#include "display/child_frame.h"
#include "display/sonarium_doc.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "frame/notices.h"
#include "modal_helpers.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMdiArea>
#include <QProgressBar>
#include <QtTest>
#include <filesystem>

SONARIUM_DECLARE_OPERATION(insertSilence);
SONARIUM_DECLARE_OPERATION(insertClipboard);
SONARIUM_DECLARE_OPERATION(insertAuxiliary);
SONARIUM_DECLARE_OPERATION(merge);

using namespace sonarium;
namespace fs = std::filesystem;

namespace {

// What the dialogs shown while it lives held, by object name: "progress" when a progress bar
// alone, "controls" when a button or an edit too.
class ShownDialogs : public QObject {
public:
    ShownDialogs() { qApp->installEventFilter(this); }
    ~ShownDialogs() override { qApp->removeEventFilter(this); }
    QMap<QString, QString> held;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->inherits("QDialog")) {
            const bool controls = !watched->findChildren<QAbstractButton*>().isEmpty() ||
                                  !watched->findChildren<QLineEdit*>().isEmpty();
            const bool progress = watched->findChild<QProgressBar*>() != nullptr;
            held[watched->objectName()] = controls   ? QStringLiteral("controls")
                                          : progress ? QStringLiteral("progress")
                                                     : QStringLiteral("nothing");
        }
        return false;
    }
};

} // namespace

class InsertionsTest : public test::EditorFixture {
    Q_OBJECT

    const std::vector<std::int16_t> stereo_ = test::ramp(2 * 3000, -30000, 13);
    const std::vector<std::int16_t> mono_ = test::ramp(2500, 500, 29);

    std::string makeStereo() { return test::writeWave(files->file("stereo.wav"), stereo_, 2); }
    std::string makeMono() { return test::writeWave(files->file("mono.wav"), mono_, 1); }
    std::string result(int number) const {
        char name[16];
        std::snprintf(name, sizeof name, "%03d.wav", number);
        return (tempSounds() / name).string();
    }
    CChildFrame* activeWindow() const {
        return qobject_cast<CChildFrame*>(frame->mdiArea()->activeSubWindow());
    }
    // The job alone, as the command line runs it.
    test::Bytes jobResult(const OperationDecl& operation, const JobInput& input,
                          const Parameters& parameters) {
        test::RecordingReporter quiet;
        const std::string out = files->file("job.wav");
        test::runOperation(operation, parameters, input, quiet, {.destination = out});
        return test::readBytes(out);
    }
    QString said() const {
        QStringList texts;
        for (const std::string& text : reporter->texts())
            texts << QString::fromStdString(text);
        return texts.join(QStringLiteral(" | "));
    }

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    // Merge shows only its progress, runs its job as soon as it is painted, and its result opens
    // and becomes the Source, the file merged before it the Aux.
    void mergeRunsOnFirstPaintAndJoinsTheList() {
        const std::string stereo = makeStereo();
        const std::string mono = makeMono();
        bench->files().openFiles({QString::fromStdString(stereo), QString::fromStdString(mono)});
        QCOMPARE(bench->list().aux.currentText(), WorkingList::displayName(stereo));
        ShownDialogs shown;
        frame->runCommand(mergeOperation().commandId);
        QCOMPARE(shown.held.value(QStringLiteral("CMergeDialog")), QStringLiteral("progress"));
        QVERIFY2(reporter->reports.empty(), qPrintable(said()));
        QCOMPARE(activity(), QStringLiteral("Merge - done"));
        const std::string merged = result(0);
        QVERIFY(test::readBytes(merged) == jobResult(mergeOperation(),
                                                     {.source = mono, .aux = stereo},
                                                     mergeOperation().defaults()));
        std::vector<std::int16_t> expected; // the mono Source doubled, then the stereo Aux
        for (std::int16_t value : mono_)
            expected.insert(expected.end(), {value, value});
        expected.insert(expected.end(), stereo_.begin(), stereo_.end());
        QVERIFY(test::readValues(merged) == expected);
        QVERIFY(activeWindow() != nullptr);
        QCOMPARE(activeWindow()->document().GetPathName(), QString::fromStdString(merged));
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(merged));
        QCOMPARE(bench->list().aux.currentText(), WorkingList::displayName(mono));
    }

    // One file listed: the Aux shows the Source. Merge is enabled and gives the file twice;
    // Insert Auxiliary, which needs two different files, is disabled and does nothing.
    void oneFileListed() {
        const std::string mono = makeMono();
        bench->files().openFiles({QString::fromStdString(mono)});
        QCOMPARE(bench->list().selectionState, 1);
        QVERIFY(frame->action(mergeOperation().commandId)->isEnabled());
        QVERIFY(!frame->action(insertAuxiliaryOperation().commandId)->isEnabled());
        const QString before = activity();
        frame->runCommand(insertAuxiliaryOperation().commandId);
        QCOMPARE(activity(), before);
        QVERIFY(!fs::exists(result(0)));

        frame->runCommand(mergeOperation().commandId);
        std::vector<std::int16_t> twice = mono_;
        twice.insert(twice.end(), mono_.begin(), mono_.end());
        QVERIFY(test::readValues(result(0)) == twice);
        QVERIFY(reporter->reports.empty());
        // The result beside the file: two different files, Insert Auxiliary enabled.
        QCOMPARE(bench->list().selectionState, 2);
        QVERIFY(frame->action(insertAuxiliaryOperation().commandId)->isEnabled());
    }

    // The Aux selector left with no selection (its file was a temporary result, deleted by Clear
    // Temporary Directory): Merge says there is nothing to merge, writes nothing, and the Activity
    // field says it was interrupted.
    void mergeWithNoAuxFile() {
        const std::string mono = makeMono();
        bench->files().openFiles({QString::fromStdString(mono)});
        whenModal([](QWidget* modal) { clickButton(modal, QStringLiteral("OK")); });
        frame->runCommand(insertSilenceOperation().commandId); // 000.wav, then the Source
        QVERIFY(fs::exists(result(0)));
        bench->files().openFiles({QString::fromStdString(mono)}); // back to the file: Aux 000
        QCOMPARE(bench->list().aux.currentText(), WorkingList::displayName(result(0)));
        whenModal([](QWidget* modal) { clickButton(modal, QStringLiteral("Confirm")); });
        frame->runCommand(cmd::kClearTempDir);
        QVERIFY(!bench->list().aux.hasSelection());
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(mono));
        QVERIFY(frame->action(mergeOperation().commandId)->isEnabled());
        const std::set<std::string> before = test::folderEntries(tempSounds());

        frame->runCommand(mergeOperation().commandId);
        QCOMPARE(reporter->texts(), std::vector<std::string>{
                                        "No auxiliary file selected:\nthere is nothing to merge."});
        QCOMPARE(test::folderEntries(tempSounds()), before);
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
    }

    // Each insert dialog, at its default start (the end of the file) and cancelled: the status
    // text says done after OK only, and only OK writes a result, which opens and joins the
    // list.
    void insertDialogs_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("dialogName");
        QTest::addColumn<int>("startItem");
        QTest::addColumn<QString>("status");
        QTest::newRow("silence") << insertSilenceOperation().commandId
                                 << QStringLiteral("CInsertSilenceDialog") << 1333
                                 << QStringLiteral("Insert silence - done");
        QTest::newRow("clipboard")
            << insertClipboardOperation().commandId << QStringLiteral("CInsertClipboardDialog")
            << 1336 << QStringLiteral("Insert clipboard - done");
        QTest::newRow("auxiliary")
            << insertAuxiliaryOperation().commandId << QStringLiteral("CInsertAuxiliaryDialog")
            << 1337 << QStringLiteral("Insert auxiliary - done");
    }
    void insertDialogs() {
        QFETCH(int, command);
        QFETCH(QString, dialogName);
        QFETCH(int, startItem);
        QFETCH(QString, status);
        const std::string stereo = makeStereo();
        const std::string mono = makeMono();
        // Source mono, Aux stereo; the clipboard holds the stereo file (this process's own
        // clipboard on the offscreen platform).
        bench->files().openFiles({QString::fromStdString(stereo), QString::fromStdString(mono)});
        bench->list().source.select(WorkingList::displayName(stereo));
        bench->list().OnSourceChanged();
        frame->runCommand(cmd::kCopyToClipboard);
        QCOMPARE(activity(), QStringLiteral("Copy to clipboard - done"));
        bench->list().source.select(WorkingList::displayName(mono));
        bench->list().OnSourceChanged();
        QCOMPARE(bench->list().selectionState, 2);
        const test::Bytes monoBefore = test::readBytes(mono);
        const test::Bytes stereoBefore = test::readBytes(stereo);

        for (const bool ok : {false, true}) {
            QString start;
            whenModal([&](QWidget* modal) {
                QCOMPARE(modal->objectName(), dialogName);
                auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("item%1").arg(startItem));
                start = edit != nullptr ? edit->text() : QString();
                clickButton(modal, ok ? QStringLiteral("OK") : QStringLiteral("Cancel"));
            });
            frame->ShowActivity(QStringLiteral("Ready"));
            frame->runCommand(command);
            QCOMPARE(start, QStringLiteral("0.057")); // 2500 values at 44100 Hz
            QCOMPARE(activity(), ok ? status : QString::fromLatin1(kJobInterruptedActivity));
            QCOMPARE(fs::exists(result(0)), ok);
        }
        QVERIFY2(reporter->reports.empty(), qPrintable(said()));
        std::vector<std::int16_t> expected = mono_;
        if (command == insertSilenceOperation().commandId)
            expected.resize(mono_.size() + 44100, 0); // 1 s of mono silence
        else                                          // the stereo file's values copied as they are
            expected.insert(expected.end(), stereo_.begin(), stereo_.end());
        QVERIFY(test::readValues(result(0)) == expected);
        QCOMPARE(activeWindow()->document().GetPathName(), QString::fromStdString(result(0)));
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(result(0)));
        QVERIFY(test::readBytes(mono) == monoBefore && test::readBytes(stereo) == stereoBefore);
    }
};

QTEST_MAIN(InsertionsTest)
#include "insertions_test.moc"
