// Every declared operation in the editor: its command row, and its dialog built from the
// declaration, run with the defaults.
#include "app/workbench.h"
#include "dialogs/named_dialogs.h"
#include "frame/command_table.h"
#include "run_operation.h"
#include "test_support.h"
#include "workspace/audio_root.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QtTest>
#include <filesystem>

SONARIUM_DECLARE_OPERATION(smooth);
SONARIUM_DECLARE_OPERATION(resyncGapper);
SONARIUM_DECLARE_OPERATION(maximizeMinimize);
SONARIUM_DECLARE_OPERATION(multiply);
SONARIUM_DECLARE_OPERATION(insertSilence);

using namespace sonarium;

class OperationDialogsTest : public QObject {
    Q_OBJECT

    test::TempAudioRoot root;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root.path().string()));
    }

    // The editor installs a handler on each operation row that has a declaration, and on no
    // spare one (shown, never enabled). The rows' pairing itself is checked in the core tests.
    void operationRowsHaveHandlersExactlyWhenDeclared() {
        test::RecordingReporter reporter;
        CMainFrame frame(CMainFrame::Options{});
        Workbench bench(frame, reporter, Preferences::defaults());
        for (const CommandSpec& command : commandTable()) {
            if (command.pattern != CommandPattern::Operation)
                continue;
            // An operation's completion text is its declaration's; a row names its own only where
            // the declaration's is another operation's text (Fade In's "Reverse Selection").
            if (!command.activity.empty()) {
                const OperationDecl* own = findOperationByCommand(command.id);
                QVERIFY(own != nullptr);
                QVERIFY2(command.activity != own->completion, command.caption.data());
                int sharing = 0;
                for (const OperationDecl* other : allOperations())
                    sharing += other->completion == own->completion ? 1 : 0;
                QVERIFY2(sharing > 1, command.caption.data());
            }
            QCOMPARE(frame.hasHandler(command.id), findOperationByCommand(command.id) != nullptr);
        }
    }

    void everyDialogBuildsAndRunsWithItsDefaults() {
        test::TempDir dir;
        const std::string source =
            test::writeWave(dir.file("source.wav"), test::ramp(90001, -7000, 311));
        const std::string aux = test::writeWave(dir.file("aux.wav"), test::ramp(50001, 11, 5));
        // The tools that take only stereo files get one.
        const std::string stereo =
            test::writeWave(dir.file("stereo.wav"), test::ramp(90002, -7000, 311), 2);
        const test::Bytes before = test::readBytes(source);
        for (const OperationDecl* op : allOperations()) {
            // The text reports lay themselves out: tested on their own.
            if (!op->hasDialog() || op->output == OutputKind::TextReport)
                continue;
            const CommandSpec* command = findCommand(op->commandId);
            const bool stereoOnly = command != nullptr && command->rule == EnableRule::SourceStereo;
            const QByteArray name(op->name.data(), qsizetype(op->name.size()));
            test::RecordingReporter reporter;
            std::vector<std::string> opened;
            WaveContext wave{reporter, "",
                             [&opened](const std::string& p) { opened.push_back(p); }};
            const std::string out = dir.file(std::string(op->name) + ".wav");
            std::filesystem::remove(out);
            JobInput input;
            if (op->input != InputKind::None)
                input.source = stereoOnly ? stereo : source;
            if (op->input == InputKind::Two)
                input.aux = aux;
            int named = 0; // a second result goes beside the first
            auto dialog = createOperationDialog(
                *op, OperationServices{reporter, wave,
                                       [out, &named] { return named++ == 0 ? out : out + "2"; },
                                       input, "English"});
            QCOMPARE(dialog->objectName(),
                     QString::fromUtf8(op->dialogClass.data(), qsizetype(op->dialogClass.size())));
            QCOMPARE(dialog->windowTitle(),
                     QString::fromUtf8(op->caption.data(), qsizetype(op->caption.size())));
            QVERIFY2(qobject_cast<QProgressBar*>(dialog->item(1161)) != nullptr, name);
            QCOMPARE(dialog->item(op->helpItem) != nullptr, !op->progressOnly && op->helpItem != 0);
            QCOMPARE(dialog->item(1183) != nullptr, op->animation);
            for (const FieldSpec& field : op->fields) {
                std::vector<int> items;
                if (field.item != 0)
                    items.push_back(field.item);
                for (const Choice& choice : field.choices)
                    if (choice.item != 0)
                        items.push_back(choice.item);
                for (int item : items) {
                    QWidget* widget = dialog->item(item);
                    QVERIFY2(widget != nullptr,
                             qPrintable(name + " item " + QString::number(item)));
                    QCOMPARE(widget->isEnabledTo(dialog.get()), field.enabled);
                }
            }
            // The dialog's OK runs the job its declaration runs with these defaults.
            test::RecordingReporter quiet;
            const bool completes = test::runOperation(*op, op->defaults(), input, quiet,
                                                      {.destination = dir.file("expected.wav")})
                                       .outcome == JobOutcome::Completed;
            dialog->accept();
            QCOMPARE(dialog->outcome() == JobOutcome::Completed, completes);
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            if (!completes)
                continue;
            if (op->output == OutputKind::WaveFile) {
                QVERIFY2(std::filesystem::exists(out), name);
                QCOMPARE(opened.size(), std::size_t(op->resultCount()));
                QCOMPARE(opened.front(), out);
            }
            QVERIFY(test::readBytes(source) == before);
        }
    }

    // Smooth's shapes follow its fields: none while the LFO is off, Sine as soon as it runs, a
    // click undone while it is off; the feedback shapes follow the feedback fields alike.
    void smoothShapesFollowTheLfo() {
        test::RecordingReporter reporter;
        WaveContext wave{reporter, "", nullptr};
        auto dialog = createOperationDialog(smoothOperation(),
                                            OperationServices{reporter, wave, [] { return ""; }});
        auto edit = [&](int item) { return qobject_cast<QLineEdit*>(dialog->item(item)); };
        auto checked = [&](int item) {
            return qobject_cast<QAbstractButton*>(dialog->item(item))->isChecked();
        };
        auto shapes = [&](int first) {
            return QString("%1%2%3")
                .arg(int(checked(first)))
                .arg(int(checked(first + 1)))
                .arg(int(checked(first + 2)));
        };
        QCOMPARE(shapes(1110), QStringLiteral("000"));
        qobject_cast<QAbstractButton*>(dialog->item(1111))->click(); // LFO off: undone
        QCOMPARE(shapes(1110), QStringLiteral("000"));
        edit(1002)->setText("4");
        QCOMPARE(shapes(1110), QStringLiteral("100"));
        qobject_cast<QAbstractButton*>(dialog->item(1112))->click();
        QCOMPARE(shapes(1110), QStringLiteral("001"));
        edit(1003)->setText("50"); // still on: the choice stays
        QCOMPARE(shapes(1110), QStringLiteral("001"));
        edit(1003)->setText("0");
        QCOMPARE(shapes(1110), QStringLiteral("000"));
        edit(1003)->setText("12x"); // not a number yet: off, and no message while typing
        QCOMPARE(shapes(1110), QStringLiteral("000"));
        QVERIFY(reporter.reports.empty());
        // Feedback shapes: gain 0 by default keeps them clear; all three fields on checks Sine.
        QCOMPARE(shapes(1113), QStringLiteral("000"));
        edit(1004)->setText("-30");
        QCOMPARE(shapes(1113), QStringLiteral("100"));
        edit(1117)->setText("0");
        QCOMPARE(shapes(1113), QStringLiteral("000"));
    }

    // Resync Gapper's Stereo shuffling is refused at the click on a mono Source.
    void resyncGapperShuffleNeedsStereo() {
        for (int channels : {1, 2}) {
            test::RecordingReporter reporter;
            WaveContext wave{reporter, "", nullptr};
            OperationServices services{reporter, wave, [] { return ""; }};
            services.sourceChannels = channels;
            auto dialog = createOperationDialog(resyncGapperOperation(), services);
            auto* shuffle = qobject_cast<QCheckBox*>(dialog->item(1216));
            shuffle->click();
            QCOMPARE(shuffle->isChecked(), channels == 2);
            QCOMPARE(reporter.reports.size(), std::size_t(channels == 1 ? 1 : 0));
            if (channels == 1)
                QCOMPARE(reporter.reports[0].text,
                         std::string("Function not available\non a mono source file."));
        }
    }

    // Multiply's Panoramic box refuses one mono file (the same file twice, however named), and
    // only that; Maximize/Minimize's buttons exclude each other.
    void interactionDialogRules() {
        test::TempDir dir;
        const std::string mono = test::writeWave(dir.file("mono.wav"), test::ramp(300));
        const std::string stereo = test::writeWave(dir.file("stereo.wav"), test::ramp(300), 2);
        const std::string other = test::writeWave(dir.file("other.wav"), test::ramp(200));
        const std::string spelled = (dir.path() / "." / "mono.wav").string();
        struct Case {
            std::string source, aux;
            bool refused;
        };
        const Case cases[] = {
            {mono, spelled, true}, {mono, "", true}, {stereo, stereo, false}, {mono, other, false}};
        for (const Case& c : cases) {
            test::RecordingReporter reporter;
            WaveContext wave{reporter, "", {}};
            auto dialog = createOperationDialog(
                multiplyOperation(), OperationServices{reporter,
                                                       wave,
                                                       [] { return std::string(); },
                                                       {.source = c.source, .aux = c.aux}});
            QCOMPARE(dialog->objectName(), QStringLiteral("CMultiplyDialog"));
            auto* panoramic = qobject_cast<QCheckBox*>(dialog->item(1626));
            QVERIFY(panoramic != nullptr);
            panoramic->click();
            QCOMPARE(panoramic->isChecked(), !c.refused);
            QCOMPARE(reporter.texts(),
                     c.refused ? std::vector<std::string>{"Function not available\non a single "
                                                          "mono source file."}
                               : std::vector<std::string>{});
            if (c.refused) {
                QVERIFY(reporter.reports[0].icon == MessageIcon::Warning);
            }
        }

        test::RecordingReporter reporter;
        WaveContext wave{reporter, "", {}};
        auto dialog = createOperationDialog(
            maximizeMinimizeOperation(),
            OperationServices{reporter, wave, [] { return std::string(); }, {}});
        auto* maximize = qobject_cast<QRadioButton*>(dialog->item(1611));
        auto* minimize = qobject_cast<QRadioButton*>(dialog->item(1612));
        QVERIFY(maximize->isChecked() && !minimize->isChecked());
        QVERIFY(qobject_cast<QCheckBox*>(dialog->item(1613))->isChecked());
        minimize->click();
        QVERIFY(!maximize->isChecked());
        Parameters p;
        QVERIFY(dialog->readFields(p));
        QCOMPARE(p.text("operation"), std::string("minimize"));
    }

    // Insert Silence opens at the end of the file, stays open on a length of nothing, and
    // appends the silence when left at its start.
    void insertSilenceDialog() {
        test::TempDir dir;
        const std::vector<std::int16_t> values = test::ramp(22050, 3, 5);
        const std::string source = test::writeWave(dir.file("half.wav"), values);
        const std::string out = dir.file("out.wav");
        test::RecordingReporter reporter;
        WaveContext wave{reporter, "", {}};
        auto dialog = createOperationDialog(
            insertSilenceOperation(),
            OperationServices{reporter, wave, [out] { return out; }, {.source = source}});
        auto* start = qobject_cast<QLineEdit*>(dialog->item(1333));
        auto* length = qobject_cast<QLineEdit*>(dialog->item(1332));
        QVERIFY(start != nullptr && length != nullptr);
        QCOMPARE(start->text(), QStringLiteral("0.500"));
        length->setText("0");
        dialog->accept();
        QVERIFY(dialog->result() != QDialog::Accepted);
        QCOMPARE(reporter.texts(),
                 std::vector<std::string>{"Nothing to insert,\nlength cannot be 0."});
        QVERIFY(!std::filesystem::exists(out));
        length->setText("0.010");
        dialog->accept();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        std::vector<std::int16_t> expected = values;
        expected.resize(values.size() + 441, 0);
        QVERIFY(test::readValues(out) == expected);
    }
};

QTEST_MAIN(OperationDialogsTest)
#include "operation_dialogs_test.moc"
