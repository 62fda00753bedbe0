#include "fileio/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace qlnx {

namespace {

// The rename is only as durable as the directory entry that records it.
void SyncDirectory(const QString& dir)
{
    const int fd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes)
{
    const QString dir = QFileInfo(fileName).absolutePath();
    if (!QDir().mkpath(dir))
        return false;
    // Unbuffered, so that a short write (a full disk) shows here: a buffered one would only
    // fail in the flush inside commit(), which QSaveFile does not report. No direct-write
    // fallback either: it would truncate the old file before knowing the new one fits.
    QSaveFile file(fileName);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    if (file.write(bytes) != bytes.size() || !file.flush() || ::fsync(file.handle()) != 0)
        return false; // the temporary file goes with `file`
    if (!file.commit())
        return false;
    SyncDirectory(dir);
    return true;
}

} // namespace qlnx
