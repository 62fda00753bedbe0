#pragma once

#include <QString>

#include "online/HttpTransport.h"

namespace qlnx {

// The HTTP client as a module, loaded with the first lookup: the network library and what it
// brings (proxy detection, Kerberos) cost every start time and memory, and lookups are off
// unless the user turns them on.

// What the module exports: a transport owned by the caller.
inline constexpr char NetworkModuleEntry[] = "qlnx_make_http_transport";
inline constexpr char NetworkModuleFile[] = "qlnx-network.so";

// In lib/qlnx of the installation the program is in, else beside it.
QString NetworkModulePath(const QString& programDir);

// A transport factory for the module: the first call loads it. A module that cannot be
// loaded makes nothing (said once, as a warning), and every lookup then fails with a message.
TTransportFactory NetworkModuleTransport(const QString& path);

} // namespace qlnx
