// What made each result, in the editor: Copy as Command gives the command line that makes the
// result again from the dialog's settings, Export Chain's script makes the Source file, the
// History says what made each file, and Back To The Source / Forward To The Result walk the chain.
#include "app/workbench.h"
#include "dialogs/operation_dialog.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "modal_helpers.h"
#include "provenance/shell_words.h"
#include "test_support.h"
#include "wavefile/wave_format.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>
#include <filesystem>

using namespace sonarium;

namespace {

const OperationDecl& op(const char* name) {
    return *findOperation(name);
}

// Sets a dialog's edit or editable list, found by its item number.
void setItem(QWidget* dialog, int item, const QString& text) {
    QWidget* widget = qobject_cast<COperationDialog*>(dialog)->item(item);
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(text);
    else if (auto* combo = qobject_cast<QComboBox*>(widget))
        combo->setEditText(text);
    else if (auto* check = qobject_cast<QCheckBox*>(widget))
        check->setChecked(text == QStringLiteral("on"));
    else
        QFAIL(qPrintable(QStringLiteral("no item %1").arg(item)));
}

// Runs a shell command line (the program's name replaced by the built one); its exit status.
int runCommandLine(const QString& line, const QString& folder = {}) {
    QProcess shell;
    shell.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SONARIUM_CLI"), QStringLiteral(SONARIUM_CLI_PATH));
    shell.setProcessEnvironment(environment);
    shell.start(QStringLiteral("sh"), {QStringLiteral("-c"), line});
    shell.waitForFinished(60000);
    if (shell.exitCode() != 0)
        qWarning("%s", shell.readAllStandardError().constData());
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
}

} // namespace

class ProvenanceCommandsTest : public test::EditorFixture {
    Q_OBJECT

    std::string makeSource(const char* name, int channels = 1, std::size_t frames = 9000) {
        test::WaveSpec shape;
        shape.channels = channels;
        shape.samples = test::ramp(frames * static_cast<std::size_t>(channels), -20000, 5);
        shape.tail = test::Bytes(builtInTrailer().begin(), builtInTrailer().end());
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

    std::string sourcePath() const {
        return *bench->list().slotPath(bench->list().GetSourceIndex());
    }

    // Runs an operation through its dialog with the fields set, as a user would.
    void runDialog(const OperationDecl& operation, std::vector<std::pair<int, QString>> fields) {
        whenModal([fields](QWidget* modal) {
            for (const auto& [item, text] : fields)
                setItem(modal, item, text);
            clickButton(modal, QStringLiteral("OK"));
        });
        frame->runCommand(operation.commandId);
    }

    // The copied command with its result sent to another file, run; the bytes of both.
    void checkCopiedCommand(const std::string& result) {
        frame->runCommand(cmd::kCopyAsCommand);
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.startsWith(QStringLiteral("sonarium-cli ")), qPrintable(copied));
        const std::string again = files->file("again.wav");
        std::filesystem::remove(again);
        QString line = copied;
        line.replace(QString::fromStdString(" -o " + shellQuote(result)),
                     QString::fromStdString(" -o " + shellQuote(again)));
        line.replace(0, 12, QStringLiteral("\"$SONARIUM_CLI\""));
        QCOMPARE(runCommandLine(line), 0);
        QCOMPARE(test::readBytes(again), test::readBytes(result));
    }

private slots:
    void init() {
        startFresh();
        // The clipboard of the offscreen platform is this process's own.
        QGuiApplication::clipboard()->clear();
    }
    void cleanup() { stopEditor(); }

