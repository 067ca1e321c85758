// Starting and ending a run: the splash that goes by itself, the session that comes back at the
// next start, and the question Quit asks while results were never saved elsewhere.
#include "app/splash_screen.h"
#include "app/workbench.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "test_support.h"
#include "workspace/session_file.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <filesystem>

using namespace sonarium;

class StartAndEndTest : public test::EditorFixture {
    Q_OBJECT

    std::string makeWave(const char* name, int channels) {
        test::WaveSpec shape;
        shape.channels = channels;
        shape.samples = test::ramp(8000, -20000, 5);
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

    // A finished result, as an operation leaves it: a drawn name with a file under it, listed.
    std::string makeResult() {
        const std::string path = bench->session().NextTempPath();
        test::WaveSpec shape;
        shape.samples = test::ramp(4000, 0, 7);
        test::writeBytes(path, test::buildWave(shape));
        bench->windows().openDocument(QString::fromStdString(path));
        return path;
    }

    QStringList windowFiles() const {
        QStringList out;
        for (CChildFrame* window : bench->session().waveWindows())
            out << window->document().GetPathName();
        return out;
    }

    // Quits; returns the title of the question asked ("" for none), answering it with Confirm
    // (Yes) or Cancel (No).
    QString quit(QMessageBox::StandardButton answer, QString* text = nullptr) {
        QString asked;
        // Polled, as the question appears inside exec(); the poll ends with the quit.
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal == nullptr)
                return;
            poll.stop();
            asked = modal->windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                if (text != nullptr)
                    *text = box->text();
                const QString wanted = answer == QMessageBox::Yes ? QStringLiteral("Confirm")
                                                                  : QStringLiteral("Cancel");
                for (QAbstractButton* button : box->buttons())
                    if (button->text() == wanted)
                        button->click();
            } else {
                static_cast<QDialog*>(modal)->reject();
            }
        });
        poll.start();
        frame->close();
        return asked;
    }

