#pragma once

#include <chrono>
#include <memory>

#include "audio/PlaybackEngine.h"
#include "disc/DiscText.h"
#include "image/TocMath.h"

namespace qlnx {

// A disc as read from a drive or an image: what identifies it, and where its audio comes from.
struct TDiscInfo
{
    TDiscToc Toc;
    quint32 Serial = 0;
    TDiscText Text; // CD-Text
    // Its sectors; a read may take long (a physical drive).
    std::shared_ptr<TSectorSource> Audio;
};

enum class TDriveState
{
    Looking,  // the first look at the drive has not ended yet
    Unusable, // no drive there, or it cannot be opened
    Empty,    // the tray is open or moving, or no disc is in
    Reading,  // a disc is in and its table of contents is being read
    Ready     // a disc is in and read
};

struct TDriveSnapshot
{
    TDriveState State = TDriveState::Looking;
    std::shared_ptr<const TDiscInfo> Disc; // when Ready
};

// Keeps what is known of one drive current, so that nobody has to wait for the drive to ask.
class TDriveWatch
{
public:
    virtual ~TDriveWatch() = default;
    // The drive as last seen; never waits for the drive.
    virtual TDriveSnapshot Snapshot() = 0;
    // Move the tray; both return at once and take effect when the drive gets to them.
    virtual void OpenTray() = 0;
    virtual void CloseTray() = 0;
    // Whether the tray and the disc change only through OpenTray and CloseTray, never by hand.
    virtual bool MovesOnlyWhenTold() const { return false; }
    // Stopping in two steps, so that several watches stop together: ask, then wait until the
    // deadline. A watch whose drive does not answer by then is left to end by itself.
    virtual void RequestStop() {}
    virtual bool WaitStopped(std::chrono::steady_clock::time_point /*deadline*/) { return true; }
};

} // namespace qlnx
