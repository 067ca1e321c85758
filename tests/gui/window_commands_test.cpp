// The window commands: Duplicate Window, the path text following Save As and Rename in every
// window of a file, and the lock indicators.
#include "app/workbench.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "frame/lock_indicators.h"
#include "test_support.h"

#include <QLabel>
#include <QMdiArea>
#include <QStatusBar>
#include <QtTest>
#include <filesystem>

using namespace sonarium;

class WindowCommandsTest : public test::EditorFixture {
    Q_OBJECT

    std::string makeWave(const char* name) {
        test::WaveSpec shape;
        shape.channels = 2;
        shape.samples = test::ramp(40000, -30000, 3);
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

    // Two windows on one document: the opened one and its duplicate.
    std::pair<CChildFrame*, CChildFrame*> openTwice(const std::string& path) {
        CChildFrame* first = bench->windows().openDocument(QString::fromStdString(path));
        if (first == nullptr)
            return {};
        frame->runCommand(cmd::kDuplicateWindow);
        CChildFrame* second = bench->session().activeWaveWindow();
        return {first, second};
    }

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    void duplicateWindowShowsTheSameDocumentWithItsOwnSelection() {
        auto [first, second] = openTwice(makeWave("a.wav"));
        QVERIFY(first != nullptr && second != nullptr);
        QVERIFY(first != second);
        QCOMPARE(bench->session().waveWindows().size(), 2);
        QCOMPARE(&first->document(), &second->document());
        QCOMPARE(second->view()->picture(), first->view()->picture());
        QCOMPARE(second->windowTitle(), first->windowTitle());

        const std::uint32_t whole = first->document().dataSize;
        second->view()->setSelection(400, 800);
        QCOMPARE(second->view()->selStart, 400U);
        QCOMPARE(first->view()->selStart, 0U);
        QCOMPARE(first->view()->selEnd, whole);

        // Closing one keeps the other, its document and its picture.
        second->close();
        QTRY_COMPARE(bench->session().waveWindows().size(), 1);
        QCOMPARE(first->document().dataSize, whole);
        QVERIFY(!first->view()->grab().isNull());
        frame->runCommand(cmd::kDuplicateWindow);
        QCOMPARE(bench->session().waveWindows().size(), 2);
        first->close();
        QTRY_COMPARE(bench->session().waveWindows().size(), 1);
        QCOMPARE(bench->session().waveWindows()[0]->document().dataSize, whole);
    }

    void pathTextFollowsSaveAsAndRenameInEveryWindow() {
        const std::string original = makeWave("take.wav");
        auto [first, second] = openTwice(original);
        QVERIFY(first != nullptr && second != nullptr);
        first->resize(600, 420); // room for the text line under the picture
        QTRY_VERIFY(first->view()->height() > 280);
        const QImage before = first->view()->grab().toImage();

        const std::string renamed = files->file("renamed.wav");
        bench->files().rename(QString::fromStdString(renamed));
        const std::string saved = files->file("kept.wav");
        const std::string steps[] = {renamed, saved};
        for (const std::string& expected : steps) {
            if (expected == saved)
                bench->files().saveAs(QString::fromStdString(saved));
            for (CChildFrame* window : {first, second}) {
                QCOMPARE(window->document().GetPathName(), QString::fromStdString(expected));
                QCOMPARE(window->windowTitle(),
                         QString::fromStdString(std::filesystem::path(expected).filename()));
            }
        }
        // The path drawn under the picture changed with it.
        QVERIFY(first->view()->grab().toImage() != before);
        QVERIFY(reporter->reports.empty());
    }

    void lockIndicatorsAreBlankWhereThePlatformDoesNotTell() {
        QVERIFY(!readLockStates().has_value()); // the offscreen platform
        for (const char* name : {"indicatorCAP", "indicatorNUM", "indicatorSCRL"}) {
            auto* label = frame->statusBar()->findChild<QLabel*>(QString::fromLatin1(name));
            QVERIFY(label != nullptr);
            QCOMPARE(label->text(), QString());
        }
    }
};

QTEST_MAIN(WindowCommandsTest)
#include "window_commands_test.moc"
