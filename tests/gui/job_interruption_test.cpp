// Jobs that fail or are stopped: Save As and Rename change nothing unless the file operation
// succeeded; a running job answers Cancel, Esc and closing its window, leaves nothing behind, and
// keeps its window responsive; its progress bar is repainted once per percent at most.
#include "app/workbench.h"
#include "dialogs/named_dialogs.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "run_operation.h"
#include "support/job_progress_dialog.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "workspace/audio_root.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <unistd.h>

SONARIUM_DECLARE_OPERATION(volume);
SONARIUM_DECLARE_OPERATION(saturate);
SONARIUM_DECLARE_OPERATION(crop);

using namespace sonarium;
namespace fs = std::filesystem;

namespace {

// 8 million values: 125 blocks of a job, more than the 101 percentages of its bar.
constexpr std::size_t kLongFileValues = 8'000'000;

// Queues action: it runs when the event loop next runs, which, queued just before a job starts,
// is from inside the job once its first block is done (and never once context is gone).
void later(QObject* context, std::function<void()> action) {
    QTimer::singleShot(0, context, std::move(action));
}

// Runs action on the first widget find() returns, checking at every pass of the event loop (a
// job's window is looked for while the job runs). The search ends with owner.
void whenFound(QObject* owner, std::function<QWidget*()> find,
               std::function<void(QWidget*)> action) {
    auto* timer = new QTimer(owner);
    timer->setInterval(0);
    QObject::connect(timer, &QTimer::timeout, [timer, find, action] {
        if (QWidget* widget = find()) {
            timer->stop();
            timer->deleteLater();
            action(widget);
        }
    });
    timer->start();
}

QAbstractButton* buttonOf(QWidget* window, QDialogButtonBox::StandardButton which) {
    for (auto* box : window->findChildren<QDialogButtonBox*>())
        if (QAbstractButton* button = box->button(which))
            return button;
    return nullptr;
}

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class JobInterruptionTest : public test::EditorFixture {
    Q_OBJECT

    test::TempDir shared; // the long source, written once
    std::string longSource;

    std::string copyOfLongSource(const char* name) {
        const std::string path = files->file(name);
        fs::copy_file(longSource, path);
        return path;
    }

    // Everything Save As and Rename may change: the windows, the slots, the selectors.
    QStringList state() const {
        QStringList lines;
        for (QMdiSubWindow* window : frame->mdiArea()->subWindowList())
            if (auto* child = qobject_cast<CChildFrame*>(window))
                lines << QStringLiteral("window %1 %2")
                             .arg(child->windowTitle(), child->document().GetPathName());
        const WorkingList& list = bench->list();
        for (std::size_t i = 0; i < list.filePaths.size(); ++i)
            if (!list.filePaths[i].empty())
                lines << QStringLiteral("slot %1 %2").arg(i).arg(qs(list.filePaths[i]));
        for (const SelectorModel* selector : {&list.source, &list.aux}) {
            QStringList items;
            for (const std::string& item : selector->items())
                items << qs(item);
            lines << QStringLiteral("selector %1 @ %2")
                         .arg(items.join(QLatin1Char(',')))
                         .arg(selector->current());
        }
        lines << QStringLiteral("shown %1 / %2")
                     .arg(frame->controlBar()->sourceSelector()->currentText(),
                          frame->controlBar()->auxSelector()->currentText());
        return lines;
    }
    static QString qs(const std::string& text) { return QString::fromStdString(text); }

    // A Volume dialog on the long source writing into the temporary folder, its opened results
    // recorded.
    struct VolumeRun {
        WaveContext wave;
        std::vector<std::string> opened;
        int namesDrawn = 0;
        std::unique_ptr<COperationDialog> dialog;
    };
    std::unique_ptr<VolumeRun> volumeDialog() {
        auto run = std::make_unique<VolumeRun>(VolumeRun{{*reporter, "", {}}, {}, 0, {}});
        VolumeRun* raw = run.get();
        run->wave.openDocument = [raw](const std::string& path) { raw->opened.push_back(path); };
        const fs::path folder = tempSounds();
        run->dialog = createOperationDialog(
            volumeOperation(),
            OperationServices{
                *reporter, run->wave,
                [raw, folder] {
                    return (folder / (std::to_string(raw->namesDrawn++) + ".wav")).string();
                },
                JobInput{.source = longSource}, "English"});
        run->dialog->show();
        return run;
    }

private slots:
    void initTestCase() {
        longSource =
            test::writeWave(shared.file("long.wav"), test::ramp(kLongFileValues, -20000, 7919));
    }

    void init() {
        startFresh();
        fs::create_directories(tempSounds());
    }

    void cleanup() { stopEditor(); }

    void saveAsThatFailsChangesNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder missing") << "missing";
        QTest::newRow("folder is a file") << "file";
        QTest::newRow("folder read-only") << "read-only";
        QTest::newRow("disk full halfway") << "full";
        QTest::newRow("cancelled") << "cancelled";
    }

