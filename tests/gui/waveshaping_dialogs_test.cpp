// Simple Formula's dialog: formula texts typed into its list, run or refused.
#include "dialogs/named_dialogs.h"
#include "run_operation.h"
#include "test_support.h"

#include <QComboBox>
#include <QtTest>
#include <filesystem>

SONARIUM_DECLARE_OPERATION(simpleFormula);

using namespace sonarium;

class WaveshapingDialogsTest : public QObject {
    Q_OBJECT

    test::TempAudioRoot root;
    test::TempDir dir;
    std::string source;
    std::string out;
    test::RecordingReporter reporter;
    std::unique_ptr<WaveContext> wave;

    std::unique_ptr<COperationDialog> dialogFor(const OperationDecl& op) {
        reporter.reports.clear();
        std::filesystem::remove(out);
        return createOperationDialog(
            op, OperationServices{reporter, *wave, [this] { return out; }, {.source = source}});
    }

private slots:
    void initTestCase() {
        source = test::writeWave(dir.file("source.wav"), {30000, -20000, 5, 0, 12345});
        out = dir.file("out.wav");
        wave = std::make_unique<WaveContext>(WaveContext{reporter, "", nullptr});
    }

    void simpleFormulaTakesTypedTexts() {
        struct Case {
            QString text;
            bool written;
            QString message;
            std::vector<std::int16_t> values; // checked when given
        };
        const Case cases[] = {
            {"Drev= (1/a)", true, "", {1, -1, 6553, 0, 2}},
            {"Pmod= a*rnd", true, ""}, // seeded with the time: no control for a seed
            {"pmod= a*rnd", false, "Sorry...\n\nI Should Have\nProgrammed This One"},
            {"", false, "Sorry...\n\nI Should Have\nProgrammed This One"},
        };
        for (const Case& c : cases) {
            auto dialog = dialogFor(simpleFormulaOperation());
            auto* combo = qobject_cast<QComboBox*>(dialog->item(1033));
            QVERIFY(combo != nullptr && combo->isEditable());
            QCOMPARE(combo->count(), 16);
            QCOMPARE(combo->currentText(), QString("Acom= sin (a)"));
            combo->setEditText(c.text);
            dialog->accept();
            QCOMPARE(std::filesystem::exists(out), c.written);
            if (!c.values.empty())
                QCOMPARE(test::readValues(out), c.values);
            QCOMPARE(dialog->result(), int(QDialog::Accepted));
            QCOMPARE(QString::fromStdString(reporter.texts().empty() ? "" : reporter.texts()[0]),
                     c.message);
        }
        // More than 30 characters: the length message, and the dialog stays open.
        auto dialog = dialogFor(simpleFormulaOperation());
        qobject_cast<QComboBox*>(dialog->item(1033))->setEditText(QString(31, 'A'));
        dialog->accept();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QCOMPARE(reporter.texts(),
                 std::vector<std::string>{"Please enter no more than 30 characters."});
        QVERIFY(!std::filesystem::exists(out));
    }
};

QTEST_MAIN(WaveshapingDialogsTest)
#include "waveshaping_dialogs_test.moc"
