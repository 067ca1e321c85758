// The version set once in the top-level CMakeLists.txt.
#include "provenance/program_version.h"

namespace sonarium {

const char* programVersion() {
    return SONARIUM_VERSION;
}

} // namespace sonarium