private slots:
    void init() { startFresh(); }
    void cleanup() { stopEditor(); }

    void splashClosesByItselfOrAtTheFirstClickOrKey_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("by itself") << "time";
        QTest::newRow("click") << "click";
        QTest::newRow("key") << "key";
    }

    void splashClosesByItselfOrAtTheFirstClickOrKey() {
        QFETCH(QString, how);
        SplashScreen splash;
        QSignalSpy finished(&splash, &QDialog::finished);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QVERIFY(splash.isVisible());
        if (how == QStringLiteral("click")) {
            QTest::mouseClick(splash.findChild<QLabel*>(), Qt::LeftButton);
            QCOMPARE(finished.size(), 1);
        } else if (how == QStringLiteral("key")) {
            QTest::keyClick(&splash, Qt::Key_A);
            QCOMPARE(finished.size(), 1);
        } else {
            QVERIFY(finished.wait(SplashScreen::kShownMs * 5));
        }
        QVERIFY(!splash.isVisible());
    }

    void sessionComesBackAtTheNextStart() {
        const std::string mono = makeWave("mono.wav", 1);
        const std::string stereo = makeWave("stereo.wav", 2);
        const std::string listed = makeWave("listed only.wav", 2);
        bench->files().addFiles({QString::fromStdString(listed)});
        bench->windows().openDocument(QString::fromStdString(mono));
        bench->windows().openDocument(QString::fromStdString(stereo));
        frame->runCommand(cmd::kDuplicateWindow);
        // The Source back on the mono file, the Aux on the stereo one.
        QVERIFY(bench->list().source.select(WorkingList::displayName(mono)));
        bench->list().OnSourceChanged();
        QVERIFY(bench->list().aux.select(WorkingList::displayName(stereo)));
        bench->list().OnAuxChanged();
        const std::vector<std::string> items = bench->list().source.items();
        const QStringList windows = windowFiles();
        QCOMPARE(windows.size(), 3);

        QCOMPARE(quit(QMessageBox::Yes), QString());
        QVERIFY(std::filesystem::exists(sessionFilePath()));
        restartEditor();
        QVERIFY(bench->list().source.items().empty());
        bench->restoreSession();
        QCOMPARE(bench->list().source.items(), items);
        QCOMPARE(windowFiles(), windows);
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(mono));
        QCOMPARE(bench->list().aux.currentText(), WorkingList::displayName(stereo));
        QCOMPARE(bench->list().selectionState, 2);
        QCOMPARE(activity(), QStringLiteral("Session restored"));
        QVERIFY(reporter->reports.empty());
    }

    // Files gone since: left out without a message, counted in the Activity field.
    void missingFilesAreSkippedWithANote() {
        const std::string kept = makeWave("kept.wav", 1);
        const std::string gone = makeWave("gone.wav", 1);
        const std::string moved = makeWave("moved.wav", 2);
        bench->windows().openDocument(QString::fromStdString(kept));
        bench->windows().openDocument(QString::fromStdString(gone));
        bench->windows().openDocument(QString::fromStdString(moved));
        QCOMPARE(quit(QMessageBox::Yes), QString());
        restartEditor();
        std::filesystem::remove(gone);
        std::filesystem::rename(moved, files->file("elsewhere.wav"));
        bench->restoreSession();
        QCOMPARE(windowFiles(), QStringList{QString::fromStdString(kept)});
        QCOMPARE(bench->list().source.items(),
                 std::vector<std::string>{WorkingList::displayName(kept)});
        QCOMPARE(activity(), QStringLiteral("Session restored - 2 missing files skipped"));
        QVERIFY(reporter->reports.empty());
    }

    void nothingToRestore_data() {
        QTest::addColumn<QString>("situation");
        QTest::newRow("preference off") << "off";
        QTest::newRow("no session file") << "none";
        QTest::newRow("damaged session file") << "damaged";
    }

    void nothingToRestore() {
        QFETCH(QString, situation);
        bench->windows().openDocument(QString::fromStdString(makeWave("a.wav", 1)));
        QCOMPARE(quit(QMessageBox::Yes), QString());
        restartEditor();
        if (situation == QStringLiteral("off"))
            bench->preferences().restoreSession = false;
        else if (situation == QStringLiteral("none"))
            std::filesystem::remove(sessionFilePath());
        else
            test::writeBytes(sessionFilePath(), test::Bytes(300, 0xFF));
        bench->restoreSession();
        QVERIFY(bench->list().source.items().empty());
        QVERIFY(windowFiles().isEmpty());
        QCOMPARE(activity(), QStringLiteral("Ready"));
        QVERIFY(reporter->reports.empty());
    }

    // Quit asks while a result lives only in the output folder; a Save As of it, or its file
    // gone, ends the question. Without such results only "Confirm on quit" asks.
    void quitAsksAboutResultsNeverSavedElsewhere() {
        const std::string result = makeResult();
        QString text;
        QCOMPARE(quit(QMessageBox::No, &text), QStringLiteral("Unsaved Results"));
        QVERIFY(frame->isVisible());
        QVERIFY2(text.contains(QString::fromStdString(result)), qPrintable(text));
        QVERIFY(text.startsWith(QStringLiteral("1 result of this session")));

        bench->files().saveAs(QString::fromStdString(files->file("kept.wav")));
        QVERIFY(std::filesystem::exists(files->file("kept.wav")));
        bench->preferences().confirmOnQuit = true;
        QCOMPARE(quit(QMessageBox::No), QStringLiteral("Confirm Exiting"));
        QVERIFY(frame->isVisible());

        const std::string second = makeResult();
        const std::string third = makeResult();
        bench->preferences().deleteTempOnQuit = true;
        QCOMPARE(quit(QMessageBox::No, &text), QStringLiteral("Unsaved Results"));
        QVERIFY(text.startsWith(QStringLiteral("2 results of this session")));
        QVERIFY(text.contains(QStringLiteral("deleted")));
        QCOMPARE(quit(QMessageBox::Yes), QStringLiteral("Unsaved Results"));
        QVERIFY(!frame->isVisible());
        QVERIFY(!std::filesystem::exists(third));
    }
};

QTEST_MAIN(StartAndEndTest)
#include "start_and_end_test.moc"
