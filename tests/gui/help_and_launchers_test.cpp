// Help Topics, the Help buttons, the calculators, the mixer, the BPM calculator, the temporary
// folder, the web site and the About box: what each opens or starts, and the message (never a
// "done") when nothing can.
#include "app/workbench.h"
#include "commands/help_commands.h"
#include "dialogs/about_dialogs.h"
#include "dialogs/workspace_dialogs.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "modal_helpers.h"
#include "support/launcher.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <functional>

using namespace sonarium;

namespace {

void click(QWidget* dialog, const char* objectName) {
    auto* button = dialog->findChild<QAbstractButton*>(QString::fromLatin1(objectName));
    QVERIFY2(button != nullptr, objectName);
    button->click();
}

void makeProgram(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\nexit 0\n";
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
}

} // namespace

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

class HelpAndLaunchersTest : public test::EditorFixture {
    Q_OBJECT

    UrlRecorder urls;
    QList<QPair<QString, QStringList>> started;
    QByteArray savedPath;
    std::unique_ptr<test::TempDir> programs; // the only folder on PATH

    QString rootFile(const std::filesystem::path& relative) const {
        return QString::fromStdString((root->path() / relative).string());
    }
    // Runs a command and returns the one message it showed, or an empty text.
    QString runAndMessage(int id) {
        reporter->reports.clear();
        frame->runCommand(id);
        if (reporter->reports.empty())
            return {};
        return QString::fromStdString(reporter->reports.back().text);
    }

private slots:
    void initTestCase() {
        savedPath = qgetenv("PATH");
        for (const char* scheme : {"file", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &urls, "open");
        setProgramStarter([this](const QString& program, const QStringList& arguments) {
            started.append({program, arguments});
            return true;
        });
    }

    void cleanupTestCase() {
        for (const char* scheme : {"file", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        setProgramStarter({});
        qputenv("PATH", savedPath);
    }

    void init() {
        startFresh();
        urls.urls.clear();
        started.clear();
        programs = std::make_unique<test::TempDir>();
        qputenv("PATH", QByteArray::fromStdString(programs->path().string()));
    }

    void cleanup() {
        stopEditor();
        programs.reset();
    }

    void helpTopicsOpensTheGeneralPageOfTheLanguage_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("page");
        for (int id : {cmd::kHelpTopics, cmd::kHelp, cmd::kContextHelp, cmd::kDefaultHelp,
                       cmd::kHelpButton}) {
            QTest::addRow("%d English", id) << id << "English"
                                            << "_english.html";
            QTest::addRow("%d French", id) << id << "Francais"
                                           << "_francais.html";
        }
    }

    void helpTopicsOpensTheGeneralPageOfTheLanguage() {
        QFETCH(int, command);
        QFETCH(QString, language);
        QFETCH(QString, page);
        bench->preferences().helpLanguage = language.toStdString();
        QCOMPARE(runAndMessage(command), QString());
        QCOMPARE(urls.urls.size(), 1);
        QCOMPARE(urls.urls[0].toLocalFile(), rootFile("sonarium/help/" + page.toStdString()));
        QCOMPARE(activity(), QStringLiteral("Launch help - done"));
    }

    void nothingToOpenAPageSaysSoAndShowsNoDone() {
        // A page that is not there, and a desktop without any opener.
        std::filesystem::remove(root->path() / "sonarium" / "help" / "_english.html");
        QVERIFY(runAndMessage(cmd::kHelpTopics).contains(QStringLiteral("does not exist")));
        QCOMPARE(activity(), QStringLiteral("Ready"));

        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        bench->preferences().helpLanguage = "Francais";
        const QString message = runAndMessage(cmd::kHelpTopics);
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
        QVERIFY2(message.contains(QStringLiteral("xdg-utils")), qPrintable(message));
        QCOMPARE(activity(), QStringLiteral("Ready"));
        QVERIFY(urls.urls.isEmpty());
    }

    void historyHelpOpensItsPage() {
        CHistoryDialog dialog(QString(), *reporter, "Francais", frame.get());
        dialog.open();
        click(&dialog, "item1345");
        QCOMPARE(urls.urls.size(), 1);
        QCOMPARE(urls.urls[0].toLocalFile(), rootFile("sonarium/help/TOOHIS_1.0_francais.html"));
        QVERIFY(std::filesystem::exists(urls.urls[0].toLocalFile().toStdString()));
        QVERIFY(reporter->reports.empty());
    }

    void calculatorOnPathOrThePageOfTheLanguage_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("page");
        QTest::newRow("desktop calculator") << "kcalc"
                                            << "English" << QString();
        QTest::newRow("the first one listed wins") << "gnome-calculator"
                                                   << "Francais" << QString();
        QTest::newRow("none, English") << QString() << "English"
                                       << "ENCalc.html";
        QTest::newRow("none, French") << QString() << "Francais"
                                      << "FRCalc.html";
    }

    void calculatorOnPathOrThePageOfTheLanguage() {
        QFETCH(QString, program);
        QFETCH(QString, language);
        QFETCH(QString, page);
        if (!program.isEmpty()) {
            makeProgram(programs->path() / program.toStdString());
            if (program == QStringLiteral("gnome-calculator"))
                makeProgram(programs->path() / "xcalc");
        }
        bench->preferences().helpLanguage = language.toStdString();
        QCOMPARE(runAndMessage(cmd::kCalculator), QString());
        if (program.isEmpty()) {
            QVERIFY(started.isEmpty());
            QCOMPARE(urls.urls.size(), 1);
            QCOMPARE(urls.urls[0].toLocalFile(), rootFile("sonarium/res/" + page.toStdString()));
        } else {
            QVERIFY(urls.urls.isEmpty());
            QCOMPARE(started.size(), 1);
            QCOMPARE(started[0].first,
                     QString::fromStdString((programs->path() / program.toStdString()).string()));
            QVERIFY(started[0].second.isEmpty());
        }
    }

    void mixerAndBpmCalculator() {
        // Nothing installed: a message each, nothing started, nothing opened.
        QVERIFY(runAndMessage(cmd::kMixer).contains(QStringLiteral("pavucontrol")));
        QVERIFY(runAndMessage(cmd::kBpmCalculator).contains(QStringLiteral("not installed")));
        QVERIFY(started.isEmpty());
        QVERIFY(urls.urls.isEmpty());

        makeProgram(programs->path() / "pavucontrol");
        const std::filesystem::path bpm = root->path() / "sonarium" / "bpmcalc" / "BPMcalc";
        makeProgram(bpm);
        QCOMPARE(runAndMessage(cmd::kMixer), QString());
        QCOMPARE(runAndMessage(cmd::kBpmCalculator), QString());
        QCOMPARE(started.size(), 2);
        QCOMPARE(started[0].first,
                 QString::fromStdString((programs->path() / "pavucontrol").string()));
        QCOMPARE(started[1].first, QString::fromStdString(bpm.string()));
    }

    void temporaryFolderFollowsSelectOutputPath() {
        const std::string chosen = files->path().string() + "/session/";
        std::filesystem::create_directories(chosen);
        whenModal([&chosen](QWidget* modal) {
            auto* dialog = qobject_cast<COutputPathnameDialog*>(modal);
            QVERIFY(dialog != nullptr);
            dialog->pathEdit()->setText(QString::fromStdString(chosen));
            dialog->accept();
        });
        frame->runCommand(cmd::kSelectOutputPath);
        QCOMPARE(runAndMessage(cmd::kOpenTemporaryFolder), QString());
        QCOMPARE(urls.urls.size(), 1);
        QCOMPARE(urls.urls[0].toLocalFile(), QString::fromStdString(chosen));
    }

    void aboutBoxButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("next"); // the dialog that follows the box, if any
        QTest::newRow("OK") << "item1" << QString();
        QTest::newRow("Release Info") << "item1141"
                                      << "CReleaseInfoDialog";
        QTest::newRow("Contact") << "item1142"
                                 << "CContactDialog";
    }

    void aboutBoxButtons() {
        QFETCH(QString, button);
        QFETCH(QString, next);
        QString followed;
        bool stayedOpen = false;
        whenModal([&](QWidget* box) {
            QCOMPARE(box->windowTitle(), QStringLiteral("About sonarium"));
            QVERIFY(box->findChild<QWidget*>(QStringLiteral("item1185")) != nullptr);
            QVERIFY(box->findChild<QLabel*>(QStringLiteral("fact2"))->text() ==
                    buildFacts().version);
            // Visit the site leaves the box open.
            click(box, "item1143");
            stayedOpen = box->isVisible();
            if (!next.isEmpty())
                whenModal([&](QWidget* dialog) {
                    followed = dialog->objectName();
                    static_cast<QDialog*>(dialog)->accept();
                });
            click(box, qPrintable(button));
        });
        frame->runCommand(cmd::kAbout);
        QVERIFY(stayedOpen);
        QCOMPARE(urls.urls.size(), 1);
        QCOMPARE(urls.urls[0].toString(), QString::fromLatin1(kWebSite));
        QCOMPARE(followed, next);
    }
};

QTEST_MAIN(HelpAndLaunchersTest)
#include "help_and_launchers_test.moc"
