// The commands on the active waveform from the main window: zooming from the View menu, Play
// Selection, and files dropped on the window opening as Open opens them.
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "sound_files.h"

#include <QAudioDevice>
#include <QMdiArea>
#include <QMediaDevices>
#include <QMimeData>
#include <QUrl>
#include <sndfile.h>

using namespace sonarium;

class ViewCommandsTest : public test::EditorFixture {
    Q_OBJECT

    int windows() const { return int(bench->session().waveWindows().size()); }

    std::string makeWave(const char* name, int channels, int rate, double seconds) {
        const auto tone =
            test::sine(static_cast<std::size_t>(seconds * rate), channels, rate, 440, 0.5);
        const std::string path = files->file(name);
        if (test::writeSound(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, channels, tone).empty())
            qFatal("cannot write %s", name);
        return path;
    }

    // Drags the files over the main window and drops them, as a file manager does.
    bool drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        const QPoint at = frame->mdiArea()->geometry().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame.get(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(frame.get(), &dropped);
        return dropped.isAccepted();
    }

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    void viewMenuZoomsTheActiveWindow() {
        for (int id : {cmd::kZoomIn, cmd::kZoomOut, cmd::kZoomToSelection, cmd::kZoomFit,
                       cmd::kPlaySelection})
            QVERIFY2(!frame->action(id)->isEnabled(), qPrintable(QString::number(id)));
        CChildFrame* window =
            bench->windows().openDocument(QString::fromStdString(makeWave("z.wav", 2, 48000, 3)));
        QVERIFY(window != nullptr);
        frame->updateMenus();
        CSonariumView& view = *window->view();
        const double whole = view.span().framesPerPixel();
        frame->runCommand(cmd::kZoomIn);
        QCOMPARE(view.span().framesPerPixel(), whole / 2);
        frame->runCommand(cmd::kZoomIn);
        frame->runCommand(cmd::kZoomOut);
        QCOMPARE(view.span().framesPerPixel(), whole / 2);
        view.setSelection(48000 * 4, 96000 * 4);
        frame->runCommand(cmd::kZoomToSelection);
        QCOMPARE(view.span().start(), 48000.0);
        QCOMPARE(view.span().visibleFrames(), 48000.0);
        frame->runCommand(cmd::kZoomFit);
        QVERIFY(!view.span().zoomed());
        // The keys reach the window through the main window's actions.
        QCOMPARE(frame->action(cmd::kZoomIn)->shortcuts().value(0), QKeySequence(Qt::Key_Plus));
        QCOMPARE(frame->action(cmd::kZoomOut)->shortcuts().value(0), QKeySequence(Qt::Key_Minus));
    }

    // Exactly the selected frames play: the play position starts at the selection and the
    // sound ends when its length has been heard, long before the file's end.
    void playSelectionPlaysTheSelectedFrames() {
        if (QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("no sound server: start one with eval \"$(tools/start-test-audio)\"");
        const QString path = QString::fromStdString(makeWave("sel.wav", 1, 44100, 10));
        CChildFrame* window = bench->windows().openDocument(path);
        QVERIFY(window != nullptr);
        window->view()->setSelection(44100 * 2 * 4, 44100 * 2 * 4 + 44100 / 2 * 2); // 4 s + 0.5 s
        // The window's taking the focus stops playback: that is over before playing.
        QTest::qWait(200);
        QElapsedTimer clock;
        clock.start();
        frame->mdiArea()->setActiveSubWindow(window);
        frame->runCommand(cmd::kPlaySelection);
        QVERIFY(bench->playback().playing());
        const auto heard = bench->playback().playingFrame(path);
        QVERIFY(heard.has_value());
        QVERIFY(*heard >= 4 * 44100 && *heard < 4 * 44100 + 44100 / 2);
        QTRY_VERIFY(window->view()->playCursorPixel().has_value());
        QTRY_VERIFY_WITH_TIMEOUT(!bench->playback().playing(), 4000);
        QVERIFY(clock.elapsed() >= 450);
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(reporter->reports.empty());
        // Play is left as it is: the whole file, from its start.
        frame->runCommand(cmd::kPlay);
        QVERIFY(bench->playback().playing());
        QVERIFY(*bench->playback().playingFrame(path) < 44100);
        frame->runCommand(cmd::kStop);
    }

    // A wave file opens in its window; a file of another format is offered the import, as Open
    // does; what is not a file is refused at the door.
    void droppedFilesOpenAsOpenDoes() {
        const std::string wave = makeWave("dropped.wav", 2, 44100, 1);
        const std::string deep = files->file("deep.wav");
        QVERIFY(!test::writeSound(deep, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2,
                                  test::sine(4800, 2, 48000, 440, 0.5))
                     .empty());
        QVERIFY(!drop({QString::fromStdString(files->file("nothing-here.wav"))}));
        reporter->answers = {Answer::Cancel};
        QVERIFY(drop({QString::fromStdString(wave), QString::fromStdString(deep)}));
        QTRY_COMPARE(windows(), 1);
        QTRY_COMPARE(reporter->reports.size(), std::size_t(1));
        QVERIFY(reporter->reports[0].text.starts_with("File " + deep + "\nholds 24-bit PCM WAV"));
        QCOMPARE(reporter->reports[0].buttons, MessageButtons::ImportCancel);
        QCOMPARE(bench->session().waveWindows().value(0)->document().GetPathName().toStdString(),
                 wave);
        QCOMPARE(activity(), QStringLiteral("Load file - aborted"));
        QVERIFY(frame->recentFiles().contains(QString::fromStdString(wave)));
    }
};

QTEST_MAIN(ViewCommandsTest)
#include "view_commands_test.moc"
