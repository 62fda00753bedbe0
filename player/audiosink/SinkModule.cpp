// The sound system's output as a module the player loads when it plays in its own process.

#include "audio/SinkModule.h"
#include "audiosink/AudioSinkBackend.h"

extern "C" Q_DECL_EXPORT qlnx::TOutputBackend* qlnx_make_sink_backend()
{
    return qlnx::MakeDefaultSinkBackend().release();
}
