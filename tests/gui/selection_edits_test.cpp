// The selection edits in the editor: a mouse selection reversed through the progress-only
// dialog, Select and Selection Position on the active window, Fade's boxes, and the main
// frame's rules for these commands.
#include "app/workbench.h"
#include "dialogs/named_dialogs.h"
#include "display/child_frame.h"
#include "display/sonarium_view.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "frame/notices.h"
#include "modal_helpers.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "support/qt_text.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <set>

SONARIUM_DECLARE_OPERATION(select);
SONARIUM_DECLARE_OPERATION(remove);
SONARIUM_DECLARE_OPERATION(removeSelection);
SONARIUM_DECLARE_OPERATION(mute);
SONARIUM_DECLARE_OPERATION(reverse);
SONARIUM_DECLARE_OPERATION(fade);
SONARIUM_DECLARE_OPERATION(selectionPosition);
SONARIUM_DECLARE_OPERATION(fadeIn);
SONARIUM_DECLARE_OPERATION(fadeOut);
SONARIUM_DECLARE_OPERATION(invert);
SONARIUM_DECLARE_OPERATION(volume);

using namespace sonarium;

namespace {

// Records the object names of the widgets shown while it lives.
class ShownWidgets : public QObject {
public:
    ShownWidgets() { qApp->installEventFilter(this); }
    ~ShownWidgets() override { qApp->removeEventFilter(this); }
    QStringList names;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            names << watched->objectName();
        return false;
    }
};

QLineEdit* edit(QWidget* dialog, int item) {
    return dialog->findChild<QLineEdit*>(QStringLiteral("item%1").arg(item));
}

} // namespace

class SelectionEditsTest : public test::EditorFixture {
    Q_OBJECT

    std::vector<std::int16_t> values_ = test::ramp(2 * 44100, -30000, 17); // 1 s of stereo

