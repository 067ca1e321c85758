// The clipboard exchange with another program on a real X server: what the editor copies, xclip
// reads byte for byte; what xclip offers, the editor pastes. Run under xvfb-run on the xcb
// platform (tests/gui/run_under_xvfb.sh), never offscreen, whose clipboard stays in-process.
#include "app/workbench.h"
#include "commands/clipboard_commands.h"
#include "display/child_frame.h"
#include "display/sonarium_doc.h"
#include "display/sonarium_view.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "modal_helpers.h"
#include "operations/editing/insert_file.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"

#include <QClipboard>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QProcess>
#include <QtTest>
#include <filesystem>
#include <memory>

using namespace sonarium;
namespace fs = std::filesystem;

namespace {

QByteArray asBytes(const test::Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

// Waits for a condition while the event loop runs (the editor may be serving the clipboard).
bool waitFor(const std::function<bool()>& condition, int milliseconds = 10000) {
    const QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace

class ClipboardXclipTest : public test::EditorFixture {
    Q_OBJECT

    // The xclip that offers something, kept in the foreground (-quiet) so that it is this
    // test's own child and ends with it.
    std::unique_ptr<QProcess> offer;

    // A stereo file with a trailer after its data, counted in its RIFF size: a copy of the whole
    // file has to carry it.
    std::string makeSource(const char* name) {
        test::WaveSpec shape;
        shape.channels = 2;
        shape.samples = test::ramp(2 * 4410, -20000, 37); // 0.1 s
        test::appendChunk(shape.tail, "LIST", test::Bytes{'I', 'N', 'F', 'O', 'x', 'y'});
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

    // What xclip reads from the clipboard under a target, read while this process keeps its
    // event loop running so that it can answer when it owns the clipboard.
    QByteArray readWithXclip(const QString& target, int* exitCode = nullptr) {
        QProcess xclip;
        xclip.start(QStringLiteral("xclip"),
                    {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                     QStringLiteral("-t"), target, QStringLiteral("-o")});
        if (!xclip.waitForStarted(5000))
            return {};
        waitFor([&xclip] { return xclip.state() == QProcess::NotRunning; });
        if (xclip.state() != QProcess::NotRunning) {
            xclip.kill();
            xclip.waitForFinished(2000);
        }
        if (exitCode != nullptr)
            *exitCode = xclip.exitStatus() == QProcess::NormalExit ? xclip.exitCode() : -1;
        return xclip.readAllStandardOutput();
    }

    // xclip takes the clipboard with data under a target: a file's bytes, or standard input's.
    void offerWithXclip(const QString& target, const QString& file, const QByteArray& input = {}) {
        QStringList arguments{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                              QStringLiteral("-i"),         QStringLiteral("-quiet"),
                              QStringLiteral("-t"),         target};
        if (!file.isEmpty())
            arguments << file;
        offer = std::make_unique<QProcess>();
        offer->start(QStringLiteral("xclip"), arguments);
        QVERIFY(offer->waitForStarted(5000));
        if (file.isEmpty()) {
            offer->write(input);
            offer->closeWriteChannel();
        }
        // Once xclip owns the clipboard, the editor sees the target there.
        QVERIFY(waitFor([&target] {
            const QMimeData* data = QGuiApplication::clipboard()->mimeData();
            return data != nullptr && !QGuiApplication::clipboard()->ownsClipboard() &&
                   data->formats().contains(target == QStringLiteral("UTF8_STRING")
                                                ? QStringLiteral("text/plain")
                                                : target);
        }));
    }

    void stopOffer() {
        if (offer && offer->state() != QProcess::NotRunning) {
            offer->kill();
            offer->waitForFinished(5000);
        }
        offer.reset();
    }

    CChildFrame* activeWindow() const {
        return qobject_cast<CChildFrame*>(frame->mdiArea()->activeSubWindow());
    }
    std::string outputDir() const { return bench->list().outputDir; }

private slots:
    void initTestCase() {
        QVERIFY2(QGuiApplication::platformName() == QStringLiteral("xcb"),
                 "needs an X server: run through tests/gui/run_under_xvfb.sh");
    }
    void init() { startFresh(); }
    void cleanup() {
        stopOffer();
        stopEditor();
    }

    // Copy of a listed file: another program reads exactly the file's bytes, trailer included,
    // under each of the three wave types.
    void copyOfAFileIsReadByAnotherProgram() {
        const std::string source = makeSource("take.wav");
        bench->files().openFiles({QString::fromStdString(source)});
        frame->runCommand(cmd::kCopyToClipboard);
        QVERIFY(QGuiApplication::clipboard()->ownsClipboard());
        const QByteArray targets = readWithXclip(QStringLiteral("TARGETS"));
        for (const QString& type : waveMimeTypes())
            QVERIFY2(targets.contains(type.toLatin1()), targets.constData());
        const QByteArray expected = asBytes(test::readBytes(source));
        for (const QString& type : waveMimeTypes()) {
            int exitCode = -1;
            const QByteArray read = readWithXclip(type, &exitCode);
            QCOMPARE(exitCode, 0);
            QVERIFY2(read == expected, qPrintable(type));
        }
        QVERIFY(!fs::exists(outputDir() + kClipboardDataName)); // no selection: no extract
        QVERIFY(reporter->reports.empty());
    }

    // Copy of a selection: another program reads exactly the extracted selection.
    void copyOfASelectionPutsTheExtract() {
        const std::string source = makeSource("take.wav");
        bench->files().openFiles({QString::fromStdString(source)});
        CChildFrame* window = activeWindow();
        QVERIFY(window != nullptr);
        window->view()->setSelection(400, 4000);
        QCOMPARE(window->view()->selStart, 400U);
        frame->runCommand(cmd::kCopyToClipboard);
        const std::string extract = outputDir() + kClipboardDataName;
        QVERIFY(fs::exists(extract));
        const test::Bytes extracted = test::readBytes(extract);
        test::WaveSpec shape;
        shape.channels = 2;
        const std::vector<std::int16_t> all = test::ramp(2 * 4410, -20000, 37);
        shape.samples.assign(all.begin() + 200, all.begin() + 2000);
        QVERIFY(test::readValues(extract) == shape.samples);
        QCOMPARE(readWithXclip(QStringLiteral("audio/wav")), asBytes(extracted));
        QVERIFY(reporter->reports.empty());
    }

    // A wave file another program offers is pasted byte-identical, opened and listed.
    void pasteOfAnotherProgramsWave() {
        const std::string offered = makeSource("offered.wav");
        offerWithXclip(QStringLiteral("audio/x-wav"), QString::fromStdString(offered));
        frame->runCommand(cmd::kPasteClipboard);
        const std::string pasted = (tempSounds() / "000.wav").string();
        QVERIFY(fs::exists(pasted));
        QVERIFY(test::readBytes(pasted) == test::readBytes(offered));
        CChildFrame* window = activeWindow();
        QVERIFY(window != nullptr);
        QCOMPARE(window->document().GetPathName(), QString::fromStdString(pasted));
        const WorkingList& list = bench->list();
        QCOMPARE(list.source.currentText(), WorkingList::displayName(pasted));
        QCOMPARE(list.slotPath(list.GetSourceIndex()), std::optional<std::string>(pasted));
        QVERIFY(reporter->reports.empty());
    }

    // Insert Clipboard with no wave data there: the dialog opens, OK says so and writes nothing,
    // not even from the copy an earlier exchange left.
    void insertClipboardWithoutWaveData_data() {
        QTest::addColumn<bool>("text");
        QTest::newRow("nobody holds the clipboard") << false;
        QTest::newRow("another program holds text") << true;
    }
    void insertClipboardWithoutWaveData() {
        QFETCH(bool, text);
        const std::string source = makeSource("take.wav");
        bench->files().openFiles({QString::fromStdString(source)});
        const std::string stale = outputDir() + kClipboardCopyName;
        test::writeBytes(stale, test::readBytes(source));
        if (text) {
            offerWithXclip(QStringLiteral("UTF8_STRING"), {}, "some words, no sound");
        } else {
            QGuiApplication::clipboard()->clear();
            QVERIFY(waitFor([] {
                const QMimeData* data = QGuiApplication::clipboard()->mimeData();
                return data == nullptr || data->formats().isEmpty();
            }));
        }
        const std::set<std::string> before = test::folderEntries(tempSounds());
        QString dialogName;
        bool stayedOpen = false;
        whenModal([&](QWidget* modal) {
            dialogName = modal->objectName();
            clickButton(modal, QStringLiteral("OK"));
            stayedOpen = modal->isVisible();
            clickButton(modal, QStringLiteral("Cancel"));
        });
        frame->runCommand(cmd::kInsertClipboard);
        QCOMPARE(dialogName, QStringLiteral("CInsertClipboardDialog"));
        QVERIFY(stayedOpen);
        QCOMPARE(reporter->texts(), std::vector<std::string>{kNoClipboardWaveText});
        QCOMPARE(std::string(kNoClipboardWaveText),
                 std::string("The clipboard holds no wave data:\nthere is nothing to insert."));
        std::set<std::string> after = test::folderEntries(tempSounds());
        after.insert(kClipboardCopyName); // whether the stale copy is left or removed
        std::set<std::string> expected = before;
        expected.insert(kClipboardCopyName);
        QCOMPARE(after, expected);
        QCOMPARE(int(frame->mdiArea()->subWindowList().size()), 1);
    }
};

QTEST_MAIN(ClipboardXclipTest)
#include "clipboard_xclip_test.moc"
