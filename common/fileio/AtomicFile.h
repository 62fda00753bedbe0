#pragma once

#include <QByteArray>
#include <QString>

namespace qlnx {

// Whether a replaced file is forced to the disk before it takes the old one's place.
enum class TDurability
{
    // The new content and the directory entry that names it are on the disk when the call
    // returns: a crash right after leaves either the old file or the new one, never an empty
    // one. For files written one at a time, which the user waits for anyway.
    Synced,
    // Still all or nothing while the system runs, but a crash shortly after may lose the
    // content the kernel had not written yet. For files written by the thousand, where a sync
    // each would make the run many times slower.
    Unsynced,
};

struct TWriteOptions
{
    TDurability Durability = TDurability::Synced;
    // Whether a missing directory is created, or the write fails (a file the user named).
    bool CreateDirectory = true;
};

// Writes bytes as the whole content of fileName. The new content goes to a temporary file
// beside the old one, every write is checked and only then is it renamed over the old one; on
// any failure (a full disk, a directory that takes no files, a file made read-only) the old
// file stays byte for byte and no temporary file is left. Returns whether the new content is
// in place.
bool WriteFileAtomically(const QString& fileName, const QByteArray& bytes,
                         TWriteOptions options = {});

} // namespace qlnx