    std::string makeSource(const char* name) {
        return test::writeWave(files->file(name), values_, 2);
    }
    CSonariumView* activeView() const {
        auto* window = qobject_cast<CChildFrame*>(frame->mdiArea()->activeSubWindow());
        return window != nullptr ? window->view() : nullptr;
    }
    std::set<std::string> results() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(tempSounds()))
            if (entry.path().filename() != "history.jsonl") // what made them, beside them
                names.insert(entry.path().filename().string());
        return names;
    }

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    // A selection made with the mouse, then Reverse: its dialog starts the job when it is first
    // painted and closes; the result holds the selected values in reverse order.
    void aMouseSelectionThenReverse() {
        bench->files().openFiles({qs(makeSource("take.wav"))});
        CSonariumView* view = activeView();
        QVERIFY(view != nullptr);
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(100, 50));
        QTest::mouseClick(view, Qt::RightButton, {}, QPoint(200, 50));
        const std::uint32_t start = view->selStart;
        const std::uint32_t end = view->selEnd;
        QVERIFY(start > 0 && end > start && start % 4 == 0 && end % 4 == 0);
        ShownWidgets shown;
        frame->runCommand(reverseOperation().commandId);
        QVERIFY(std::filesystem::exists(tempSounds() / "000.wav"));
        QVERIFY(shown.names.contains(QStringLiteral("CReverseDialog")));
        QCOMPARE(activity(), QStringLiteral("Reverse Selection - done"));
        std::vector<std::int16_t> expected = values_;
        std::reverse(expected.begin() + start / 2, expected.begin() + end / 2);
        QVERIFY(test::readValues((tempSounds() / "000.wav").string()) == expected);
        QVERIFY(reporter->reports.empty());
    }

    // Select opens with the duration, sets the window's selection in whole frames, and stays
    // open on equal positions; Selection Position then shows it in seconds.
    void selectSetsTheViewsSelection() {
        bench->files().openFiles({qs(makeSource("take.wav"))});
        CSonariumView* view = activeView();
        bool sameRefused = false;
        whenModal([&](QWidget* modal) {
            QCOMPARE(modal->objectName(), QStringLiteral("CSelectDialog"));
            QCOMPARE(edit(modal, 1003)->text(), QStringLiteral("1.000"));
            edit(modal, 1002)->setText(QStringLiteral("0.5"));
            edit(modal, 1003)->setText(QStringLiteral("0.5000001"));
            clickButton(modal, QStringLiteral("OK"));
            sameRefused = modal->isVisible() && reporter->reports.size() == 1;
            edit(modal, 1002)->setText(QStringLiteral("0.250001"));
            clickButton(modal, QStringLiteral("OK"));
        });
        frame->runCommand(selectOperation().commandId);
        QVERIFY(sameRefused);
        QCOMPARE(reporter->texts(),
                 std::vector<std::string>{
                     "No data selected,\nStart and End position must be different."});
        QCOMPARE(view->selStart, 44100U); // 44100.18 bytes: the frame at 44100
        QCOMPARE(view->selEnd, 88200U);
        QVERIFY(results().empty());

        QStringList shown;
        whenModal([&shown](QWidget* modal) {
            shown << edit(modal, 1361)->text() << edit(modal, 1362)->text();
            QVERIFY(edit(modal, 1361)->isReadOnly());
            clickButton(modal, QStringLiteral("OK"));
        });
        frame->runCommand(selectionPositionOperation().commandId);
        QCOMPARE(shown, (QStringList{QStringLiteral("0.250"), QStringLiteral("0.500")}));
    }

    // The Fade boxes are never both cleared, and give the job its type.
    void fadeBoxes() {
        const std::string source = makeSource("take.wav");
        test::RecordingReporter quiet;
        WaveContext wave{quiet, "", nullptr};
        const std::string out = files->file("fade.wav");
        auto dialog = createOperationDialog(
            fadeOperation(),
            OperationServices{quiet, wave, [out] { return out; }, JobInput{.source = source}});
        auto* in = qobject_cast<QCheckBox*>(dialog->item(1358));
        auto* outBox = qobject_cast<QCheckBox*>(dialog->item(1359));
        QVERIFY(in->isChecked() && outBox->isChecked());
        in->click();
        QVERIFY(!in->isChecked() && outBox->isChecked());
        outBox->click(); // both would be cleared: Fade In comes back
        QVERIFY(in->isChecked() && !outBox->isChecked());
        in->click(); // the same the other way round
        QVERIFY(!in->isChecked() && outBox->isChecked());
        edit(dialog.get(), 1002)->setText(QStringLiteral("0.1"));
        dialog->accept();
        QCOMPARE(dialog->outcome(), JobOutcome::Completed);

        Parameters p = fadeOperation().defaults();
        p.setText("length", "0.1");
        p.setText("type", "out");
        const test::JobRun job = test::runOperation(fadeOperation(), p, {.source = source}, quiet,
                                                    {.destination = files->file("job.wav")});
        QVERIFY(test::readBytes(out) == test::readBytes(files->file("job.wav")));
        QCOMPARE(job.output.front(), values_.front());
    }

    // No current file: "Operation Interrupted". A window that does not show the current file:
    // nothing at all. Cancel: the status text all the same.
    void mainFrameRules() {
        QString notice;
        whenModal([&notice](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            notice = box != nullptr ? box->text() : QString();
            clickButton(modal, QStringLiteral("Cancel"));
        });
        bench->operations().run(reverseOperation());
        QCOMPARE(notice, QString::fromLatin1(kOperationInterruptedText));

        const std::string a = makeSource("a.wav");
        const std::string b = test::writeWave(files->file("b.wav"), test::ramp(500), 1);
        bench->files().openFiles({qs(a), qs(b)});
        // The Source selector goes back to a while b's window stays active.
        WorkingList& list = bench->list();
        for (int i = 0; i < int(list.source.items().size()); ++i)
            if (list.source.items()[std::size_t(i)] == WorkingList::displayName(a))
                list.source.selectIndex(i);
        list.OnSourceChanged();
        QCOMPARE(activeView()->GetDocument().GetPathName(), qs(b));
        const QString before = activity();
        for (const OperationDecl* op :
             {&reverseOperation(), &removeSelectionOperation(), &selectionPositionOperation()}) {
            frame->runCommand(op->commandId);
            QCOMPARE(activity(), before);
        }
        QVERIFY(results().empty());

        for (const OperationDecl* op : {&removeOperation(), &muteOperation(), &fadeOperation()}) {
            whenModal([](QWidget* modal) { clickButton(modal, QStringLiteral("Cancel")); });
            frame->runCommand(op->commandId);
            QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
        }
        QVERIFY(results().empty());
    }

    // Each command's own completion text once it was done; after a refusal (a 24-bit file) the
    // Activity field says the operation was interrupted.
    void statusTellsWhatHappened() {
        bench->files().openFiles({qs(makeSource("take.wav"))});
        const std::pair<int, const char*> done[] = {
            {fadeInOperation().commandId, "Fade In - done"},
            {fadeOutOperation().commandId, "Fade Out - done"},
            {invertOperation().commandId, "Invert - done"},
            {reverseOperation().commandId, "Reverse Selection - done"},
            {cmd::kCopyToClipboard, "Copy to clipboard - done"},
            {cmd::kPasteClipboard, "Paste clipboard - done"},
        };
        for (const auto& [command, text] : done) {
            frame->ShowActivity(QStringLiteral("Ready"));
            frame->runCommand(command);
            QCOMPARE(activity(), QString::fromLatin1(text));
        }
        QVERIFY2(reporter->reports.empty(),
                 reporter->reports.empty() ? "" : reporter->reports[0].text.c_str());

        const std::string wide = files->file("wide.wav");
        test::writeBytes(wide, test::buildWave({.bits = 24, .samples = test::ramp(3000)}));
        bench->session().AddToList(wide, 1);
        whenModal([](QWidget* modal) { clickButton(modal, QStringLiteral("OK")); });
        frame->runCommand(volumeOperation().commandId);
        QCOMPARE(reporter->reports.size(), std::size_t(1));
        QVERIFY(reporter->reports[0].text.find("24-bit") != std::string::npos);
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
    }
};

QTEST_MAIN(SelectionEditsTest)
#include "selection_edits_test.moc"
