// The sound played when an operation completes, waited for until it has been heard.
#pragma once

#include "base/reporter.h"

#include <QString>

namespace sonarium {

// Plays the file and returns once it has finished (or failed, the failure being reported).
// Returns true when the sound was played to its end.
bool playSoundAndWait(Reporter& reporter, const QString& path);

} // namespace sonarium
