#pragma once

#include <QString>

#include "audio/AudioOutput.h"

namespace qlnx {

// The sound system's output as a module loaded when it is first wanted. The player mostly
// leaves playing to its service, and the sound libraries alone add a tenth to its start-up and
// over a megabyte to its memory.

// What the module exports: a backend on the default audio output, owned by the caller, or
// nothing when there is no audio output.
inline constexpr char SinkModuleEntry[] = "qlnx_make_sink_backend";
inline constexpr char SinkModuleFile[] = "qlnx-audiosink.so";

// Where the module is: in lib/qlnx of the installation the program is in, else beside it (the
// build tree).
QString SinkModulePath(const QString& programDir);

// A backend factory for the module: the first call loads it. Nothing comes of a call when the
// module cannot be loaded (said once, as a warning) or there is no audio output.
TBackendFactory SinkModuleBackend(const QString& path);

} // namespace qlnx