    void saveAsThatFailsChangesNothing() {
        QFETCH(QString, how);
        const std::string a = copyOfLongSource("a.wav");
        const std::string b = copyOfLongSource("b.wav");
        bench->files().openFiles({qs(a), qs(b)});
        const fs::path target = [&] {
            if (how == "missing")
                return files->path() / "none" / "kept.wav";
            if (how == "file") {
                test::writeBytes(files->file("plain"), test::Bytes(4, 0));
                return files->path() / "plain" / "kept.wav";
            }
            if (how == "read-only") {
                fs::create_directory(files->path() / "locked");
                fs::permissions(files->path() / "locked",
                                fs::perms::owner_read | fs::perms::owner_exec);
                return files->path() / "locked" / "kept.wav";
            }
            return files->path() / "kept.wav";
        }();
        if (how == "read-only" && geteuid() == 0)
            QSKIP("root writes into read-only folders");
        if (how == "full")
            BinaryFile::limitCreatedFilesForTesting(44 + 4'000'000);
        if (how == "cancelled") {
            whenFound(
                frame.get(), [] { return QApplication::activeModalWidget(); },
                [](QWidget* saving) {
                    // The first pass of the event loop inside the copy.
                    QCOMPARE(saving->objectName(), QStringLiteral("saving"));
                    QTest::mouseClick(buttonOf(saving, QDialogButtonBox::Cancel), Qt::LeftButton);
                });
        }
        const QStringList before = state();
        const std::set<std::string> folderBefore = test::folderEntries(files->path());
        bench->files().chooseSaveName = [&](const QString&, const QString&) {
            return qs(target.string());
        };
        frame->runCommand(cmd::kSaveAs);
        BinaryFile::limitCreatedFilesForTesting(-1);

        QCOMPARE(state(), before);
        QVERIFY(!fs::exists(target));
        QCOMPARE(test::folderEntries(files->path()), folderBefore); // no temporary file either
        if (how == "cancelled") {
            QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
            QVERIFY(reporter->reports.empty());
        } else {
            QCOMPARE(reporter->reports.size(), std::size_t(1)); // the reason, once
        }
        fs::permissions(files->path(), fs::perms::owner_all, fs::perm_options::add);
        if (fs::exists(files->path() / "locked"))
            fs::permissions(files->path() / "locked", fs::perms::owner_all);
    }

    // A failed move leaves the file, its entry and every window, those of files under the new
    // name included.
    void renameThatFailsChangesNothing_data() {
        QTest::addColumn<QString>("target");
        QTest::newRow("folder missing") << "none/moved.wav";
        QTest::newRow("a folder with files") << "busy";
    }

    void renameThatFailsChangesNothing() {
        QFETCH(QString, target);
        fs::create_directory(files->path() / "busy");
        const std::string underTarget = test::writeWave(files->file("busy/x.wav"), test::ramp(900));
        const std::string a = test::writeWave(files->file("a.wav"), test::ramp(1000));
        bench->files().openFiles({qs(underTarget), qs(a)});
        const test::Bytes bytes = test::readBytes(a);
        const QStringList before = state();
        bench->files().chooseSaveName = [&](const QString&, const QString&) {
            return qs(files->file(target.toStdString()));
        };
        frame->runCommand(cmd::kRename);
        QCOMPARE(state(), before);
        QCOMPARE(test::readBytes(a), bytes);
        QCOMPARE(reporter->reports.size(), std::size_t(1));
    }

