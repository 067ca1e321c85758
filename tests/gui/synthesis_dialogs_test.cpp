// The synthesis dialogs: run from the menu with an empty working list, Simple Synthesis's
// LFO-shape rules on every edit and click, and each dialog's file equal to the command line's
// job with the same fields.
#include "dialogs/named_dialogs.h"
#include "editor_fixture.h"
#include "frame/main_frame.h"
#include "operations/operation_options.h"
#include "run_operation.h"
#include "test_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <variant>

SONARIUM_DECLARE_OPERATION(affineSynthesis);
SONARIUM_DECLARE_OPERATION(gaussianSynthesis);
SONARIUM_DECLARE_OPERATION(shadokSynthesis);
SONARIUM_DECLARE_OPERATION(simpleSynthesis);

using namespace sonarium;

namespace {

struct Dialog {
    test::RecordingReporter reporter;
    WaveContext wave{reporter, "", {}};
    std::unique_ptr<COperationDialog> dialog;

    Dialog(const OperationDecl& op, const std::string& out) {
        dialog = createOperationDialog(
            op, OperationServices{reporter, wave, [out] { return out; }, {}, "English"});
    }
    QLineEdit* edit(int item) const { return qobject_cast<QLineEdit*>(dialog->item(item)); }
    QRadioButton* radio(int item) const { return qobject_cast<QRadioButton*>(dialog->item(item)); }
    // The items of the checked LFO shapes (Sine 1154, Square 1155, Triangle 1156).
    std::vector<int> checkedLfoShapes() const {
        std::vector<int> checked;
        for (int item : {1154, 1155, 1156})
            if (radio(item)->isChecked())
                checked.push_back(item);
        return checked;
    }
};

} // namespace

class SynthesisDialogsTest : public test::EditorFixture {
    Q_OBJECT

