#pragma once

#include <memory>

#include "online/HttpTransport.h"

namespace qlnx {

// The HTTP client library behind the fetcher: Qt Network's access manager, whose redirects
// wait for the fetcher's consent. The player reaches it only as the module qlnx-network.so.
std::unique_ptr<THttpTransport> MakeNetworkTransport();

} // namespace qlnx
