// Icons for the three toolbars.
#include "frame/command_icons.h"

#include "support/qt_text.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QStandardPaths>

namespace sonarium {

namespace {

// Qt finds no theme outside a desktop session; fall back on one that is installed.
void ensureIconTheme() {
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QIcon::themeName().isEmpty() && QIcon::themeName() != QLatin1String("hicolor"))
        return;
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& dir :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory))
        if (!paths.contains(dir))
            paths << dir;
    QIcon::setThemeSearchPaths(paths);
    for (const char* candidate : {"Adwaita", "breeze", "oxygen", "Tango"}) {
        for (const QString& base : QIcon::themeSearchPaths()) {
            if (QFileInfo::exists(base + QLatin1Char('/') + QLatin1String(candidate) +
                                  QLatin1String("/index.theme"))) {
                QIcon::setThemeName(QLatin1String(candidate));
                return;
            }
        }
    }
}

QColor familyColour(MenuId menu) {
    switch (menu) {
    case MenuId::Effect:
        return QColor(0, 0, 128);
    case MenuId::Synthesis:
        return QColor(0, 110, 0);
    case MenuId::Interaction:
        return QColor(128, 0, 96);
    case MenuId::Tool:
        return QColor(150, 80, 0);
    case MenuId::Edit:
    case MenuId::EditFade:
        return QColor(0, 100, 120);
    default:
        return QColor(80, 80, 80);
    }
}

} // namespace

QString iconLabel(std::string_view caption) {
    QString text = qs(caption);
    text.remove(QLatin1Char('&'));
    const QStringList words =
        text.split(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QStringLiteral("?");
    if (words.size() == 1)
        return words.front().left(3);
    QString initials;
    for (const QString& word : words)
        if (initials.size() < 3)
            initials += word.front().toUpper();
    return initials;
}

QIcon commandIcon(const CommandSpec& command, int size) {
    ensureIconTheme();
    if (!command.icon.empty()) {
        const QString name = qs(command.icon);
        for (const QString& candidate : {name, name + QLatin1String("-symbolic")}) {
            QIcon icon = QIcon::fromTheme(candidate);
            if (!icon.isNull() && !icon.availableSizes().isEmpty())
                return icon;
            if (!icon.isNull() && !icon.pixmap(size).isNull())
                return icon;
        }
    }
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colour =
        command.menu == MenuId::None && command.pattern == CommandPattern::Operation
            ? familyColour(MenuId::Effect)
            : familyColour(command.menu);
    painter.setBrush(colour);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(1, 1, size - 2, size - 2), size / 6.0, size / 6.0);
    QFont font(QStringLiteral("Liberation Sans"));
    const QString label = iconLabel(command.caption);
    font.setPixelSize(std::max(6, size * (label.size() > 2 ? 9 : 11) / 24));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(picture.rect(), Qt::AlignCenter, label);
    painter.end();
    return QIcon(picture);
}

} // namespace sonarium
