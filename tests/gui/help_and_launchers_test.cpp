// Help Topics, F1, the Help buttons and the help window, the calculators, the mixer, the BPM
// calculator, the temporary folder, the web site and the About box: what each opens or starts, and
// the message (never a "done") when nothing can.
#include "app/workbench.h"
#include "commands/help_commands.h"
#include "dialogs/about_dialogs.h"
#include "dialogs/workspace_dialogs.h"
#include "editor_fixture.h"
#include "frame/command_table.h"
#include "modal_helpers.h"
#include "support/help_window.h"
#include "support/launcher.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
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

// A click sent to the widget's window as the window system sends it: a window that a modal
// dialog blocks does not get it.
void clickAsUser(QWidget* widget, QPoint point) {
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, point));
}

void clickAsUser(QWidget* widget) {
    clickAsUser(widget, widget->rect().center());
}

// Clicks the first link of the page shown in the browser that points to href, as a user does.
void clickLink(QTextBrowser* browser, const QString& href) {
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isAnchor() || fragment.charFormat().anchorHref() != href)
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + 1);
            const QPoint point = browser->cursorRect(cursor).center();
            clickAsUser(browser->viewport(), point);
            return;
        }
    QFAIL(qPrintable(QStringLiteral("no link to ") + href));
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
        CHelpWindow* help = bench->help().helpWindow();
        QVERIFY(help != nullptr && help->isVisible());
        QCOMPARE(help->currentFile(), rootFile("sonarium/help/" + page.toStdString()));
        QVERIFY(!help->browser()->toPlainText().isEmpty());
        QCOMPARE(activity(), QStringLiteral("Launch help - done"));
        // Nothing went to the desktop until "Open in browser" hands it the page.
        QVERIFY(urls.urls.isEmpty());
        click(help, "helpOpenInBrowser");
        QCOMPARE(urls.urls.size(), 1);
        QCOMPARE(urls.urls[0].toLocalFile(), help->currentFile());
        // One window for the session: asking again shows the same one.
        frame->runCommand(cmd::kHelpTopics);
        QCOMPARE(bench->help().helpWindow(), help);
        QCOMPARE(frame->findChildren<CHelpWindow*>().size(), 1);
    }

    void f1OpensTheGeneralPage() {
        QTest::keyClick(frame.get(), Qt::Key_F1);
        QTRY_VERIFY(bench->help().helpWindow() != nullptr);
        QCOMPARE(bench->help().helpWindow()->currentFile(),
                 rootFile("sonarium/help/_english.html"));
    }

    void nothingToOpenAPageSaysSoAndShowsNoDone() {
        // A page that is not there, and a desktop without any opener for "Open in browser".
        std::filesystem::remove(root->path() / "sonarium" / "help" / "_english.html");
        QVERIFY(runAndMessage(cmd::kHelpTopics).contains(QStringLiteral("does not exist")));
        QCOMPARE(activity(), QStringLiteral("Ready"));
        QVERIFY(bench->help().helpWindow() == nullptr);

        bench->preferences().helpLanguage = "Francais";
        QCOMPARE(runAndMessage(cmd::kHelpTopics), QString());
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        reporter->reports.clear();
        click(bench->help().helpWindow(), "helpOpenInBrowser");
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &urls, "open");
        QCOMPARE(reporter->reports.size(), std::size_t(1));
        const QString message = QString::fromStdString(reporter->reports[0].text);
        QVERIFY2(message.contains(QStringLiteral("xdg-utils")), qPrintable(message));
        QVERIFY(urls.urls.isEmpty());
    }

    void historyHelpOpensItsPage() {
        CHistoryDialog dialog(QString(), *reporter, "Francais", frame.get());
        dialog.open();
        click(&dialog, "item1345");
        QVERIFY(urls.urls.isEmpty());
        QCOMPARE(bench->help().helpWindow()->currentFile(),
                 rootFile("sonarium/help/TOOHIS_1.0_francais.html"));
        QVERIFY(reporter->reports.empty());
    }

    // From a modal dialog, by its Help button or by F1: the window shows the dialog's page and
    // answers the mouse beside the dialog; a link changes the page and Back returns.
    void helpWindowBesideAModalDialog_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Help button") << false;
        QTest::newRow("F1") << true;
    }

    void helpWindowBesideAModalDialog() {
        QFETCH(bool, byKey);
        bool checked = false;
        whenModal([&](QWidget* modal) {
            // The dialog closes however the checks end.
            const auto close = qScopeGuard([modal] { static_cast<QDialog*>(modal)->reject(); });
            QCOMPARE(modal->objectName(), QStringLiteral("CPreferencesDialog"));
            if (byKey)
                QTest::keyClick(modal->focusWidget() != nullptr ? modal->focusWidget() : modal,
                                Qt::Key_F1);
            else
                click(modal, "help");
            CHelpWindow* help = bench->help().helpWindow();
            QVERIFY(help != nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(help));
            const QString page = rootFile("sonarium/help/TOOPRE_1.6_english.html");
            QCOMPARE(help->currentFile(), page);
            auto* back = help->findChild<QToolButton*>(QStringLiteral("helpBack"));
            auto* forward = help->findChild<QToolButton*>(QStringLiteral("helpForward"));
            QVERIFY(!back->isEnabled());

            clickLink(help->browser(), QStringLiteral("_english.html"));
            QTRY_COMPARE(help->currentFile(), rootFile("sonarium/help/_english.html"));
            QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Save As")));
            QVERIFY(back->isEnabled());
            clickAsUser(back);
            QTRY_COMPARE(help->currentFile(), page);
            QVERIFY(forward->isEnabled());
            clickAsUser(forward);
            QTRY_COMPARE(help->currentFile(), rootFile("sonarium/help/_english.html"));
            checked = true;
        });
        frame->runCommand(cmd::kPreferences);
        QVERIFY(checked);
        // The window outlives the dialog and still answers.
        CHelpWindow* help = bench->help().helpWindow();
        QVERIFY(help->isVisible());
        clickLink(help->browser(), QStringLiteral("_francais.html"));
        QTRY_COMPARE(help->currentFile(), rootFile("sonarium/help/_francais.html"));
    }

    void findInPageAndInAllPages_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("inPage");       // on the Volume page
        QTest::addColumn<QStringList>("pages"); // among the English pages
        QTest::newRow("on this page only")
            << "Reverted Overload" << true << QStringList{"EFFVOL_1.0_english.html"};
        QTest::newRow("letter case ignored")
            << "reverted overload" << true << QStringList{"EFFVOL_1.0_english.html"};
        QTest::newRow("elsewhere")
            << "Gaussian" << false << QStringList{"SYNGAU_1.0_english.html", "_english.html"};
        QTest::newRow("nowhere") << "xyzzy-not-there" << false << QStringList{};
    }

    void findInPageAndInAllPages() {
        QFETCH(QString, text);
        QFETCH(bool, inPage);
        QFETCH(QStringList, pages);
        bench->help().showHelp(rootFile("sonarium/help/EFFVOL_1.0_english.html"));
        CHelpWindow* help = bench->help().helpWindow();
        QCOMPARE(help->findInPage(text), inPage);
        if (inPage) {
            QCOMPARE(help->browser()->textCursor().selectedText().toLower(), text.toLower());
            QVERIFY(help->findInPage(text)); // again: round from the top
        }
        QStringList found;
        for (const QString& file : help->findInAllPages(text))
            found << QFileInfo(file).fileName();
        for (const QString& page : pages)
            QVERIFY2(found.contains(page), qPrintable(page));
        for (const QString& file : found)
            QVERIFY2(file.endsWith(QStringLiteral("_english.html")), qPrintable(file));
        if (pages.isEmpty())
            QVERIFY(found.isEmpty());
        // A result opens its page.
        auto* results = help->findChild<QListWidget*>(QStringLiteral("helpResults"));
        QVERIFY(results->isVisible());
        if (!found.isEmpty()) {
            QTest::mouseClick(results->viewport(), Qt::LeftButton, {},
                              results->visualItemRect(results->item(0)).center());
            QTRY_VERIFY(help->currentFile().endsWith(found[0]));
        }
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
