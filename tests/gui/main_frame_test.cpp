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
#include <QToolButton>
#include <QtTest>

using namespace sonarium;

namespace {

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
        QCOMPARE(titles, (QStringList{"Fi&le", "&Edit", "&Tool", "Sy&nthesis", "Effe&ct",
                                      "&Interaction", "&Option", "&Window", "Hel&p"}));
        QMenu* effect = topMenu(frame, QStringLiteral("Effe&ct"));
        QVERIFY(effect != nullptr);
        const QStringList effects = menuCaptions(effect);
        QVERIFY(effects.contains(QStringLiteral("&Volume")));
        QVERIFY(effects.contains(QStringLiteral("S&aturate")));
        QVERIFY(!effects.contains(QStringLiteral("Silent zone"))); // toolbar only
        QCOMPARE(frame.action(cmd::kOpen)->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(frame.action(cmd::kVolume)->shortcut(), QKeySequence(QStringLiteral("V")));
        QCOMPARE(frame.action(cmd::kStop)->shortcuts(),
                 (QList<QKeySequence>{QKeySequence(QStringLiteral("Shift+Space")),
                                      QKeySequence(Qt::Key_Escape)}));
        // Every command of the table has exactly one action, found under its id.
        for (const CommandSpec& command : commandTable())
            QVERIFY2(frame.action(command.id) != nullptr, qPrintable(QString::number(command.id)));
    }

    void toolbarsHoldTheirButtonsInOrder() {
        CMainFrame frame(CMainFrame::Options{});
        struct Bar {
            QToolBar* bar;
            std::span<const int> ids;
            int iconSize;
        };
        const Bar bars[] = {{frame.toolsBar(), toolsToolbar(), 16},
                            {frame.effectsBar(), effectsToolbar(), 32},
                            {frame.synthesisBar(), synthesisToolbar(), 32}};
        for (const Bar& b : bars) {
            const QList<QAction*> actions = b.bar->actions();
            QCOMPARE(actions.size(), qsizetype(b.ids.size()));
            for (std::size_t i = 0; i < b.ids.size(); ++i) {
                QAction* a = actions[qsizetype(i)];
                if (b.ids[i] == cmd::kSeparator) {
                    QVERIFY(a->isSeparator());
                    continue;
                }
                QCOMPARE(a->data().toInt(), b.ids[i]);
                QVERIFY(!a->toolTip().isEmpty());
                QVERIFY(!a->icon().isNull());
            }
            QCOMPARE(b.bar->iconSize(), QSize(b.iconSize, b.iconSize));
        }
        QCOMPARE(frame.toolsBar()->windowTitle(), QStringLiteral("Tools"));
        QCOMPARE(frame.effectsBar()->windowTitle(), QStringLiteral("Effects"));
        QCOMPARE(frame.synthesisBar()->windowTitle(), QStringLiteral("Synthesis and Interactions"));
        QCOMPARE(frame.toolBarArea(frame.synthesisBar()), Qt::LeftToolBarArea);
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
        const QList<int> never = {33052, 33055, 32930, 32774, 32904, 32786, 32796, 32884,
                                  32883, 32893, 32914, 32970, 32895, 34001, 34002, 34003};
        QTest::newRow("empty list")
            << 0 << false << false
            << QList<int>{cmd::kOpen, cmd::kAddToList, cmd::kAffine, cmd::kClearTempDir,
                          cmd::kPreferences}
            << (QList<int>{cmd::kVolume, cmd::kSaveAs, cmd::kClearList, cmd::kFormula,
                           cmd::kMonoToStereo, cmd::kPlay, cmd::kStop, cmd::kCloseAll} +
                never);
        QTest::newRow("one mono file")
            << 1 << false << false
            << QList<int>{cmd::kVolume, cmd::kSaveAs, cmd::kMonoToStereo, cmd::kHistory}
            << (QList<int>{cmd::kFormula, cmd::kInsertAuxiliary, cmd::kStereoToMono,
                           cmd::kSplitStereo, cmd::kGroupToStereo, cmd::kMix} +
                never);
        QTest::newRow("one stereo file")
            << 1 << true << true << QList<int>{cmd::kStereoToMono, cmd::kSplitStereo}
            << (QList<int>{cmd::kMonoToStereo, cmd::kFormula} + never);
        QTest::newRow("two mono files")
            << 2 << false << false
            << QList<int>{cmd::kFormula, cmd::kInsertAuxiliary, cmd::kGroupToStereo, cmd::kMix}
            << never;
        QTest::newRow("stereo source, mono aux")
            << 2 << true << false << QList<int>{cmd::kFormula, cmd::kMix, cmd::kSplitStereo}
            << (QList<int>{cmd::kGroupToStereo, cmd::kMonoToStereo} + never);
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
        frame.setHandler(cmd::kVolume, [&] { ++volumes; });
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

    void screenshot() {
        const QByteArray out = qgetenv("SONARIUM_SCREENSHOT");
        if (out.isEmpty())
            QSKIP("set SONARIUM_SCREENSHOT=file.png to save a picture of the window");
        CMainFrame frame(CMainFrame::Options{});
        frame.resize(1280, 800);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(frame.grab().save(QString::fromLocal8Bit(out)));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
