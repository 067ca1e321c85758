// The Tool menu's dialogs: progress-only tools that start by themselves, the conversion dialogs'
// fields, File Information's text, File statistics' delayed scan and System Information.
#include "dialogs/named_dialogs.h"
#include "dialogs/system_information_dialog.h"
#include "dialogs/tool_dialogs.h"
#include "operations/tools/file_information.h"
#include "run_operation.h"
#include "test_support.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>
#include <filesystem>
#include <fstream>

SONARIUM_DECLARE_OPERATION(monoToStereo);
SONARIUM_DECLARE_OPERATION(splitStereo);
SONARIUM_DECLARE_OPERATION(channelConversion);
SONARIUM_DECLARE_OPERATION(samplingRateConversion);
SONARIUM_DECLARE_OPERATION(fileInformation);
SONARIUM_DECLARE_OPERATION(fileStatistics);

using namespace sonarium;

class ToolDialogsTest : public QObject {
    Q_OBJECT

    test::TempDir dir;
    test::RecordingReporter reporter;
    std::vector<std::string> opened;
    WaveContext wave{reporter, "", [this](const std::string& p) { opened.push_back(p); }};

    std::unique_ptr<COperationDialog> dialog(const OperationDecl& op, const JobInput& input) {
        auto names = std::make_shared<int>(0);
        return createOperationDialog(
            op,
            OperationServices{
                reporter, wave,
                [this, names] { return dir.file("result" + std::to_string((*names)++) + ".wav"); },
                input, "English"});
    }

private slots:
    void init() {
        reporter.reports.clear();
        opened.clear();
    }

    // Shown, a progress-only tool runs its job and closes by itself; it has no button to press.
    // Split stereo channels opens its left result first.
    void progressOnlyToolsStartByThemselves() {
        const std::string stereo =
            test::writeWave(dir.file("stereo.wav"), test::ramp(200006, -3, 17), 2);
        std::vector<std::string> listed;
        auto split = createOperationDialog(
            splitStereoOperation(),
            OperationServices{
                .reporter = reporter,
                .wave = wave,
                .nextTempPath =
                    [this, n = 0]() mutable {
                        return dir.file("result" + std::to_string(n++) + ".wav");
                    },
                .input = {.source = stereo},
                .addToList = [&listed](const std::string& path, int) { listed.push_back(path); }});
        QVERIFY(!split->findChild<QDialogButtonBox*>()->isVisible());
        split->open();
        QTRY_VERIFY(!split->isVisible());
        QCOMPARE(split->result(), int(QDialog::Accepted));
        QCOMPARE(split->outcome(), JobOutcome::Completed);
        QCOMPARE(split->progressBar()->value(), 100);
        QCOMPARE(opened,
                 (std::vector<std::string>{dir.file("result0.wav"), dir.file("result1.wav")}));
        QCOMPARE(test::readValues(opened[0]).size(), std::size_t(100003));
        QCOMPARE(listed, std::vector<std::string>{opened[0]}); // the left one becomes the Source

        opened.clear();
        auto refused = dialog(monoToStereoOperation(), {.source = stereo});
        refused->open();
        QTRY_VERIFY(!refused->isVisible());
        QCOMPARE(reporter.texts(), std::vector<std::string>{"Source file is not mono"});
        QVERIFY(reporter.reports[0].icon == MessageIcon::Warning);
        QVERIFY(opened.empty());
    }

