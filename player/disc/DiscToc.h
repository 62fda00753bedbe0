#pragma once

#include <QList>
#include <QtGlobal>

namespace qlnx {

// The table of contents of a disc: track starts and the lead-out as sector addresses (without
// the 150-sector lead-in), tracks numbered from 1 here whatever the disc numbers them.
struct TDiscToc
{
    struct TTrack
    {
        qint32 Start = 0;
        bool Audio = true;
        bool operator==(const TTrack&) const = default;
    };
    QList<TTrack> Tracks;
    qint32 LeadOut = 0;

    bool operator==(const TDiscToc&) const = default;
};

} // namespace qlnx
