// The version of this build, as the records and --version give it.
#pragma once

namespace sonarium {

const char* programVersion();

} // namespace sonarium
