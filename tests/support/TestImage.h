#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "support/TestFiles.h"

namespace qlnx {

// Disc images written by tests: a BIN file and a CUE sheet for it.
struct TTestTrack
{
    qint32 Sectors = 0; // from INDEX 01 to the next track's INDEX 00 (or the end)
    bool Audio = true;  // else a MODE1/2352 track with an ISO 9660 descriptor set
    qint32 Pregap = 0;  // sectors of INDEX 00 before INDEX 01 (not for the first track)
};

// Audio bytes that differ from sector to sector and within each sector, so a sample played
// twice, left out or moved shows up.
QByteArray AudioPattern(qint32 firstSector, qint32 sectors, quint32 seed = 1);

// Writes <dir>/<name>.bin and <dir>/<name>.cue and returns the CUE sheet's path. The BIN's
// bytes are also put into bin when given.
QString WriteCueImage(const QString& dir, const QString& name, const QList<TTestTrack>& tracks,
                      QByteArray* bin = nullptr, quint32 seed = 1);

// The primary volume descriptor the data tracks of WriteCueImage carry at their sector 16.
QByteArray TestVolumeDescriptor();

} // namespace qlnx
