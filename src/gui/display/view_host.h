// What a waveform window needs from the main frame; the frame implements it, tests fake it.
#pragma once

#include "base/reporter.h"
#include "operations/operation.h"

#include <cstdint>
#include <optional>
#include <string>

namespace sonarium {

// The preferences a waveform window reads.
struct ViewPreferences {
    bool randomWaveColour = false;      // "Random waveform color"
    bool greenWaveColour = false;       // "Green waveform (default is blue)"
    bool stopPlayingOnFocusLoss = true; // "Stop playing while loosing focus (recommended)"
};

class ViewHost {
public:
    virtual ~ViewHost() = default;

    virtual Reporter& reporter() = 0;
    virtual ViewPreferences viewPreferences() const = 0;
    // The working list's counter of temporary files; it seeds the random waveform colour.
    virtual int tempCounter() const = 0;

    virtual void StopPlaying() = 0;
    // Puts the file in the working list and makes it the Source file.
    virtual void AddToList(const std::string& path, int channels) = 0;
    // A waveform window has taken the focus (Close All becomes possible).
    virtual void waveWindowFocused() {}
    // 2 while the selectors are being changed by the frame itself: the Source is then left alone.
    virtual int selectionState() const { return 0; }
    virtual void OnSourceChanged() {}
    // The frame of the file at path being heard now, while it plays; nothing otherwise.
    virtual std::optional<double> playingFrame(const std::string& /*path*/) const {
        return std::nullopt;
    }

    // The next numbered path in the output directory.
    virtual std::string NextTempPath() = 0;
    // Runs an operation's job with its default parameters and no dialog, its result written to
    // destination and opened.
    virtual JobOutcome runOperation(const OperationDecl& operation, const JobInput& input,
                                    const std::string& destination) = 0;
};

} // namespace sonarium
