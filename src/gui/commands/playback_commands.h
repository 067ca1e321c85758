// Play, Play Looped, Stop and Play Selection on the session's player.
#pragma once

#include "commands/session.h"

namespace sonarium {

class PlaybackCommands {
public:
    // Installs the commands.
    explicit PlaybackCommands(Session& session);
};

} // namespace sonarium
