// The editor end to end: open a file, run an operation through its dialog, see the result in its
// own window and in the selectors; the no-input notice, range refusals, help pages, Save As
// refusals and clearing the temporary folder; every command the table handles wired by its part.
#include "app/workbench.h"
#include "dialogs/operation_dialog.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/control_bar.h"
#include "frame/notices.h"
#include "modal_helpers.h"
#include "operations/operation.h"
#include "run_operation.h"
#include "test_support.h"
#include "wavefile/wave_format.h"
#include "workspace/audio_root.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>

SONARIUM_DECLARE_OPERATION(volume);

using namespace sonarium;

namespace {} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class WorkbenchTest : public test::EditorFixture {
    Q_OBJECT

    UrlRecorder urls;

    std::string makeSource(const char* name, int channels, std::size_t values = 20000) {
        test::WaveSpec shape;
        shape.channels = channels;
        shape.samples = test::ramp(values, 0, 5);
        const std::int16_t head[] = {1000, -1000, 30000, -30000, 7, 0};
        std::copy(std::begin(head), std::end(head), shape.samples.begin());
        shape.tail = test::Bytes(builtInTrailer().begin(), builtInTrailer().end());
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open"); }

    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void init() {
        startFresh();
        urls.urls.clear();
    }

    void cleanup() { stopEditor(); }

    void roadOfOneResult() {
        const std::string source = makeSource("take.wav", 1);
        const test::Bytes before = test::readBytes(source);
        bench->files().openFiles({QString::fromStdString(source)});
        QCOMPARE(activity(), QStringLiteral("Load file - done"));
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(source));
        QVERIFY(frame->action(volumeOperation().commandId)->isEnabled());

        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<COperationDialog*>(modal);
            QVERIFY(dialog != nullptr);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Volume 1.0"));
            QCOMPARE(dialog->objectName(), QStringLiteral("CVolumeDialog"));
            QVERIFY(dialog->item(1161) != nullptr);
            QVERIFY(dialog->item(1183) != nullptr);
            QVERIFY(!dialog->item(1002)->isEnabled());
            auto* ratio = qobject_cast<QLineEdit*>(dialog->item(1049));
            QCOMPARE(ratio->text(), QStringLiteral("200"));
            ratio->setText(QStringLiteral("150"));
            clickButton(dialog, QStringLiteral("OK"));
        });
        frame->runCommand(volumeOperation().commandId);

        const std::string result = (root->path() / "tempsnds" / "000.wav").string();
        QVERIFY(std::filesystem::exists(result));
        QCOMPARE(activity(), QStringLiteral("Volume eff - done"));
        auto* active = qobject_cast<CChildFrame*>(frame->mdiArea()->activeSubWindow());
        QVERIFY(active != nullptr);
        QCOMPARE(active->document().GetPathName(), QString::fromStdString(result));
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 2);
        QCOMPARE(bench->list().source.currentText(), std::string("/tempsnds/000"));
        QCOMPARE(bench->list().aux.currentText(), WorkingList::displayName(source));
        QCOMPARE(bench->list().selectionState, 2);
        QCOMPARE(frame->controlBar()->sourceSelector()->currentText(),
                 QStringLiteral("/tempsnds/000"));
        QCOMPARE(test::readBytes(source), before);
        const test::Bytes out = test::readBytes(result);
        QCOMPARE(int(static_cast<std::int16_t>(readLe16(&out[44]))), 1500);
        QCOMPARE(int(static_cast<std::int16_t>(readLe16(&out[48]))), 32767);
        QVERIFY2(reporter->reports.empty(),
                 reporter->reports.empty() ? "" : reporter->reports[0].text.c_str());
    }

    // Each part installs its own commands: once the editor stands, every row the table handles
    // has a handler, and the rows shown but never enabled have none.
    void everyHandledRowHasAHandler() {
        for (const CommandSpec& command : commandTable()) {
            bool handled = true;
            if (command.pattern == CommandPattern::Disabled ||
                command.pattern == CommandPattern::NoHandler)
                handled = false;
            else if (command.pattern == CommandPattern::Operation)
                handled = findOperationByCommand(command.id) != nullptr;
            else if (command.id == cmd::kRecentFile)
                handled = false; // a submenu of the recent files
            QVERIFY2(frame->hasHandler(command.id) == handled,
                     qPrintable(QString::number(command.id)));
        }
    }

    // Insert Clipboard's command is the clipboard part's: the second file is the clipboard's,
    // never the Aux selector's.
    void insertClipboardInsertsTheClipboardNotTheAux() {
        const std::string copied = makeSource("copied.wav", 1, 7000);
        bench->files().openFiles({QString::fromStdString(copied)});
        frame->runCommand(cmd::kCopyToClipboard);
        bench->files().openFiles({QString::fromStdString(makeSource("aux.wav", 1, 3000)),
                                  QString::fromStdString(makeSource("source.wav", 1, 20000))});
        QCOMPARE(bench->list().selectionState, 2);
        whenModal([](QWidget* modal) { clickButton(modal, QStringLiteral("OK")); });
        frame->runCommand(cmd::kInsertClipboard);
        QCOMPARE(test::readValues((tempSounds() / "000.wav").string()).size(), std::size_t{27000});
    }

    void noInputShowsOperationInterrupted() {
        QString text;
        whenModal([&text](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->windowTitle(), QStringLiteral("Operation Interrupted"));
            text = box->text();
            clickButton(box, QStringLiteral("Cancel"));
        });
        bench->operations().run(volumeOperation());
        QCOMPARE(text, QString::fromLatin1(kOperationInterruptedText));
        QVERIFY(activity() != QStringLiteral("Volume eff - done"));
        QVERIFY(!frame->action(volumeOperation().commandId)->isEnabled());
    }

    void rangeViolationKeepsTheDialogOpen() {
        bench->files().openFiles({QString::fromStdString(makeSource("a.wav", 1))});
        bool stillOpen = false;
        whenModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<COperationDialog*>(modal);
            QVERIFY(dialog != nullptr);
            qobject_cast<QLineEdit*>(dialog->item(1049))->setText(QStringLiteral("40000"));
            clickButton(dialog, QStringLiteral("OK"));
            stillOpen = dialog->isVisible();
            clickButton(dialog, QStringLiteral("Cancel"));
        });
        frame->runCommand(volumeOperation().commandId);
        QVERIFY(stillOpen);
        QCOMPARE(reporter->texts(),
                 std::vector<std::string>{"Please enter a number between -32768 and 32767."});
        // Cancel made nothing, and the Activity field says so rather than "- done".
        QCOMPARE(activity(), QString::fromLatin1(kJobInterruptedActivity));
        QVERIFY(!std::filesystem::exists(root->path() / "tempsnds" / "000.wav"));
    }

    void helpOpensThePageOfTheLanguage_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("page");
        QTest::newRow("English") << "English"
                                 << "EFFVOL_1.0_english.html";
        QTest::newRow("French") << "Francais"
                                << "EFFVOL_1.0_francais.html";
    }

    void helpOpensThePageOfTheLanguage() {
        QFETCH(QString, language);
        QFETCH(QString, page);
        bench->preferences().helpLanguage = language.toStdString();
        bench->files().openFiles({QString::fromStdString(makeSource("h.wav", 1))});
        whenModal([](QWidget* modal) {
            auto* dialog = qobject_cast<COperationDialog*>(modal);
            QVERIFY(dialog != nullptr);
            qobject_cast<QAbstractButton*>(dialog->item(1048))->click();
            dialog->reject();
        });
        frame->runCommand(volumeOperation().commandId);
        QVERIFY(urls.urls.isEmpty());
        QVERIFY(bench->help().helpWindow() != nullptr);
        QCOMPARE(bench->help().helpWindow()->currentFile(),
                 QString::fromStdString((root->path() / "sonarium" / "help").string()) + "/" +
                     page);
    }

    void saveAsRefusals() {
        const std::string a = makeSource("a.wav", 1);
        bench->files().openFiles({QString::fromStdString(a)});
        frame->runCommand(cmd::kSaveAs); // Source and Aux are the same file
        QCOMPARE(reporter->texts().back(),
                 std::string("The file could not be saved\nplease use file/rename instead"));
        bench->files().openFiles({QString::fromStdString(makeSource("b.wav", 2))});
        QStringList titles;
        bench->files().chooseSaveName = [&](const QString& title, const QString&) {
            titles << title;
            return QString::fromStdString(a).toUpper().replace(QStringLiteral("/A.WAV"),
                                                               QStringLiteral("/a.WAV"));
        };
        frame->runCommand(cmd::kSaveAs);
        QCOMPARE(titles.size(), 1);
        QVERIFY(titles[0].startsWith(QStringLiteral("Save ")));
        QVERIFY(titles[0].endsWith(QStringLiteral(" as...")));
        QCOMPARE(reporter->texts().back(),
                 std::string("This file is already listed,\nplease choose another name"));
        // A new name copies the file and opens the copy.
        const std::string kept = files->file("kept.wav");
        bench->files().chooseSaveName = [&](const QString&, const QString&) {
            return QString::fromStdString(kept);
        };
        frame->runCommand(cmd::kSaveAs);
        QVERIFY(std::filesystem::exists(kept));
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(kept));
        // The window of the old file now carries the new path, and the copy has its own window.
        int showingKept = 0;
        for (QMdiSubWindow* window : frame->mdiArea()->subWindowList())
            if (auto* child = qobject_cast<CChildFrame*>(window))
                showingKept += child->document().GetPathName() == QString::fromStdString(kept);
        QCOMPARE(showingKept, 2);
    }

    void renameMovesTheFileAndKeepsItsWindow() {
        const std::string a = makeSource("a.wav", 1);
        bench->files().openFiles({QString::fromStdString(a)});
        const test::Bytes before = test::readBytes(a);
        // Onto itself: nothing changes, the window stays open.
        bench->files().chooseSaveName = [&](const QString&, const QString&) {
            return QString::fromStdString(a);
        };
        frame->runCommand(cmd::kRename);
        QCOMPARE(frame->mdiArea()->subWindowList().size(), 1);
        QCOMPARE(test::readBytes(a), before);
        const std::string moved = files->file("moved.wav");
        bench->files().chooseSaveName = [&](const QString&, const QString&) {
            return QString::fromStdString(moved);
        };
        frame->runCommand(cmd::kRename);
        QVERIFY(!std::filesystem::exists(a));
        QCOMPARE(test::readBytes(moved), before);
        QCOMPARE(bench->list().source.currentText(), WorkingList::displayName(moved));
        auto* window = qobject_cast<CChildFrame*>(frame->mdiArea()->subWindowList().value(0));
        QVERIFY(window != nullptr);
        QCOMPARE(window->document().GetPathName(), QString::fromStdString(moved));
        QVERIFY(reporter->reports.empty());
    }

    void clearTemporaryDirectoryAfterConfirming() {
        const auto temp = root->path() / "tempsnds";
        test::writeBytes((temp / "000.wav").string(), test::Bytes(10, 1));
        test::writeBytes((temp / "notes.txt").string(), test::Bytes(10, 1));
        QString question;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box != nullptr);
            QCOMPARE(box->windowTitle(), QStringLiteral("Confirm Deletion"));
            question = box->text();
            QCOMPARE(box->defaultButton()->text(), QStringLiteral("Cancel"));
            clickButton(box, QStringLiteral("Confirm"));
        });
        frame->runCommand(cmd::kClearTempDir);
        QVERIFY(question.contains(QString::fromStdString(temp.string())));
        QVERIFY(!std::filesystem::exists(temp / "000.wav"));
        QVERIFY(!std::filesystem::exists(temp / "notes.txt"));
        QCOMPARE(activity(), QStringLiteral("Clear temp dir - done"));
    }
};

QTEST_MAIN(WorkbenchTest)
#include "workbench_test.moc"
