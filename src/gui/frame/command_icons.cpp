// Icons of the commands. The program's own icons (waveforms showing what an operation does to a
// sound, one colour per menu family) are SVG drawings compiled into the program; standard actions
// (open, save, play, copy, help...) take the desktop theme's icon and fall back on a drawing of
// the same name, so that every button shows a picture with or without a theme. The drawings are
// read by Qt's SVG icon engine.
#include "frame/command_icons.h"

#include "support/qt_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace sonarium {

namespace {

constexpr std::string_view kOwnPrefix = "sonarium-";
constexpr int kProbeSize = 16;

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

// The theme's icon of a standard name, or of its symbolic variant (some themes ship only
// those); null when the theme draws neither.
QIcon themeIcon(const QString& name) {
    for (const QString& candidate : {name, name + QLatin1String("-symbolic")}) {
        QIcon icon = QIcon::fromTheme(candidate);
        if (icon.isNull())
            continue;
        if (!icon.availableSizes().isEmpty() || !icon.pixmap(kProbeSize).isNull())
            return icon;
    }
    return {};
}

} // namespace

bool isOwnIconName(std::string_view name) {
    return name.starts_with(kOwnPrefix);
}

QString shippedIconPath(std::string_view name) {
    return QStringLiteral(":/icons/") + qs(name) + QStringLiteral(".svg");
}

QIcon shippedIcon(std::string_view name) {
    const QString path = shippedIconPath(name);
    return QFile::exists(path) ? QIcon(path) : QIcon();
}

QStringList shippedIconNames() {
    QStringList names;
    for (const QFileInfo& file :
         QDir(QStringLiteral(":/icons"))
             .entryInfoList({QStringLiteral("*.svg")}, QDir::Files, QDir::Name))
        names << file.completeBaseName();
    return names;
}

QIcon commandIcon(const CommandSpec& command) {
    if (command.icon.empty())
        return {};
    if (!isOwnIconName(command.icon)) {
        ensureIconTheme();
        QIcon themed = themeIcon(qs(command.icon));
        if (!themed.isNull())
            return themed;
    }
    return shippedIcon(command.icon);
}

} // namespace sonarium
