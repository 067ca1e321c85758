// Synchronous playback for the completion sound: the player waited for in a local event loop.
#include "playback/completion_sound.h"

#include "playback/player.h"

#include <QEventLoop>

namespace sonarium {

bool playSoundAndWait(Reporter& reporter, const QString& path) {
    player sound(reporter);
    QEventLoop loop;
    bool ended = false;
    QObject::connect(&sound, &player::endOfPlay, &loop, [&] {
        ended = true;
        loop.quit();
    });
    if (sound.PlayFile(path) != player::kNoError)
        return false;
    // The player always ends: at the end of the sound, or when the device stops moving.
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return ended;
}

} // namespace sonarium