    void copyAsCommandMakesTheResultAgain_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("selection");
        QTest::newRow("typed ratio") << "volume" << 1049 << "137.25" << false;
        // Fade's check boxes are the dialog's own: the command says --type in.
        QTest::newRow("dialog-only boxes") << "fade" << 1359 << "off" << false;
        // The random formula seeds from the clock: the command names the seed it took.
        QTest::newRow("clock seed") << "simple-formula" << 1033 << "Pmod= a*rnd" << false;
        QTest::newRow("selection") << "mute-selection" << 0 << "" << true;
        QTest::newRow("two files") << "multiply" << 0 << "" << false;
        QTest::newRow("synthesis") << "gaussian-synthesis" << 1003 << "321" << false;
    }

    void copyAsCommandMakesTheResultAgain() {
        QFETCH(QString, operation);
        QFETCH(int, item);
        QFETCH(QString, value);
        QFETCH(bool, selection);
        bench->files().openFiles({QString::fromStdString(makeSource("aux file.wav", 1, 5000)),
                                  QString::fromStdString(makeSource("it's a take.wav"))});
        if (selection)
            bench->session().activeWaveWindow()->view()->setSelection(2000, 9000);
        const OperationDecl& declaration = op(operation.toLatin1().constData());
        if (declaration.progressOnly)
            frame->runCommand(declaration.commandId);
        else
            runDialog(declaration, item == 0 ? std::vector<std::pair<int, QString>>{}
                                             : std::vector<std::pair<int, QString>>{{item, value}});
        const std::string result = (tempSounds() / "000.wav").string();
        QVERIFY(std::filesystem::exists(result));
        QTRY_COMPARE(sourcePath(), result);
        checkCopiedCommand(result);
    }

    void historyAndExportedChainSayWhatMadeEachFile() {
        const std::string original = makeSource("take.wav");
        bench->files().openFiles({QString::fromStdString(original)});
        runDialog(op("volume"), {{1049, QStringLiteral("150")}});
        frame->runCommand(op("reverse").commandId);
        runDialog(op("volume"), {{1049, QStringLiteral("50")}});
        const std::string last = (tempSounds() / "002.wav").string();
        QTRY_COMPARE(sourcePath(), last);

        QString history;
        whenModal([&history](QWidget* modal) {
            history = modal->findChild<QPlainTextEdit*>(QStringLiteral("item1002"))->toPlainText();
            clickButton(modal, QStringLiteral("OK"));
        });
        frame->runCommand(cmd::kHistory);
        const QStringList lines = history.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY2(lines[0].startsWith(QStringLiteral("--- - ")), qPrintable(history));
        QVERIFY2(lines[0].endsWith(QString::fromStdString(" - " + original)), qPrintable(history));
        const QString made[] = {
            QString::fromStdString("volume --ratio 150 " + original + " -o 000.wav"),
            QStringLiteral("reverse 000.wav -o 001.wav"),
            QStringLiteral("volume --ratio 50 001.wav -o 002.wav")};
        for (int i = 0; i < 3; ++i) {
            const QString number = QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
            QVERIFY2(lines[i + 1].startsWith(number + QStringLiteral(" - ")), qPrintable(history));
            QVERIFY2(lines[i + 1].endsWith(QStringLiteral(".wav - ") + made[i]),
                     qPrintable(history));
        }

        // The exported script, run in an empty folder, makes the Source file.
        test::TempDir empty;
        const QString script = QString::fromStdString(files->file("chain.sh"));
        bench->provenance().chooseScriptName = [&script](const QString&, const QString&) {
            return script;
        };
        frame->runCommand(cmd::kExportChain);
        QCOMPARE(runCommandLine(QStringLiteral("sh ") +
                                    QString::fromStdString(shellQuote(script.toStdString())),
                                QString::fromStdString(empty.path().string())),
                 0);
        QCOMPARE(test::readBytes(empty.file("002.wav")), test::readBytes(last));

        // The original changed since: its line says so.
        test::writeBytes(original, test::Bytes(100, 0));
        whenModal([&history](QWidget* modal) {
            history = modal->findChild<QPlainTextEdit*>(QStringLiteral("item1002"))->toPlainText();
            clickButton(modal, QStringLiteral("OK"));
        });
        frame->runCommand(cmd::kHistory);
        QVERIFY2(history.contains(QStringLiteral("-o 000.wav  # changed since: take.wav\n")),
                 qPrintable(history));
    }

    void backAndForwardWalkTheChainAndReopenAClosedWindow() {
        const std::string original = makeSource("take.wav");
        bench->files().openFiles({QString::fromStdString(original)});
        QVERIFY(!frame->action(cmd::kBackToTheSource)->isEnabled()); // opened, not made
        for (const char* ratio : {"120", "80", "60"})
            runDialog(op("volume"), {{1049, QString::fromLatin1(ratio)}});
        const std::string results[] = {(tempSounds() / "000.wav").string(),
                                       (tempSounds() / "001.wav").string(),
                                       (tempSounds() / "002.wav").string()};
        QTRY_COMPARE(sourcePath(), results[2]);
        QVERIFY(!frame->action(cmd::kForwardToTheResult)->isEnabled());
        // The middle result's window is closed; going back opens it again.
        for (CChildFrame* window : bench->session().waveWindows())
            if (window->document().GetPathName().toStdString() == results[1])
                window->close();
        QTRY_COMPARE(bench->session().waveWindows().size(), 3);

        const std::string backward[] = {results[1], results[0], original};
        for (const std::string& expected : backward) {
            QVERIFY(frame->action(cmd::kBackToTheSource)->isEnabled());
            frame->runCommand(cmd::kBackToTheSource);
            QTRY_COMPARE(sourcePath(), expected);
            QCOMPARE(bench->session().activeWaveWindow()->document().GetPathName().toStdString(),
                     expected);
        }
        QVERIFY(!frame->action(cmd::kBackToTheSource)->isEnabled());
        QCOMPARE(bench->session().waveWindows().size(), 4);
        for (const std::string& expected : results) {
            QVERIFY(frame->action(cmd::kForwardToTheResult)->isEnabled());
            frame->runCommand(cmd::kForwardToTheResult);
            QTRY_COMPARE(sourcePath(), expected);
        }
        QVERIFY(!frame->action(cmd::kForwardToTheResult)->isEnabled());
        // Nothing was deleted on the way.
        for (const std::string& result : results)
            QVERIFY(std::filesystem::exists(result));
        // The waveform window's own menu copies the command too.
        CChildFrame* active = bench->session().activeWaveWindow();
        QVERIFY(active->systemMenu()->actions().contains(frame->action(cmd::kCopyAsCommand)));
    }
};

QTEST_MAIN(ProvenanceCommandsTest)
#include "provenance_commands_test.moc"