    void channelConversionFieldsInTwoBoxes() {
        auto d = dialog(channelConversionOperation(), {});
        QCOMPARE(d->objectName(), QStringLiteral("CChannelConversionDialog"));
        const auto boxes = d->findChildren<QGroupBox*>();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[0]->title(), QStringLiteral("Left Output"));
        QCOMPARE(boxes[1]->title(), QStringLiteral("Right Output"));
        QCOMPARE(boxes[0]->findChildren<QLineEdit*>().size(), 4);
        QVERIFY(boxes[1]->isAncestorOf(d->item(1706)));
        QCOMPARE(qobject_cast<QLineEdit*>(d->item(1702))->text(), QStringLiteral("-50"));
        qobject_cast<QLineEdit*>(d->item(1707))->setText("10000.5");
        d->accept();
        QCOMPARE(reporter.texts(),
                 std::vector<std::string>{"Please enter a number between -10000 and 10000."});
        QCOMPARE(d->result(), 0); // still open, no job
    }

    void samplingRateConversionShowsTheSourceRate() {
        const std::string slow = test::writeWave(dir.file("slow.wav"), test::ramp(500), 1, 22050);
        auto d = dialog(samplingRateConversionOperation(), {.source = slow});
        auto* rate = qobject_cast<QLineEdit*>(d->item(1711));
        QCOMPARE(rate->text(), QStringLiteral("22050"));
        QVERIFY(!rate->isEnabled());
        auto* method = qobject_cast<QComboBox*>(d->item(1712));
        QCOMPARE(method->currentText(), QStringLiteral("None"));
        QVERIFY(method->isEnabled());
        QCOMPARE(method->count(), 2);
        QCOMPARE(method->itemText(1), QStringLiteral("Resample"));
        QCOMPARE(qobject_cast<QLineEdit*>(d->item(1713))->text(), QStringLiteral("44100"));
        d->accept();
        QCOMPARE(d->outcome(), JobOutcome::Completed);
        QCOMPARE(test::readValues(opened.at(0)), test::ramp(500));
    }

    void fileInformationText() {
        const std::string file =
            test::writeWave(dir.file("info.wav"), std::vector<std::int16_t>(44100));
        auto d = dialog(fileInformationOperation(), {.source = file});
        auto* info = qobject_cast<CFileInformationDialog*>(d.get());
        QVERIFY(info != nullptr);
        const QString text = info->textEdit()->toPlainText();
        QVERIFY(text.startsWith(QString::fromStdString("File Information for:\n" + file)));
        QVERIFY(text.contains("\nlength: 00:01.000 s\nsamples: 44100\n"));
        QVERIFY(info->textEdit()->isReadOnly());
        QVERIFY(d->item(1721) != nullptr);

        auto missing = dialog(fileInformationOperation(), {.source = dir.file("none.wav")});
        QCOMPARE(qobject_cast<CFileInformationDialog*>(missing.get())->textEdit()->toPlainText(),
                 QString::fromLatin1(kNoFileInformationText));
        QVERIFY(reporter.reports.empty());
    }

    // The scan runs 100 ms after the dialog opens, again on Scan, and after Path : chose a file
    // that passes the wave check; one that fails it is ignored with the check's message.
    void fileStatisticsScansByItself() {
        std::vector<std::int16_t> square;
        for (int i = 0; i < 1000; ++i)
            square.push_back(i % 2 == 0 ? -32768 : 32767);
        const std::string file = test::writeWave(dir.file("square.wav"), square);
        const std::string silence =
            test::writeWave(dir.file("silence.wav"), std::vector<std::int16_t>(100), 2);
        auto d = dialog(fileStatisticsOperation(), {.source = file});
        auto* stats = qobject_cast<CFileStatisticsDialog*>(d.get());
        QVERIFY(stats != nullptr);
        QCOMPARE(stats->field(0)->text(), QString());
        QTRY_COMPARE(stats->field(2)->text(), QStringLiteral("-32768 (-100.000%)"));
        QCOMPARE(stats->field(3)->text(), QStringLiteral("32767 (100.000%)"));
        QCOMPARE(stats->field(5)->text(), QStringLiteral("999"));
        QCOMPARE(stats->progressBar()->value(), 100);

        test::writeBytes(dir.file("text.wav"), test::Bytes(100, 'x'));
        QVERIFY(!stats->choosePath(QString::fromStdString(dir.file("text.wav"))));
        QCOMPARE(reporter.reports.size(), std::size_t(1));
        QCOMPARE(stats->path(), QString::fromStdString(file));

        QVERIFY(stats->choosePath(QString::fromStdString(silence)));
        QTRY_COMPARE(stats->field(0)->text(), QStringLiteral("2"));
        QCOMPARE(stats->field(2)->text(), QStringLiteral("0 (0.000%)"));
        stats->field(0)->clear();
        stats->scan();
        QCOMPARE(stats->field(0)->text(), QStringLiteral("2"));
        d->accept();
        QCOMPARE(d->result(), int(QDialog::Accepted));
    }

    void systemInformationWithAFakedRoot() {
        test::TempDir root;
        const auto write = [&root](const std::string& file, const std::string& text) {
            const auto path = root.path() / file;
            std::filesystem::create_directories(path.parent_path());
            std::ofstream(path) << text;
        };
        write("proc/cpuinfo", "processor\t: 0\nmodel name\t: Fake CPU\n");
        write("sys/class/power_supply/BAT1/type", "Battery\n");
        write("sys/class/power_supply/BAT1/status", "Charging\n");
        write("sys/class/power_supply/BAT1/capacity", "81\n");
        CSystemInformationDialog d(SystemSources{.root = root.path()}, "English");
        auto value = [&d](const char* name) {
            return d.findChild<QLabel*>(QString::fromLatin1(name))->text();
        };
        QCOMPARE(value("processorType"), QStringLiteral("Fake CPU"));
        QCOMPARE(value("activeProcessors"), QStringLiteral("1  [ mask=1 ]"));
        QCOMPARE(value("revision"), QStringLiteral("Unknown"));
        QCOMPARE(value("powerSource"), QStringLiteral("Battery"));
        QCOMPARE(value("charge"), QStringLiteral("81 Percents (Charging)"));
        QCOMPARE(value("remainingTime"), QStringLiteral("Unknown"));
        QCOMPARE(d.findChild<QProgressBar*>("chargeGauge")->value(), 81);
        QVERIFY(value("physicalMemory").endsWith(" MB"));
        QCOMPARE(d.windowTitle(), QStringLiteral("System Information 1.0"));
    }
};

QTEST_MAIN(ToolDialogsTest)
#include "tool_dialogs_test.moc"