    // Cancel, Esc and closing the window stop the job; the dialog stays up until the job has
    // ended and then closes as cancelled, with no result and no temporary file left.
    void stoppingTheJobOfADialog_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("window closed") << "close";
    }

    void stoppingTheJobOfADialog() {
        QFETCH(QString, how);
        auto run = volumeDialog();
        COperationDialog* dialog = run->dialog.get();
        auto* bar = qobject_cast<QProgressBar*>(dialog->item(1161));
        bool shownAfterRequest = false;
        later(dialog, [&] {
            QVERIFY(dialog->jobRunning());
            if (how == "cancel")
                QTest::mouseClick(buttonOf(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
            else if (how == "escape")
                QTest::keyClick(dialog, Qt::Key_Escape);
            else
                dialog->close();
            shownAfterRequest = dialog->isVisible() && dialog->jobRunning();
        });
        dialog->accept();
        QVERIFY(shownAfterRequest);
        QVERIFY(dialog->outcome() == JobOutcome::Cancelled);
        QVERIFY(dialog->interrupted());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!dialog->isVisible());
        QVERIFY(bar->value() < 100);
        QVERIFY(run->opened.empty());
        QCOMPARE(test::folderEntries(tempSounds()), std::set<std::string>{});
    }

    // While the job runs only Cancel answers; a second OK starts nothing. Afterwards the fields
    // are as the declaration made them (Reverted Overload stays disabled).
    void whileTheJobRunsOnlyCancelAnswers() {
        auto run = volumeDialog();
        COperationDialog* dialog = run->dialog.get();
        auto* bar = qobject_cast<QProgressBar*>(dialog->item(1161));
        QWidget* ratio = dialog->item(1049);
        QWidget* fold = dialog->item(1002);
        QVERIFY(ratio->isEnabled());
        QVERIFY(!fold->isEnabled());
        QAbstractButton* ok = buttonOf(dialog, QDialogButtonBox::Ok);
        QAbstractButton* cancel = buttonOf(dialog, QDialogButtonBox::Cancel);
        QAbstractButton* help = qobject_cast<QAbstractButton*>(dialog->item(1048));
        bool checked = false;
        later(dialog, [&] {
            QVERIFY(dialog->jobRunning());
            QVERIFY(!ok->isEnabled());
            QVERIFY(!help->isEnabled());
            QVERIFY(!ratio->isEnabled());
            QVERIFY(cancel->isEnabled());
            QVERIFY(bar->isEnabled());
            QTest::mouseClick(ok, Qt::LeftButton);
            dialog->accept(); // OK's slot itself, as a double click could reach it
            checked = true;
        });
        dialog->accept();
        QVERIFY(checked);
        QVERIFY(dialog->outcome() == JobOutcome::Completed);
        QVERIFY(!dialog->interrupted());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(run->namesDrawn, 1);
        QCOMPARE(test::folderEntries(tempSounds()),
                 (std::set<std::string>{"0.wav", "history.jsonl"}));
        QCOMPARE(run->opened, std::vector<std::string>{(tempSounds() / "0.wav").string()});
        QVERIFY(ratio->isEnabled());
        QVERIFY(ok->isEnabled());
        QVERIFY(!fold->isEnabled());
    }

    void theBarIsRepaintedOncePerPercentAtMost() {
        auto run = volumeDialog();
        QVERIFY(QTest::qWaitForWindowExposed(run->dialog.get()));
        auto* bar = qobject_cast<QProgressBar*>(run->dialog->item(1161));
        PaintCounter counter;
        bar->installEventFilter(&counter);
        run->dialog->accept();
        QVERIFY(run->dialog->outcome() == JobOutcome::Completed);
        QCOMPARE(bar->value(), 100);
        QVERIFY2(counter.paints > 0 && counter.paints <= 101,
                 qPrintable(QString::number(counter.paints)));
    }

    // The dialog's job through the main window: the Activity field tells that the job was
    // stopped, and nothing opens or joins the list.
    void aStoppedJobSaysOperationInterrupted() {
        bench->files().openFiles({qs(longSource)});
        const QStringList before = state();
        whenFound(
            frame.get(), [] { return QApplication::activeModalWidget(); },
            [](QWidget* modal) {
                auto* dialog = qobject_cast<COperationDialog*>(modal);
                QVERIFY(dialog != nullptr);
                later(dialog, [dialog] {
                    QTest::mouseClick(buttonOf(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
                });
                QTest::mouseClick(buttonOf(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
            });
        frame->runCommand(volumeOperation().commandId);
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
        QCOMPARE(state(), before);
        QCOMPARE(test::folderEntries(tempSounds()), std::set<std::string>{});
    }

    // A stereo warning answered with Cancel ends the job without a result: the Activity field
    // says it was interrupted, not done.
    void aDeclinedStereoWarningSaysOperationInterrupted() {
        bench->files().openFiles(
            {qs(test::writeWave(files->file("stereo.wav"), test::ramp(20000), 2))});
        reporter->answers = {Answer::Cancel};
        whenFound(
            frame.get(), [] { return QApplication::activeModalWidget(); },
            [](QWidget* dialog) {
                QTest::mouseClick(buttonOf(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
            });
        frame->runCommand(saturateOperation().commandId);
        QCOMPARE(reporter->texts(), std::vector<std::string>{kStereoWarningText});
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
        QCOMPARE(test::folderEntries(tempSounds()), std::set<std::string>{});
    }

    // A job without a dialog (Crop) is stopped from its progress window, with the same Activity
    // text and nothing left behind.
    void aJobWithoutDialogIsStoppedFromItsProgressWindow() {
        bench->files().openFiles({qs(longSource)});
        const QStringList before = state();
        bool found = false;
        whenFound(
            frame.get(), [this]() -> QWidget* { return frame->findChild<JobProgressDialog*>(); },
            [&found](QWidget* window) {
                found = true;
                // What the window's Cancel button and Esc run.
                static_cast<JobProgressDialog*>(window)->cancel();
            });
        frame->runCommand(cropOperation().commandId);
        QVERIFY(found);
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
        QCOMPARE(state(), before);
        QCOMPARE(test::folderEntries(tempSounds()), std::set<std::string>{});
        QVERIFY(frame->findChild<JobProgressDialog*>() == nullptr);
    }

    // The progress window appears only for a job that lasts, and then its Cancel button stops
    // the job. The job here is a loop of 10 ms steps.
    void theProgressWindowAppearsForALongJob_data() {
        QTest::addColumn<unsigned long>("stepMs");
        QTest::addColumn<bool>("shown");
        QTest::newRow("short job") << 0UL << false;
        QTest::newRow("long job") << 10UL << true;
    }

    void theProgressWindowAppearsForALongJob() {
        QFETCH(unsigned long, stepMs);
        QFETCH(bool, shown);
        JobProgressDialog progress(QStringLiteral("Crop"), frame.get());
        bool seen = false;
        bool clicked = false;
        int percent = 0;
        for (; percent <= 100 && !progress.cancelRequested(); ++percent) {
            progress.setProgress(percent);
            if (progress.isVisible() && !clicked) {
                seen = true;
                clicked = true;
                later(&progress, [&progress] {
                    QTest::mouseClick(progress.findChild<QPushButton*>(), Qt::LeftButton);
                });
            }
            QThread::msleep(stepMs);
        }
        QCOMPARE(seen, shown);
        QCOMPARE(progress.cancelRequested(), shown);
        QCOMPARE(percent <= 100, shown);
    }
};

QTEST_MAIN(JobInterruptionTest)
#include "job_interruption_test.moc"
