// The keyboard's Caps, Num and Scroll Lock states, where the windowing system tells them.
#pragma once

#include <optional>

namespace sonarium {

struct LockStates {
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

// The current states on X11 (read through the X keyboard extension of the running display);
// nothing on other platforms, or when the X library cannot be loaded.
std::optional<LockStates> readLockStates();

} // namespace sonarium
