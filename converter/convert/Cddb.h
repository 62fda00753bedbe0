#pragma once

#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

#include "convert/Conversion.h"

namespace qlnxdc {

// One disc entry of a CDDB database in the xmcd format, as far as the converter uses it. Keyword
// values are complete: the lines of a repeated keyword joined in order, cut at a NUL, escapes
// undone (a line break becomes a space, since a disc data file holds one line per value).
struct TCddbEntry
{
    static constexpr int MaxTracks = 99;

    // The "# Track frame offsets:" list: the start of every track in frames, counted with the
    // 150-frame lead-in, as the table of contents gives it. Empty when the entry has no usable
    // list (missing, not rising, beyond 99 tracks or 100 minutes).
    QList<qint32> FrameOffsets;
    std::optional<int> DiscLengthSeconds; // "# Disc length: N seconds"
    QString DiscId;          // DISCID: one or more ids, separated by commas; empty when absent
    QString DiscTitle;       // DTITLE: "artist / title"
    QStringList TrackTitles; // TTITLEn at index n (0-based), as far as any was given
    bool HasPlayOrder = false;
    QString PlayOrder; // PLAYORDER: track numbers separated by commas
};

// Whether a file's first bytes mark it as an xmcd entry (a UTF-8 byte-order mark before them
// is allowed).
bool IsCddbEntryStart(const QByteArray& head);

TCddbEntry ParseCddbEntry(const QStringList& lines);

// The identity Windows reports for an audio disc, from its track starts with the lead-in.
// Exact for 3 tracks or more; a disc of fewer tracks also needs its lead-out to the frame.
quint32 DiscIdentityFromOffsets(const QList<qint32>& frameOffsets);

// Why an entry cannot be written as a disc data file, as the red log line says it; empty when
// it can.
QString CddbRefusal(const TCddbEntry& entry);

// The disc record of an entry that can be written: its identity, artist and title, the
// programme if PLAYORDER gives a usable one, and one name per track.
void FillDiscRecord(const TCddbEntry& entry, TDiscRecord& record);

} // namespace qlnxdc
