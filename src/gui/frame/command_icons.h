// Icons of the menu items and toolbar buttons: the desktop theme's for a standard icon name, else
// the drawing shipped with the program under that name (":/icons/<name>.svg").
#pragma once

#include "frame/command_table.h"

#include <QIcon>
#include <QStringList>
#include <string_view>

namespace sonarium {

// The icon of a command; a null icon for a command that has none.
QIcon commandIcon(const CommandSpec& command);

// Whether a name belongs to the program's own set ("sonarium-..."), which no theme supplies.
bool isOwnIconName(std::string_view name);

// The resource path of the drawing shipped under an icon name, whether or not it exists.
QString shippedIconPath(std::string_view name);
// The drawing shipped under an icon name, whatever the theme; null when none ships.
QIcon shippedIcon(std::string_view name);
// The names of every shipped drawing, sorted.
QStringList shippedIconNames();

} // namespace sonarium
