// The icons of the toolbars and menus: every button shows a drawing that exists with or without
// a desktop theme, the shipped drawings all parse on one grid, and a menu item shows the same icon
// as its toolbar button.
#include "frame/command_icons.h"
#include "frame/main_frame.h"
#include "support/qt_text.h"
#include "test_support.h"

#include <QFile>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <map>
#include <set>

using namespace sonarium;

namespace {

QImage render(const QIcon& icon, int size) {
    return icon.pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The share of an image's pixels that are not fully transparent.
double coverage(const QImage& image) {
    if (image.isNull())
        return 0.0;
    int seen = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 0)
                ++seen;
    return double(seen) / (image.width() * image.height());
}

QString label(const CommandSpec& command) {
    return QStringLiteral("%1 %2 (%3)").arg(command.id).arg(qs(command.caption), qs(command.icon));
}

// Every action reachable from the menu bar, submenus included, by command id.
void collectMenuActions(QMenu* menu, std::map<int, QAction*>& out) {
    for (QAction* action : menu->actions()) {
        if (action->menu() != nullptr)
            collectMenuActions(action->menu(), out);
        else if (!action->isSeparator() && action->data().isValid())
            out.emplace(action->data().toInt(), action);
    }
}

// The menus whose operations all show a waveform drawing.
bool isOperationMenu(MenuId menu) {
    switch (menu) {
    case MenuId::Edit:
    case MenuId::EditFade:
    case MenuId::Tool:
    case MenuId::Synthesis:
    case MenuId::Effect:
    case MenuId::Interaction:
        return true;
    default:
        return false;
    }
}

} // namespace

class CommandIconsTest : public QObject {
    Q_OBJECT

