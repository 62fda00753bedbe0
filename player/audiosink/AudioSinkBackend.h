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
// the monotonic clock when there is none (see MakeAudioOutput). Inline, so the module made of
// this library holds the sink alone.
inline std::unique_ptr<TAudioOutput> MakeSystemAudioOutput(int stallAfterMs = 0)
{
    return MakeAudioOutput(MakeDefaultSinkBackend, stallAfterMs);
}

} // namespace qlnx
