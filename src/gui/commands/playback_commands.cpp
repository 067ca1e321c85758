// The playback commands.
#include "commands/playback_commands.h"

#include "display/child_frame.h"
#include "frame/command_table.h"
#include "playback/playback_controller.h"

namespace sonarium {

PlaybackCommands::PlaybackCommands(Session& session) {
    PlaybackController& player = session.player();
    session.setHandler(cmd::kPlay, [&player] { player.Play(); });
    session.setHandler(cmd::kPlayLooped, [&player] { player.PlayLooped(); });
    session.setHandler(cmd::kStop, [&player] { player.Stop(); });
    session.setHandler(cmd::kPlaySelection, [&session, &player] {
        CChildFrame* window = session.activeWaveWindow();
        if (window == nullptr)
            return;
        // The whole file when nothing is marked; nothing for an empty selection.
        const CSonariumView& view = *window->view();
        if (view.selEnd <= view.selStart)
            return;
        player.PlayRange(window->document().GetPathName(), view.selStart,
                         qint64{view.selEnd} - qint64{view.selStart});
    });
}

} // namespace sonarium
