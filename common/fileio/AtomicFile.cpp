#include "fileio/AtomicFile.h"

#include <atomic>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlnx {

namespace {

int OpenForSync(const QString& path, int flags)
{
    return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | flags);
}

// The rename is only as durable as the directory entry that records it.
void SyncDirectory(const QString& dir)
{
    const int fd = OpenForSync(dir, O_DIRECTORY);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// A new hidden file beside the target. Its name is short, so that a long target name cannot
// make it too long, and holds the process and a sequence number, so that two writers never
// meet on it.
bool OpenTemporary(const QString& dir, QFile& file)
{
    static std::atomic<unsigned> sequence = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        file.setFileName(dir + QStringLiteral("/.qlnx-%1-%2.tmp")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(sequence++));
        // Unbuffered, so that a short write (a full disk) shows in the write itself.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (!file.exists())
            return false; // not a name taken: the directory takes no files
    }
    return false;
}

} // namespace

bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes, TWriteOptions options)
{
    const bool synced = options.Durability == TDurability::Synced;
    const QString dir = QFileInfo(fileName).absolutePath();
    if (options.CreateDirectory && !QDir().mkpath(dir))
        return false;
    // A file made read-only is not replaced; a replaced one keeps its permissions.
    const QFileInfo old(fileName);
    if (old.exists() && !old.isWritable())
        return false;
    const QFile::Permissions kept = old.exists() ? old.permissions() : QFile::Permissions();
    QFile file;
    if (!OpenTemporary(dir, file))
        return false;
    bool written = file.write(bytes) == bytes.size() && (!synced || ::fsync(file.handle()) == 0);
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (written && kept)
        file.setPermissions(kept);
    // The old file is replaced only by a complete new one; until then it stays byte for byte.
    if (!written || std::rename(QFile::encodeName(file.fileName()).constData(),
                                QFile::encodeName(fileName).constData()) != 0) {
        file.remove();
        return false;
    }
    if (synced)
        SyncDirectory(dir);
    return true;
}

} // namespace qlnx
