#include "convert/OutputFile.h"

#include "fileio/AtomicFile.h"

namespace qlnxdc {

bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes)
{
    return qlnx::WriteFileAtomically(
        fileName, bytes, {.Durability = qlnx::TDurability::Unsynced, .CreateDirectory = false});
}

} // namespace qlnxdc
