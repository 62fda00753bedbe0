#pragma once

#include <memory>

#include "audio/AudioOutput.h"

namespace qlnx {

// The one place the player reaches the sound system (Qt Multimedia); everything else of the
// output is plain Qt Core.

// The system's default audio output through QAudioSink in pull mode; nothing when there is no
// audio output. Lives in the thread that created it.
std::unique_ptr<TOutputBackend> MakeDefaultSinkBackend();

// The default audio output, again the default output when that fails, and silence paced by
// the monotonic clock when there is none. With stallAfterMs, every play starts on an output
// that stalls that far into it (see TStallingBackend), to try out what follows.
std::unique_ptr<TAudioOutput> MakeSystemAudioOutput(int stallAfterMs = 0);

} // namespace qlnx
