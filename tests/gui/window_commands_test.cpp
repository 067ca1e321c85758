// The window commands: Duplicate Window and the titles of a file's windows, the path text
// following Save As and Rename in every window of a file, what a waveform window and the
// Activity field show whole, dialog titles, and the lock indicators.
#include "app/workbench.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "frame/control_bar.h"
#include "frame/lock_indicators.h"
#include "support/dialog_watch.h"
#include "test_support.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QtTest>
#include <filesystem>

using namespace sonarium;

class WindowCommandsTest : public test::EditorFixture {
    Q_OBJECT

    std::string makeWave(const char* name, int channels = 2) {
        test::WaveSpec shape;
        shape.channels = channels;
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
        QCOMPARE(first->windowTitle(), QStringLiteral("a.wav:1"));
        QCOMPARE(second->windowTitle(), QStringLiteral("a.wav:2"));

        const std::uint32_t whole = first->document().dataSize;
        second->view()->setSelection(400, 800);
        QCOMPARE(second->view()->selStart, 400U);
        QCOMPARE(first->view()->selStart, 0U);
        QCOMPARE(first->view()->selEnd, whole);

        // Closing one keeps the other, its document and its picture.
        second->close();
        QTRY_COMPARE(bench->session().waveWindows().size(), 1);
        QTRY_COMPARE(first->windowTitle(), QStringLiteral("a.wav"));
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
            int number = 1;
            for (CChildFrame* window : {first, second}) {
                QCOMPARE(window->document().GetPathName(), QString::fromStdString(expected));
                QCOMPARE(window->windowTitle(),
                         QString::fromStdString(std::filesystem::path(expected).filename()) +
                             QStringLiteral(":%1").arg(number++));
            }
        }
        // The path drawn under the picture changed with it.
        QVERIFY(first->view()->grab().toImage() != before);
        QVERIFY(reporter->reports.empty());
    }

    void windowNumbersFollowOpeningAndClosing() {
        auto [first, second] = openTwice(makeWave("n.wav"));
        QVERIFY(first != nullptr && second != nullptr);
        frame->runCommand(cmd::kDuplicateWindow);
        CChildFrame* third = bench->session().activeWaveWindow();
        // Another file's window keeps its plain title.
        CChildFrame* other =
            bench->windows().openDocument(QString::fromStdString(makeWave("o.wav")));
        QCOMPARE(other->windowTitle(), QStringLiteral("o.wav"));
        QCOMPARE(third->windowTitle(), QStringLiteral("n.wav:3"));
        second->close();
        QTRY_COMPARE(third->windowTitle(), QStringLiteral("n.wav:2"));
        QCOMPARE(first->windowTitle(), QStringLiteral("n.wav:1"));
        QCOMPARE(other->windowTitle(), QStringLiteral("o.wav"));
    }

    // A new window, mono or stereo, opened or duplicated, shows its five panes whole, each at
    // least as wide as the widest text it takes; the picture keeps its size.
    void newWindowShowsEveryPaneWhole_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("duplicate");
        QTest::newRow("mono") << 1 << false;
        QTest::newRow("stereo") << 2 << false;
        QTest::newRow("stereo, duplicated") << 2 << true;
    }

    void newWindowShowsEveryPaneWhole() {
        QFETCH(int, channels);
        QFETCH(bool, duplicate);
        CChildFrame* window =
            bench->windows().openDocument(QString::fromStdString(makeWave("p.wav", channels)));
        QVERIFY(window != nullptr);
        if (duplicate) {
            frame->runCommand(cmd::kDuplicateWindow);
            window = bench->session().activeWaveWindow();
        }
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // As high as it takes for the waveform to have the picture's 256 rows.
        QCOMPARE(window->view()->waveArea().height(), 256);
        QVERIFY(window->width() >= CChildFrame::kWidth);
        QCOMPARE(window->size(), window->openingSize());
        QCOMPARE(window->view()->picture().size(), QSize(450, 256));
        const QStringList widest[] = {{}, {}, {}, {"Mono  ", "Stereo"}, {"200000 Hz"}};
        for (int i = 0; i < CChildFrame::kPaneCount; ++i) {
            auto* pane = window->findChild<QLabel*>(QStringLiteral("pane%1").arg(i));
            QVERIFY(pane != nullptr);
            QTRY_VERIFY(pane->isVisible());
            QCOMPARE(pane->visibleRegion().boundingRect(), pane->rect());
            QVERIFY2(pane->mapTo(window, pane->rect().bottomRight()).x() < window->width(),
                     qPrintable(pane->text()));
            QStringList texts = widest[i];
            texts << pane->text();
            for (const QString& text : texts)
                QVERIFY2(pane->contentsRect().width() >=
                             pane->fontMetrics().horizontalAdvance(text),
                         qPrintable(text));
        }
        // No wider than that: the last pane ends at the status bar's end.
        auto* last =
            window->findChild<QLabel*>(QStringLiteral("pane%1").arg(CChildFrame::kRatePane));
        QVERIFY2(window->width() == CChildFrame::kWidth ||
                     last->parentWidget()->width() - last->geometry().right() < 12,
                 qPrintable(QStringLiteral("%1 wide, the panes end at %2")
                                .arg(window->width())
                                .arg(last->geometry().right())));
        QCOMPARE(window->paneText(CChildFrame::kChannelsPane),
                 channels == 2 ? QStringLiteral("Stereo") : QStringLiteral("Mono  "));
    }

    void activityFieldShowsLongTextsWhole() {
        QLineEdit* field = frame->controlBar()->activityField();
        for (const QString& text :
             {QStringLiteral("Sampling conversion - done"),
              QStringLiteral("Session restored - 12 missing files skipped, see the list")}) {
            frame->ShowActivity(text);
            QTRY_VERIFY2(field->width() - 8 >= field->fontMetrics().horizontalAdvance(text),
                         qPrintable(text));
        }
    }

    void dialogsOpenWideEnoughForTheirTitles() {
        QDialog dialog(frame.get());
        dialog.setWindowTitle(
            QStringLiteral("Confirm the conversion of every file of the session into mp3"));
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("OK?"), &dialog));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QVERIFY(dialog.width() >= DialogWatch::titleWidth(dialog.windowTitle()));
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
