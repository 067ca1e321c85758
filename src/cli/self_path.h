// Where the running program lives, for the files shipped beside it.
#pragma once

#include <filesystem>

namespace sonarium {

// The folder of the running program (its own path through /proc/self/exe; the working folder
// where that cannot be read).
std::filesystem::path executableFolder();

} // namespace sonarium
