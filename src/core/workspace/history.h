// The History text: one line per occupied slot with the time it was filled and its path.
#pragma once

#include "workspace/working_list.h"

#include <string>

namespace sonarium {

// "%03u - %X - path\r\n" for every occupied slot in slot order, the time in local time.
std::string historyText(const WorkingList& list);

} // namespace sonarium
