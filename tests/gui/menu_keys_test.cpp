// The keyboard's way through the menus: within one menu (a submenu is a menu of its own) no two
// entries share a mnemonic, the menus of the bar do not either, and no menu of the bar takes a
// letter an Alt+letter command shortcut already has.
#include "frame/command_table.h"
#include "frame/main_frame.h"
#include "test_support.h"

#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QtTest>
#include <map>
#include <set>

using namespace sonarium;

namespace {

// The mnemonic letters of a caption, lower case: each '&' not doubled marks the next character.
QString mnemonics(QString caption) {
    caption.replace(QStringLiteral("&&"), QString());
    QString letters;
    for (qsizetype i = caption.indexOf(QLatin1Char('&')); i >= 0 && i + 1 < caption.size();
         i = caption.indexOf(QLatin1Char('&'), i + 1))
        letters += caption.at(i + 1).toLower();
    return letters;
}

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

using Entries = QList<QPair<QString, QString>>; // caption, its mnemonic letters

// Every menu's entries as the command table lays them out: commands, submenus and, for the menu
// bar (MenuId::None), the menus' titles.
std::map<MenuId, Entries> tableMenus() {
    std::map<MenuId, Entries> menus;
    std::set<std::pair<MenuId, int>> seen; // a command shares its row between menus, not within
    for (const CommandSpec& command : commandTable())
        if (command.menu != MenuId::None && seen.insert({command.menu, command.id}).second)
            menus[command.menu] << std::pair(text(command.caption),
                                             mnemonics(text(command.caption)));
    for (const auto& [menu, entries] : std::map<MenuId, Entries>(menus)) {
        const QString title = text(menuTitle(menu));
        if (parentMenu(menu) != MenuId::None)
            menus[parentMenu(menu)] << std::pair(title, mnemonics(title));
    }
    for (MenuId menu : topMenus())
        menus[MenuId::None] << std::pair(text(menuTitle(menu)), mnemonics(text(menuTitle(menu))));
    return menus;
}

// The letters the command table's Alt+letter shortcuts take.
QSet<QChar> altLetterShortcuts() {
    QSet<QChar> letters;
    for (const CommandSpec& command : commandTable())
        for (const QString& key :
             text(command.shortcuts).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QKeySequence sequence(key);
            const QKeyCombination combination = sequence[0];
            if (sequence.count() == 1 && combination.keyboardModifiers() == Qt::AltModifier &&
                combination.key() >= Qt::Key_A && combination.key() <= Qt::Key_Z)
                letters << QChar(u'a' + (combination.key() - Qt::Key_A));
        }
    return letters;
}

// Which captions of the entries share a letter, as "a: Select &All, F&ade".
QStringList clashes(const Entries& entries) {
    QMap<QChar, QStringList> byLetter;
    for (const auto& [caption, letters] : entries)
        if (!letters.isEmpty())
            byLetter[letters.at(0)] << caption;
    QStringList out;
    for (auto it = byLetter.cbegin(); it != byLetter.cend(); ++it)
        if (it.value().size() > 1)
            out << QString(it.key()) + QStringLiteral(": ") + it.value().join(QStringLiteral(", "));
    return out;
}

} // namespace

class MenuKeysTest : public QObject {
    Q_OBJECT