    test::TempDir dir;

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    // No file is needed: each command opens its dialog, and OK makes the next result, which
    // opens in its own window and becomes the Source.
    void runFromTheMenuWithoutASource() {
        const OperationDecl* syntheses[] = {
            &affineSynthesisOperation(), &gaussianSynthesisOperation(), &shadokSynthesisOperation(),
            &simpleSynthesisOperation()};
        int number = 0;
        for (const OperationDecl* op : syntheses) {
            const QString caption = QString::fromUtf8(op->caption.data());
            QVERIFY(frame->action(op->commandId)->isEnabled());
            QString seen;
            auto* timer = new QTimer(frame.get());
            timer->setInterval(10);
            connect(timer, &QTimer::timeout, [timer, &seen] {
                auto* dialog = qobject_cast<COperationDialog*>(QApplication::activeModalWidget());
                if (dialog == nullptr)
                    return;
                timer->stop();
                timer->deleteLater();
                seen = dialog->windowTitle();
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            });
            timer->start();
            frame->runCommand(op->commandId);
            QCOMPARE(seen, caption);
            QCOMPARE(activity(), QString::fromUtf8(op->completion.data()));
            const std::string result =
                (tempSounds() /
                 QStringLiteral("%1.wav").arg(number++, 3, 10, QLatin1Char('0')).toStdString())
                    .string();
            QVERIFY2(std::filesystem::exists(result), result.c_str());
            QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(result));
        }
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 4);
        QVERIFY(reporter->reports.empty());
    }

    void simpleSynthesisLfoShapeFollowsTheLfo() {
        Dialog d(simpleSynthesisOperation(), dir.file("simple.wav"));
        auto* bugFlight = qobject_cast<QCheckBox*>(d.dialog->item(1047));
        QVERIFY(bugFlight->isChecked());
        QVERIFY(!bugFlight->isEnabled());

        // Each step: an edit (item and text) or a click (item), then the checked LFO shapes.
        using Edit = std::pair<int, const char*>;
        struct Step {
            std::variant<Edit, int> action;
            std::vector<int> checked;
        };
        const Step steps[] = {
            {Edit{1004, "5"}, {}},       // frequency alone: the LFO is off
            {1156, {}},                  // a shape clicked while off is unchecked again
            {Edit{1005, "20"}, {1154}},  // both non-zero: Sine
            {1156, {1156}},              // another shape replaces it
            {Edit{1005, "30"}, {1156}},  // and stays while the LFO runs
            {Edit{1004, "0"}, {}},       // either zero: none
            {Edit{1004, "abc"}, {}},     // not a number counts as zero
            {Edit{1004, "7.5"}, {1154}}, // back on: Sine again
            {1155, {1155}},              //
            {Edit{1005, ""}, {}},        // an emptied field is zero
            {Edit{1005, "500"}, {}},     // out of range counts as zero too, and says nothing yet
        };
        for (const Step& step : steps) {
            if (const auto* edit = std::get_if<Edit>(&step.action))
                d.edit(edit->first)->setText(QString::fromLatin1(edit->second));
            else
                d.radio(std::get<int>(step.action))->click();
            QCOMPARE(d.checkedLfoShapes(), step.checked);
        }
        QVERIFY(d.reporter.reports.empty());
        // The range is checked on OK: the dialog stays open and nothing is written.
        d.dialog->accept();
        QCOMPARE(d.reporter.texts(),
                 std::vector<std::string>{"Please enter a number between 0 and 100."});
        QVERIFY(d.dialog->result() != QDialog::Accepted);
        QVERIFY(!std::filesystem::exists(dir.file("simple.wav")));
    }

    // Fields set in the dialog as a user would, against the options of the command line.
    void dialogsWriteWhatTheCommandLineWrites() {
        struct Case {
            const OperationDecl& op;
            std::vector<std::pair<int, QString>> edits; // item, text, in this order
            std::vector<int> clicks;                    // radio buttons and check boxes, after
            std::pair<int, QString> listChoice;         // combo item and entry word, or none
            std::vector<std::string> options;
        };
        const Case cases[] = {
            {simpleSynthesisOperation(),
             {{1002, "1.3"}, {1003, "440.7"}, {1004, "3.3"}, {1005, "12.5"}},
             {1152, 1156},
             {},
             {"--duration", "1.3", "--frequency", "440.7", "--lfo-frequency", "3.3", "--lfo-depth",
              "12.5", "--shape", "square", "--lfo-shape", "triangle"}},
            {affineSynthesisOperation(),
             {{1002, "0.0001"}, {1003, "-32768"}, {1004, "32767"}},
             {1006},
             {1005, "wrong-way-first"},
             {"--duration", "0.0001", "--origin", "-32768", "--end", "32767", "--curved",
              "--method", "wrong-way-first"}},
            {gaussianSynthesisOperation(),
             {{1002, "2.2"}, {1003, "12000"}, {1004, "99"}},
             {},
             {},
             {"--duration", "2.2", "--variability", "12000", "--seed", "99"}},
            {shadokSynthesisOperation(),
             {{1002, "1.5"}, {1003, "7"}, {1004, "100"}, {1005, "2000"}, {1006, "1500"}},
             {1153},
             {},
             {"--duration", "1.5", "--seed", "7", "--max-deviation", "100", "--floor-frequency",
              "2000", "--ceiling-frequency", "1500", "--shape", "triangle"}},
        };
        for (const Case& c : cases) {
            const QByteArray name(c.op.name.data(), qsizetype(c.op.name.size()));
            const std::string fromDialog = dir.file("dialog.wav");
            std::filesystem::remove(fromDialog);
            Dialog d(c.op, fromDialog);
            for (const auto& [item, text] : c.edits)
                d.edit(item)->setText(text);
            for (int item : c.clicks)
                qobject_cast<QAbstractButton*>(d.dialog->item(item))->click();
            if (c.listChoice.first != 0) {
                auto* combo = qobject_cast<QComboBox*>(d.dialog->item(c.listChoice.first));
                combo->setCurrentIndex(combo->findData(c.listChoice.second));
            }
            d.dialog->accept();
            QVERIFY2(d.dialog->outcome() == JobOutcome::Completed, name);
            QVERIFY2(d.reporter.reports.empty(), name);

            std::vector<std::string> arguments = c.options;
            arguments.insert(arguments.end(), {"-o", "x.wav"});
            OperationArguments parsed;
            QVERIFY(!parseOperationArguments(c.op, arguments, parsed));
            test::RecordingReporter jobReporter;
            const std::string fromJob = dir.file("job.wav");
            const test::JobRun run =
                test::runOperation(c.op, parsed.parameters, {}, jobReporter,
                                   {.destination = fromJob, .result = ResultFile::Open});
            QCOMPARE(run.outcome, JobOutcome::Completed);
            QVERIFY2(test::readBytes(fromDialog) == test::readBytes(fromJob), name);
        }
    }
};

QTEST_MAIN(SynthesisDialogsTest)
#include "synthesis_dialogs_test.moc"
