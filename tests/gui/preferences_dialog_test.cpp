// The Preferences dialog: each setting taking effect after Apply, Save and Reload, Default,
// Cancel, the Browse rules, the custom colour, and the refusals (a path too long for the file, a
// file that cannot be written).
#include "app/workbench.h"
#include "dialogs/preferences_dialog.h"
#include "display/child_frame.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "modal_helpers.h"
#include "test_support.h"
#include "wavefile/binary_file.h"
#include "wavefile/wave_format.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace sonarium;

namespace {

QCheckBox* box(const CPreferencesDialog& dialog, int item) {
    return qobject_cast<QCheckBox*>(dialog.item(item));
}
QLineEdit* edit(const CPreferencesDialog& dialog, int item) {
    return qobject_cast<QLineEdit*>(dialog.item(item));
}
QComboBox* list(const CPreferencesDialog& dialog, int item) {
    return qobject_cast<QComboBox*>(dialog.item(item));
}

// Everything the controls show, to compare two moments.
QSpinBox* threads(const CPreferencesDialog& dialog) {
    return dialog.findChild<QSpinBox*>(QStringLiteral("computeThreads"));
}

QStringList controls(const CPreferencesDialog& dialog) {
    QStringList shown{edit(dialog, 1002)->text(), edit(dialog, 1003)->text(),
                      list(dialog, 1263)->currentText(), list(dialog, 1270)->currentText(),
                      threads(dialog)->text()};
    for (const PreferenceCheckBox& entry : preferenceCheckBoxes())
        shown << QStringLiteral("%1=%2").arg(entry.item).arg(box(dialog, entry.item)->isChecked());
    return shown;
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class PreferencesDialogTest : public test::EditorFixture {
    Q_OBJECT

    UrlRecorder urls;
    QStringList sounds;
    int plays = 0;

    std::string prefsFile() const { return (root->path() / "sonarium/res/prefs.snp").string(); }

    std::string makeWave(const char* name) {
        test::WaveSpec shape;
        shape.samples = test::ramp(5000, -20000, 8);
        const std::string path = files->file(name);
        test::writeBytes(path, test::buildWave(shape));
        return path;
    }

    // Opens the dialog through its command, lets change() edit it, then presses Apply.
    void applyThroughTheCommand(const std::function<void(CPreferencesDialog&)>& change) {
        whenModal([change](QWidget* modal) {
            auto* dialog = qobject_cast<CPreferencesDialog*>(modal);
            QVERIFY(dialog != nullptr);
            change(*dialog);
            dialog->button("apply")->click();
        });
        frame->runCommand(cmd::kPreferences);
        QCOMPARE(activity(), QStringLiteral("Prefs Definition - done"));
    }

    void startRecording() {
        bench->operations().playCompletionSound = [this](const QString& path) { sounds << path; };
        bench->operations().playSource = [this] { ++plays; };
    }

private slots:
    void initTestCase() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open"); }
    void cleanupTestCase() { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

    void init() {
        startFresh();
        startRecording();
        urls.urls.clear();
        sounds.clear();
        plays = 0;
    }

    void cleanup() {
        BinaryFile::limitCreatedFilesForTesting(-1);
        stopEditor();
    }

    void everySettingTakesEffectAfterApply() {
        // One row per control: what to change in the dialog, and what the editor then does
        // differently. Each row starts from a fresh editor whose settings have the control off.
        struct Row {
            const char* name;
            std::function<void(CPreferencesDialog&)> change;
            std::function<void()> check;
        };
        const Row rows[] = {
            {"Beep when computed", [](CPreferencesDialog& d) { box(d, 1133)->setChecked(true); },
             [this] {
                 bench->operations().AfterOperation(false);
                 QVERIFY(sounds.isEmpty()); // only after a result
                 bench->operations().AfterOperation(true);
                 QCOMPARE(sounds,
                          QStringList{QString::fromStdString(bench->preferences().beepPath)});
             }},
            {"Auto Play when computed",
             [](CPreferencesDialog& d) { box(d, 1145)->setChecked(true); },
             [this] {
                 bench->operations().AfterOperation(true);
                 QCOMPARE(plays, 1);
                 QVERIFY(sounds.isEmpty());
             }},
            {"Green waveform", [](CPreferencesDialog& d) { box(d, 1144)->setChecked(true); },
             [this] {
                 CChildFrame* window =
                     bench->windows().openDocument(QString::fromStdString(makeWave("w.wav")));
                 QVERIFY(window != nullptr);
                 QCOMPARE(window->view()->waveColour(), (Rgb{0, 128, 0}));
                 // The picture is drawn in it: its middle row holds the pen colour.
                 const QImage& picture = window->view()->picture();
                 bool found = false;
                 for (int x = 0; x < picture.width() && !found; ++x)
                     for (int y = 0; y < picture.height() && !found; ++y)
                         found = picture.pixelColor(x, y) == QColor(0, 128, 0);
                 QVERIFY(found);
             }},
            {"Confirm on quit", [](CPreferencesDialog& d) { box(d, 1137)->setChecked(true); },
             [this] {
                 QString asked;
                 whenModal([&asked](QWidget* modal) {
                     asked = modal->windowTitle();
                     static_cast<QDialog*>(modal)->reject();
                 });
                 frame->close();
                 QCOMPARE(asked, QStringLiteral("Confirm Exiting"));
                 QVERIFY(frame->isVisible()); // Cancel keeps the program running
             }},
            {"Automatic session deletion",
             [](CPreferencesDialog& d) { box(d, 1135)->setChecked(true); },
             [this] {
                 const auto kept = tempSounds() / "notes.txt";
                 test::writeBytes((tempSounds() / "001.wav").string(), test::Bytes(10, 1));
                 test::writeBytes(kept.string(), test::Bytes(10, 1));
                 frame->close();
                 QVERIFY(!std::filesystem::exists(tempSounds() / "001.wav"));
                 QVERIFY(std::filesystem::exists(kept));
             }},
            {"Help language",
             [](CPreferencesDialog& d) {
                 list(d, 1263)->setCurrentText(QStringLiteral("Francais"));
             },
             [this] {
                 frame->runCommand(cmd::kHelpTopics);
                 QVERIFY(bench->help().helpWindow()->currentFile().endsWith(
                     QStringLiteral("/_francais.html")));
             }},
            {"mp3 export format",
             [](CPreferencesDialog& d) {
                 list(d, 1270)->setCurrentText(QStringLiteral("CBR 224k/s"));
             },
             [this] { QCOMPARE(bench->preferences().mp3Option, std::string("-b 224")); }},
            {"Compute threads", [](CPreferencesDialog& d) { threads(d)->setValue(3); },
             [this] {
                 QCOMPARE(bench->preferences().computeThreads, 3);
                 // Applied for this session only: the next start still uses every core.
                 QCOMPARE(savedComputeThreads(), 0);
             }},
            {"Default path",
             [this](CPreferencesDialog& d) {
                 edit(d, 1002)->setText(QString::fromStdString(files->path().string() + "/out/"));
             },
             [this] {
                 QCOMPARE(bench->session().NextTempPath(), files->path().string() + "/out/000.wav");
             }},
        };
        for (const Row& row : rows) {
            qInfo("%s", row.name);
            stopEditor(); // the audio root of the last row goes before the next one is made
            startFresh();
            startRecording();
            urls.urls.clear();
            sounds.clear();
            plays = 0;
            const test::Bytes file = test::readBytes(prefsFile());
            applyThroughTheCommand(row.change);
            row.check();
            if (QTest::currentTestFailed())
                QFAIL(row.name);
            QCOMPARE(test::readBytes(prefsFile()), file); // Apply never writes the file
        }
    }

    void disabledControlsAndOpening() {
        bench->preferences().customDialogColour = false;
        bench->preferences().mp3Option.clear();
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Preferences 1.6"));
        for (int item : {1227, 1165})
            QVERIFY(!dialog.item(item)->isEnabled());
        for (int item : {1170, 1401})
            QVERIFY(dialog.item(item)->isEnabled());
        QVERIFY(!dialog.item(1301)->isEnabled());
        QVERIFY(dialog.item(1183) != nullptr);
        QVERIFY(dialog.button("apply")->isDefault());
        QCOMPARE(list(dialog, 1270)->currentIndex(), -1); // an empty option selects nothing
        QCOMPARE(box(dialog, 1134)->text(),
                 QStringLiteral("Stop playing while loosing focus (recommended)"));
        dialog.reject();
    }

    void saveThenReloadGivesTheSameControls() {
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        for (const PreferenceCheckBox& entry : preferenceCheckBoxes())
            if (entry.enabled)
                box(dialog, entry.item)->setChecked(!box(dialog, entry.item)->isChecked());
        edit(dialog, 1002)->setText(QStringLiteral("/srv/sounds/é/"));
        list(dialog, 1263)->setCurrentText(QStringLiteral("Francais"));
        list(dialog, 1270)->setCurrentText(QStringLiteral("CBR 320k/s"));
        threads(dialog)->setValue(5);
        const QStringList saved = controls(dialog);
        dialog.button("save")->click();
        QVERIFY(dialog.isVisible());
        QCOMPARE(std::filesystem::file_size(prefsFile()), 523U);
        dialog.button("default")->click();
        QVERIFY(controls(dialog) != saved);
        QCOMPARE(threads(dialog)->text(), QStringLiteral("every core"));
        dialog.button("reload")->click();
        QCOMPARE(controls(dialog), saved);
        QCOMPARE(savedComputeThreads(), 5);
        QVERIFY(reporter->reports.empty());
        dialog.reject();
    }

    void defaultThenApply() {
        bench->preferences().mp3Option = "-b 320";
        bench->preferences().helpLanguage = "Francais";
        bench->preferences().beep = true;
        const test::Bytes file = test::readBytes(prefsFile());
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        dialog.button("default")->click();
        QCOMPARE(bench->preferences().mp3Option, std::string("-b 320")); // not yet applied
        dialog.button("apply")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(bench->preferences().mp3Option, std::string());
        QCOMPARE(bench->preferences().helpLanguage, std::string("English"));
        QVERIFY(!bench->preferences().beep);
        QVERIFY(bench->preferences().stopOnFocusLoss);
        QCOMPARE(bench->preferences().beepPath,
                 (root->path() / "sonarium" / "res" / "beep.rc2").string());
        QCOMPARE(test::readBytes(prefsFile()), file);
    }

    void cancelChangesNothing() {
        const Preferences before = bench->preferences();
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        box(dialog, 1133)->setChecked(true);
        edit(dialog, 1003)->setText(QStringLiteral("/elsewhere.wav"));
        dialog.button("default")->click();
        dialog.button("cancel")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(bench->preferences() == before);
    }

    void browseRules() {
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        QString title;
        QString picked;
        dialog.pickFolder = [&](const QString& t, const QString&) {
            title = t;
            return picked;
        };
        const std::pair<QString, QString> folders[] = {
            {QStringLiteral("/work"), QStringLiteral("/work/")},
            {QStringLiteral("/work/"), QStringLiteral("/work/")},
        };
        for (const auto& [chosen, shown] : folders) {
            picked = chosen;
            qobject_cast<QPushButton*>(dialog.item(1179))->click();
            QCOMPARE(edit(dialog, 1002)->text(), shown);
        }
        QCOMPARE(title, QStringLiteral("Select a folder for your temporary files."));
        picked.clear(); // cancelled: nothing changes
        qobject_cast<QPushButton*>(dialog.item(1179))->click();
        QCOMPARE(edit(dialog, 1002)->text(), QStringLiteral("/work/"));

        // The beep: only a usable wave file is taken.
        const QString before = edit(dialog, 1003)->text();
        const std::string text = files->file("notes.wav");
        test::writeBytes(text, test::Bytes{'h', 'e', 'l', 'l', 'o'});
        const std::string noFormat = files->file("nofmt.wav");
        test::writeBytes(noFormat, test::Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'});
        const std::string wave = makeWave("ding.wav");
        for (const std::string& file : {text, noFormat, wave}) {
            dialog.pickFile = [&](const QString& t, const QString&) {
                title = t;
                return QString::fromStdString(file);
            };
            qobject_cast<QPushButton*>(dialog.item(1178))->click();
            QCOMPARE(edit(dialog, 1003)->text(),
                     file == wave ? QString::fromStdString(wave) : before);
        }
        QCOMPARE(title, QStringLiteral("Select beep pathname"));
        // Each refused file says why.
        QCOMPARE(reporter->reports.size(), std::size_t(2));
        QVERIFY(reporter->reports[1].text.find("cannot be read as Wave Audio") !=
                std::string::npos);
        dialog.reject();
    }

    void customColour() {
        bench->preferences().textColour = 0x123456;
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        QColor offered;
        dialog.pickColour = [&offered](const QColor& start) -> std::optional<QColor> {
            offered = start;
            return QColor(0, 0, 0);
        };
        box(dialog, 1299)->click();
        QVERIFY(dialog.item(1301)->isEnabled());
        QCOMPARE(reporter->reports.size(), std::size_t(1));
        QCOMPARE(reporter->reports[0].icon, MessageIcon::Information);
        QCOMPARE(offered, QColor(0xF0, 0xF0, 0xF0));
        // Black background: white text, stored at once, kept by Cancel.
        dialog.button("cancel")->click();
        QCOMPARE(bench->preferences().backgroundColour, 0U);
        QCOMPARE(bench->preferences().textColour, 0xFFFFFFU);
        QVERIFY(!bench->preferences().customDialogColour);
    }

    void pathsTooLongAreRefused() {
        const Preferences before = bench->preferences();
        const test::Bytes file = test::readBytes(prefsFile());
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        // 255 bytes of UTF-8 take 254 characters here: the letter é is two bytes.
        const QString tooLong =
            QStringLiteral("/") + QString(253, QLatin1Char('x')) + QStringLiteral("é");
        QCOMPARE(tooLong.toUtf8().size(), 256);
        for (int item : {1002, 1003}) {
            edit(dialog, item)->setText(tooLong);
            for (const char* name : {"apply", "save"}) {
                reporter->reports.clear();
                dialog.button(name)->click();
                QVERIFY(dialog.isVisible());
                QCOMPARE(reporter->reports.size(), std::size_t(1));
                QVERIFY(reporter->reports[0].text.find("255") != std::string::npos);
            }
            edit(dialog, item)->setText(QStringLiteral("/short/"));
        }
        QVERIFY(bench->preferences() == before);
        QCOMPARE(test::readBytes(prefsFile()), file);
        dialog.reject();
    }

    void failedSaveSaysSoAndKeepsTheOldFile_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only res/") << true;
        QTest::newRow("full disk") << false;
    }

    void failedSaveSaysSoAndKeepsTheOldFile() {
        QFETCH(bool, readOnlyFolder);
        if (readOnlyFolder && ::geteuid() == 0)
            QSKIP("permissions do not stop the superuser");
        const std::filesystem::path res = root->path() / "sonarium" / "res";
        const test::Bytes file = test::readBytes(prefsFile());
        CPreferencesDialog dialog(bench->preferences(), prefsFile(), *reporter, frame.get());
        dialog.open();
        box(dialog, 1133)->setChecked(true);
        if (readOnlyFolder)
            std::filesystem::permissions(res, std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::owner_exec);
        else
            BinaryFile::limitCreatedFilesForTesting(0);
        dialog.button("save")->click();
        std::filesystem::permissions(res, std::filesystem::perms::owner_all);
        BinaryFile::limitCreatedFilesForTesting(-1);
        QCOMPARE(reporter->reports.size(), std::size_t(1));
        QCOMPARE(reporter->reports[0].icon, MessageIcon::Error);
        QVERIFY(reporter->reports[0].text.find("could not be saved") != std::string::npos);
        QCOMPARE(test::readBytes(prefsFile()), file);
        for (const auto& entry : std::filesystem::directory_iterator(res))
            QVERIFY2(entry.path().filename().string().find("prefs.snp") == std::string::npos ||
                         entry.path().filename() == "prefs.snp",
                     "a temporary file was left behind");
        dialog.reject();
    }
};

QTEST_MAIN(PreferencesDialogTest)
#include "preferences_dialog_test.moc"