    test::TempAudioRoot root;

private slots:
    void initTestCase() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root.path().string()));
    }

    void mnemonicsOfCaptions_data() {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("letters");
        QTest::newRow("none") << "Print"
                              << "";
        QTest::newRow("first letter") << "&Open..."
                                      << "o";
        QTest::newRow("inside, upper case") << "Effe&ct"
                                            << "c";
        QTest::newRow("doubled is a plain ampersand") << "Bass && &Treble"
                                                      << "t";
        QTest::newRow("two marks") << "Sim&ple &Formula"
                                   << "pf";
        QTest::newRow("trailing mark") << "End &"
                                       << "";
    }

    void mnemonicsOfCaptions() {
        QFETCH(QString, caption);
        QFETCH(QString, letters);
        QCOMPARE(mnemonics(caption), letters);
        // The letter Qt acts on is the first one.
        const QKeySequence qt = QKeySequence::mnemonic(caption);
        QCOMPARE(qt.isEmpty(), letters.isEmpty());
    }

    void everyMenuOfTheTableHasDistinctMnemonics_data() {
        QTest::addColumn<int>("menu");
        for (const auto& [menu, entries] : tableMenus())
            QTest::newRow(menu == MenuId::None ? "menu bar" : qPrintable(text(menuTitle(menu))))
                << static_cast<int>(menu);
    }

    void everyMenuOfTheTableHasDistinctMnemonics() {
        QFETCH(int, menu);
        const Entries entries = tableMenus().at(static_cast<MenuId>(menu));
        QVERIFY(entries.size() > 1);
        for (const auto& [caption, letters] : entries)
            QVERIFY2(letters.size() <= 1,
                     qPrintable(caption + QStringLiteral(" marks ") + letters));
        const QStringList shared = clashes(entries);
        QVERIFY2(shared.isEmpty(), qPrintable(shared.join(QStringLiteral("; "))));
    }

    void menusOfTheBarKeepClearOfAltLetterShortcuts() {
        const QSet<QChar> taken = altLetterShortcuts();
        // The table's own accelerators, so that an empty set cannot pass unnoticed.
        for (QChar letter : {u'd', u'f', u'h', u'm', u's', u'y'})
            QVERIFY(taken.contains(letter));
        for (MenuId menu : topMenus()) {
            const QString title = text(menuTitle(menu));
            QVERIFY2(!mnemonics(title).isEmpty(), qPrintable(title));
            QVERIFY2(!taken.contains(mnemonics(title).at(0)), qPrintable(title));
        }
    }

    // A key sequence runs one command: no two rows of different commands share one.
    void noTwoCommandsShareAKey() {
        std::map<QString, std::set<int>> byKey; // in the platform's portable text
        for (const CommandSpec& command : commandTable())
            for (const QString& key :
                 text(command.shortcuts).split(QLatin1Char(';'), Qt::SkipEmptyParts))
                byKey[QKeySequence(key).toString(QKeySequence::PortableText)].insert(command.id);
        QVERIFY(byKey.count(QStringLiteral("Ctrl+Space")) == 1); // Play Selection's
        QVERIFY(byKey.count(QStringLiteral("+")) == 1);          // Zoom In's
        for (const auto& [key, ids] : byKey)
            QVERIFY2(ids.size() == 1, qPrintable(key));
    }

    // The menus as built, which add entries of their own (the recent files): the same rule.
    void builtMenusHaveDistinctMnemonics() {
        CMainFrame frame(CMainFrame::Options{});
        QList<QMenu*> pending;
        Entries bar;
        for (QAction* action : frame.menuBar()->actions()) {
            bar << std::pair(action->text(), mnemonics(action->text()));
            pending << action->menu();
        }
        QVERIFY(clashes(bar).isEmpty());
        int menus = 0;
        while (!pending.isEmpty()) {
            QMenu* menu = pending.takeFirst();
            ++menus;
            Entries entries;
            for (QAction* action : menu->actions()) {
                if (action->isSeparator())
                    continue;
                entries << std::pair(action->text(), mnemonics(action->text()));
                if (action->menu() != nullptr)
                    pending << action->menu();
            }
            const QStringList shared = clashes(entries);
            QVERIFY2(shared.isEmpty(), qPrintable(menu->title() + QStringLiteral(": ") +
                                                  shared.join(QStringLiteral("; "))));
        }
        QCOMPARE(menus, int(topMenus().size()) + 4); // Import, Export, Recent File, Fade
    }
};

QTEST_MAIN(MenuKeysTest)
#include "menu_keys_test.moc"
