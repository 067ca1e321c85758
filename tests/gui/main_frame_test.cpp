// The main window's menus, toolbars, control bar and enabling rules.
#include "frame/control_bar.h"
#include "frame/main_frame.h"
#include "test_support.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>

using namespace sonarium;

namespace {

// Commands whose enabling rules the tests try, by the ids of their menu rows.
constexpr int kVolume = 32794;
constexpr int kAffine = 32772;
constexpr int kFormula = 32798;
constexpr int kInsertSilence = 33062;
constexpr int kInsertClipboard = 33063;
constexpr int kInsertAuxiliary = 33064;
constexpr int kMerge = 33034;
constexpr int kMonoToStereo = 32939;
constexpr int kSplitStereo = 32940;
constexpr int kStereoToMono = 32938;
constexpr int kGroupToStereo = 32943;
constexpr int kMix = 32946;

QStringList menuCaptions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return out;
}

QMenu* topMenu(QMainWindow& frame, const QString& title) {
    for (QAction* a : frame.menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

} // namespace

class MainFrameTest : public QObject {
    Q_OBJECT

    test::TempAudioRoot root;

private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("sonarium-tests"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root.path().string()));
    }

    void menusCarryTheTableCaptionsAndShortcuts() {
        CMainFrame frame(CMainFrame::Options{});
        QStringList titles;
        for (QAction* a : frame.menuBar()->actions())
            titles << a->text();
        QCOMPARE(titles, (QStringList{"Fi&le", "&Edit", "&View", "&Tool", "Sy&nthesis", "Effe&ct",
                                      "&Interaction", "&Option", "&Window", "Hel&p"}));
        QMenu* effect = topMenu(frame, QStringLiteral("Effe&ct"));
        QVERIFY(effect != nullptr);
        const QStringList effects = menuCaptions(effect);
        QVERIFY(effects.contains(QStringLiteral("&Volume")));
        QVERIFY(effects.contains(QStringLiteral("S&aturate")));
        QVERIFY(!effects.contains(QStringLiteral("Silent zone"))); // toolbar only
        QCOMPARE(frame.action(cmd::kOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(frame.action(kVolume)->shortcut(), QKeySequence(QStringLiteral("V")));
        QCOMPARE(frame.action(cmd::kStop)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(QStringLiteral("Shift+Space")),
                                      QKeySequence(Qt::Key_Escape)}));
        // Every command of the table has exactly one action, found under its id.
        for (const CommandSpec& command : commandTable())
            QVERIFY2(frame.action(command.id) != nullptr, qPrintable(QString::number(command.id)));
    }

    void controlBarAndStatusBar() {
        CMainFrame frame(CMainFrame::Options{});
        ControlBar* bar = frame.controlBar();
        QCOMPARE(bar->addButton()->text(), QStringLiteral("&Add..."));
        QStringList labels;
        for (QLabel* label : bar->findChildren<QLabel*>())
            labels << label->text();
        QCOMPARE(labels,
                 (QStringList{"&Source :", "Au&x :", "HDD :", "MB", "RAM :", "MB", "Activity :"}));
        QCOMPARE(bar->activityField()->text(), QStringLiteral("Ready"));
        QVERIFY(bar->activityField()->isReadOnly());
        for (const char* name : {"indicatorCAP", "indicatorNUM", "indicatorSCRL"})
            QVERIFY(frame.statusBar()->findChild<QLabel*>(QString::fromLatin1(name)) != nullptr);
    }

    void noToolbarsHidesTheTwoSpecialBars() {
        CMainFrame::Options options;
        options.toolbars = false;
        CMainFrame frame(options);
        frame.show();
        QVERIFY(frame.toolsBar()->isVisible());
        QVERIFY(!frame.effectsBar()->isVisible());
        QVERIFY(!frame.synthesisBar()->isVisible());
        frame.showSpecialToolbars(true, false);
        QVERIFY(frame.effectsBar()->isVisible());
    }

    void enablingFollowsTheRules_data() {
        QTest::addColumn<int>("selectionState");
        QTest::addColumn<bool>("sourceStereo");
        QTest::addColumn<bool>("auxStereo");
        QTest::addColumn<QList<int>>("enabled");
        QTest::addColumn<QList<int>>("disabled");
        // The spare operation rows (Inertia, Doppler...) have a rule of their own for the
        // operation that will take them; without a declaration they get no handler.
        const QList<int> never = {33052, 33055, 32893, 32914, 32970, 32895, 34001, 34002, 34003};
        QTest::newRow("empty list")
            << 0 << false << false
            << QList<int>{cmd::kOpen, cmd::kAddToList, kAffine, cmd::kClearTempDir,
                          cmd::kPreferences}
            << (QList<int>{kVolume, cmd::kSaveAs, cmd::kClearList, kFormula, kMonoToStereo,
                           cmd::kPlay, cmd::kStop, cmd::kCloseAll, kInsertSilence, kInsertClipboard,
                           kMerge} +
                never);
        QTest::newRow("one mono file")
            << 1 << false << false
            << QList<int>{kVolume,        cmd::kSaveAs,     kMonoToStereo, cmd::kHistory,
                          kInsertSilence, kInsertClipboard, kMerge}
            << (QList<int>{kFormula, kInsertAuxiliary, kStereoToMono, kSplitStereo, kGroupToStereo,
                           kMix} +
                never);
        QTest::newRow("one stereo file")
            << 1 << true << true << QList<int>{kStereoToMono, kSplitStereo}
            << (QList<int>{kMonoToStereo, kFormula} + never);
        QTest::newRow("two mono files")
            << 2 << false << false << QList<int>{kFormula, kInsertAuxiliary, kGroupToStereo, kMix}
            << never;
        QTest::newRow("stereo source, mono aux")
            << 2 << true << false << QList<int>{kFormula, kMix, kSplitStereo}
            << (QList<int>{kGroupToStereo, kMonoToStereo} + never);
    }

    void enablingFollowsTheRules() {
        QFETCH(int, selectionState);
        QFETCH(bool, sourceStereo);
        QFETCH(bool, auxStereo);
        QFETCH(QList<int>, enabled);
        QFETCH(QList<int>, disabled);
        CMainFrame frame(CMainFrame::Options{});
        int ran = 0;
        for (const CommandSpec& command : commandTable())
            if (command.id != cmd::kQuit)
                frame.setHandler(command.id, [&ran] { ++ran; });
        EnablingState state;
        state.selectionState = selectionState;
        state.sourceIsStereo = sourceStereo;
        state.auxIsStereo = auxStereo;
        frame.setEnablingInputs(state);
        for (int id : enabled)
            QVERIFY2(frame.action(id)->isEnabled(), qPrintable(QString::number(id)));
        for (int id : disabled) {
            QVERIFY2(!frame.action(id)->isEnabled(), qPrintable(QString::number(id)));
            // A disabled command does nothing, whichever way it is asked for.
            frame.runCommand(id);
            frame.action(id)->trigger();
        }
        QCOMPARE(ran, 0);
    }

    void shortcutOfADisabledCommandDoesNothing() {
        CMainFrame frame(CMainFrame::Options{});
        int volumes = 0;
        frame.setHandler(kVolume, [&] { ++volumes; });
        frame.show();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QTest::keyClick(&frame, Qt::Key_V);
        QCOMPARE(volumes, 0);
        EnablingState state;
        state.selectionState = 1;
        frame.setEnablingInputs(state);
        QTest::keyClick(&frame, Qt::Key_V);
        QCOMPARE(volumes, 1);
    }

    void playbackFlagsDriveTheirCommands() {
        CMainFrame frame(CMainFrame::Options{});
        for (int id : {cmd::kPlay, cmd::kPlayLooped, cmd::kStop})
            frame.setHandler(id, [] {});
        EnablingState state;
        state.selectionState = 1;
        state.playAllowed = true;
        state.playLoopedAllowed = true;
        frame.setEnablingInputs(state);
        QVERIFY(frame.action(cmd::kPlay)->isEnabled());
        QVERIFY(!frame.action(cmd::kStop)->isEnabled());
        state.playAllowed = state.playLoopedAllowed = false;
        state.playing = true;
        frame.setEnablingInputs(state);
        QVERIFY(!frame.action(cmd::kPlay)->isEnabled());
        QVERIFY(!frame.action(cmd::kPlayLooped)->isEnabled());
        QVERIFY(frame.action(cmd::kStop)->isEnabled());
    }

    void recentFilesKeepTenNewestFirst() {
        CMainFrame frame(CMainFrame::Options{});
        for (int i = 0; i < 12; ++i)
            frame.addRecentFile(QStringLiteral("/sounds/%1.wav").arg(i));
        frame.addRecentFile(QStringLiteral("/sounds/5.wav"));
        const QStringList files = frame.recentFiles();
        QCOMPARE(files.size(), 10);
        QCOMPARE(files.front(), QStringLiteral("/sounds/5.wav"));
        QCOMPARE(files.at(1), QStringLiteral("/sounds/11.wav"));
        QCOMPARE(files.count(QStringLiteral("/sounds/5.wav")), 1);
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
