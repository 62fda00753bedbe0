// The HTTP client as a module the player loads with its first online lookup.

#include "online/NetworkModule.h"
#include "network/NetworkTransport.h"

extern "C" Q_DECL_EXPORT qlnx::THttpTransport* qlnx_make_http_transport()
{
    return qlnx::MakeNetworkTransport().release();
}
