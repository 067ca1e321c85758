// Toolbar icons: the desktop's icon theme where a standard icon fits, else a small drawn one.
#pragma once

#include "frame/command_table.h"

#include <QIcon>

namespace sonarium {

QIcon commandIcon(const CommandSpec& command, int size);

// The short label drawn on an icon: initials of the caption's words, or its first three letters.
QString iconLabel(std::string_view caption);

} // namespace sonarium
