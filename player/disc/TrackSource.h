#pragma once

#include <QtGlobal>

namespace qlnx {

// Where the track table takes each track's start (TMSF) and length (MSF) from when a disc is
// loaded: the CD device, or anything that answers the same two questions.
class TTrackSource
{
public:
    virtual ~TTrackSource() = default;
    virtual quint32 TrackStart(int track) = 0;
    virtual quint32 TrackLength(int track) = 0;
};

} // namespace qlnx
