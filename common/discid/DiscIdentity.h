#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QtGlobal>

namespace qlnx {

// The identity of a disc, computed the way Windows reports it as the disc's volume serial
// number, so that disc data files named on Windows name the same disc here; and the disc id
// CDDB databases file the disc under.

// An audio disc: track starts and the lead-out as sector addresses without the 150-sector
// lead-in (the first track usually starts at 0). The lead-out counts only for a disc of fewer
// than 3 tracks.
quint32 AudioDiscSerial(const QList<qint32>& trackStarts, qint32 leadOut);

// The CDDB disc id of an audio disc, from its track starts with the 150-frame lead-in (as CDDB
// entries list them) and its length in whole seconds; 0 for a disc without tracks.
quint32 CddbDiscId(const QList<qint32>& frameOffsets, int discLengthSeconds);

// The serial of an ISO 9660 file system, from its volume descriptor (2048 bytes).
quint32 VolumeDescriptorSerial(const QByteArray& descriptor);

// The descriptors read from sector 16 of the data track onward, in order: the descriptor whose
// serial counts (the highest type before the terminator, the first of that type), or none when
// the list holds no volume descriptor.
std::optional<QByteArray> PickVolumeDescriptor(const QList<QByteArray>& sectors);

// Whether a 2048-byte sector is an ISO 9660 volume descriptor, and whether it ends the set.
bool IsVolumeDescriptor(const QByteArray& sector);
bool IsDescriptorTerminator(const QByteArray& sector);

} // namespace qlnx
