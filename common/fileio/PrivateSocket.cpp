#include "fileio/PrivateSocket.h"

#include <cerrno>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

namespace qlnx {

namespace {

// A directory (not a link to one) of this user that nobody else may enter or change.
bool Private(const QString& path)
{
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    return S_ISDIR(info.st_mode) && info.st_uid == ::getuid() && (info.st_mode & 0777) == 0700;
}

bool Credentials(qintptr descriptor, ucred& peer)
{
    socklen_t size = sizeof peer;
    return descriptor >= 0 &&
           ::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 &&
           size == sizeof peer;
}

} // namespace

QString PrivateSocketDirectory(QString* error)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (runtime.startsWith(u'/') && Private(runtime))
        return runtime;
    // The name says whose it is; what is found there is believed only once checked.
    const QString dir =
        QDir::tempPath() + QStringLiteral("/qlnx-") + QString::number(qulonglong(::getuid()));
    ::mkdir(QFile::encodeName(dir).constData(), 0700);
    if (Private(dir))
        return dir;
    if (error)
        *error = dir;
    return {};
}

TSocketName InspectSocketName(const QString& name)
{
    // A bare name is in the temporary directory, as local sockets resolve it.
    const QString path = name.startsWith(u'/') ? name : QDir::tempPath() + u'/' + name;
    struct stat info = {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? TSocketName::Free : TSocketName::Foreign;
    return S_ISSOCK(info.st_mode) && info.st_uid == ::getuid() ? TSocketName::Ours
                                                               : TSocketName::Foreign;
}

bool PeerIsUs(qintptr descriptor)
{
    ucred peer = {};
    return Credentials(descriptor, peer) && peer.uid == ::getuid();
}

qint64 PeerPid(qintptr descriptor)
{
    ucred peer = {};
    return Credentials(descriptor, peer) ? peer.pid : 0;
}

} // namespace qlnx