    test::TempAudioRoot root;

private slots:
    void initTestCase() {
        QCoreApplication::setOrganizationName(QStringLiteral("sonarium-tests"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(root.path().string()));
    }

    void everyToolbarButtonShowsADrawing_data() {
        QTest::addColumn<QString>("bar");
        QTest::newRow("tools") << QStringLiteral("toolsToolbar");
        QTest::newRow("effects") << QStringLiteral("effectsToolbar");
        QTest::newRow("synthesis") << QStringLiteral("synthesisToolbar");
    }

    void everyToolbarButtonShowsADrawing() {
        QFETCH(QString, bar);
        CMainFrame frame(CMainFrame::Options{});
        auto* toolbar = frame.findChild<QToolBar*>(bar);
        QVERIFY(toolbar != nullptr);
        const int size = toolbar->iconSize().width();
        int buttons = 0;
        for (QAction* action : toolbar->actions()) {
            if (action->isSeparator())
                continue;
            ++buttons;
            const CommandSpec* command = findCommand(action->data().toInt());
            QVERIFY(command != nullptr);
            const QString what = label(*command);
            QVERIFY2(!command->icon.empty(), qPrintable(what));
            QVERIFY2(!action->toolTip().isEmpty(), qPrintable(what));
            // A drawing ships for every button, so that it shows when no theme has the name.
            QVERIFY2(QFile::exists(shippedIconPath(command->icon)), qPrintable(what));
            const QImage shown = render(action->icon(), size);
            QVERIFY2(coverage(shown) > 0.05, qPrintable(what));
            // The picture is the theme's icon of the name or the shipped drawing, nothing else.
            const QString themeName = action->icon().name();
            const bool fromTheme = !isOwnIconName(command->icon) &&
                                   (themeName == qs(command->icon) ||
                                    themeName == qs(command->icon) + QLatin1String("-symbolic"));
            QVERIFY2(fromTheme || shown == render(shippedIcon(command->icon), size),
                     qPrintable(what));
        }
        QVERIFY(buttons > 15);
    }

    // Two buttons never share a picture, except the three spare buttons without a command.
    void toolbarButtonsHaveDistinctIcons() {
        std::map<std::string_view, int> owner;
        for (auto bar : {toolsToolbar(), effectsToolbar(), synthesisToolbar()}) {
            for (int id : bar) {
                if (id == cmd::kSeparator)
                    continue;
                const CommandSpec* command = findCommand(id);
                if (command->caption.empty())
                    continue;
                auto [it, added] = owner.emplace(command->icon, id);
                QVERIFY2(added, qPrintable(QStringLiteral("%1 and %2 both show %3")
                                               .arg(it->second)
                                               .arg(id)
                                               .arg(qs(command->icon))));
            }
        }
    }

    // Every name in the table ships as a drawing, and every drawing is used.
    void tableAndDrawingsMatch() {
        std::set<QString> used;
        for (const CommandSpec& command : commandTable()) {
            if (command.icon.empty())
                continue;
            used.insert(qs(command.icon));
            QVERIFY2(QFile::exists(shippedIconPath(command.icon)), qPrintable(label(command)));
        }
        const QStringList shipped = shippedIconNames();
        QVERIFY(shipped.size() > 60);
        for (const QString& name : shipped)
            QVERIFY2(used.count(name) == 1, qPrintable(name + QStringLiteral(" is not used")));
    }

    // Each drawing parses, sits on the 24-pixel grid and draws something; the program's own
    // drawings of one family share the frame colour of that family.
    void everyDrawingParsesOnTheGrid() {
        std::map<QString, QString> familyColour;
        const QRegularExpression family(QStringLiteral("^sonarium-(effect|synthesis|interaction|"
                                                       "tool|edit)-"));
        const QRegularExpression frameColour(
            QStringLiteral("<rect [^>]*stroke=\"(#[0-9a-f]{6})\""));
        for (const QString& name : shippedIconNames()) {
            const QString path = shippedIconPath(name.toStdString());
            QImageReader reader(path, "svg");
            QVERIFY2(reader.canRead(), qPrintable(name));
            QCOMPARE(reader.size(), QSize(24, 24));
            const QImage image = reader.read();
            QVERIFY2(!image.isNull(), qPrintable(name + QLatin1Char(' ') + reader.errorString()));
            QVERIFY2(coverage(image.convertToFormat(QImage::Format_ARGB32)) > 0.05,
                     qPrintable(name));

            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QVERIFY2(text.contains(QStringLiteral("viewBox=\"0 0 24 24\"")), qPrintable(name));
            const QRegularExpressionMatch member = family.match(name);
            if (!member.hasMatch())
                continue;
            const QRegularExpressionMatch colour = frameColour.match(text);
            QVERIFY2(colour.hasMatch(), qPrintable(name));
            auto [it, first] = familyColour.emplace(member.captured(1), colour.captured(1));
            QVERIFY2(first || it->second == colour.captured(1), qPrintable(name));
        }
        QCOMPARE(familyColour.size(), std::size_t(5));
    }

    // With no theme installed, the standard names show the shipped drawings.
    void standardIconsShowWithoutATheme() {
        const QString themeName = QIcon::themeName();
        const QStringList searchPaths = QIcon::themeSearchPaths();
        QTemporaryDir empty;
        QIcon::setThemeSearchPaths({empty.path()});
        QIcon::setThemeName(QStringLiteral("sonarium-absent-theme"));
        int standard = 0;
        for (const CommandSpec& command : commandTable()) {
            if (command.icon.empty() || isOwnIconName(command.icon))
                continue;
            ++standard;
            const QImage shown = render(commandIcon(command), 24);
            QVERIFY2(coverage(shown) > 0.05, qPrintable(label(command)));
            QVERIFY2(shown == render(shippedIcon(command.icon), 24), qPrintable(label(command)));
        }
        QIcon::setThemeSearchPaths(searchPaths);
        QIcon::setThemeName(themeName);
        QVERIFY(standard > 10);
    }

    void menusShowTheToolbarIcons() {
        CMainFrame frame(CMainFrame::Options{});
        std::map<int, QAction*> menuActions;
        for (QAction* top : frame.menuBar()->actions())
            collectMenuActions(top->menu(), menuActions);

        int compared = 0;
        for (QToolBar* bar : {frame.toolsBar(), frame.effectsBar(), frame.synthesisBar()}) {
            for (QAction* action : bar->actions()) {
                auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action));
                auto entry = menuActions.find(action->data().toInt());
                if (button == nullptr || entry == menuActions.end())
                    continue;
                ++compared;
                QVERIFY2(entry->second->isIconVisibleInMenu(), qPrintable(action->toolTip()));
                QVERIFY2(render(entry->second->icon(), 16) == render(button->icon(), 16),
                         qPrintable(action->toolTip()));
            }
        }
        QVERIFY(compared > 50);

        // The operations of the menus that are on no toolbar show their drawing as well.
        for (const CommandSpec& command : commandTable()) {
            if (!isOperationMenu(command.menu) || command.pattern != CommandPattern::Operation)
                continue;
            auto entry = menuActions.find(command.id);
            QVERIFY2(entry != menuActions.end(), qPrintable(label(command)));
            QVERIFY2(coverage(render(entry->second->icon(), 16)) > 0.05,
                     qPrintable(label(command)));
        }
    }
};

QTEST_MAIN(CommandIconsTest)
#include "command_icons_test.moc"
