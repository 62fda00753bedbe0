#pragma once

#include <QString>

namespace qlnx {

// Where this user's local sockets live, so that nobody else can take their names: the
// runtime directory when it is a directory of ours that only we may enter, else a directory
// of ours under the temporary directory, made private and checked before every use. Empty,
// with why in error, when neither can be had.
QString PrivateSocketDirectory(QString* error = nullptr);

// What is at a socket's path.
enum class TSocketName
{
    Free,   // nothing
    Ours,   // a socket of this user (live or left behind)
    Foreign // anything else: never connected to, never removed
};
TSocketName InspectSocketName(const QString& name);

// Whether the process at the other end of a connected local socket runs as this user.
bool PeerIsUs(qintptr descriptor);
// The process at the other end; 0 when it cannot be told.
qint64 PeerPid(qintptr descriptor);

} // namespace qlnx
