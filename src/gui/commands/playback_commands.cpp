// The playback commands.
#include "commands/playback_commands.h"

#include "frame/command_table.h"
#include "playback/playback_controller.h"

namespace sonarium {

PlaybackCommands::PlaybackCommands(Session& session) {
    PlaybackController& player = session.player();
    session.setHandler(cmd::kPlay, [&player] { player.Play(); });
    session.setHandler(cmd::kPlayLooped, [&player] { player.PlayLooped(); });
    session.setHandler(cmd::kStop, [&player] { player.Stop(); });
}

} // namespace sonarium
