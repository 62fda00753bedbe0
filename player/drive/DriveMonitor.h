#pragma once

#include <memory>
#include <thread>

#include "drive/DriveBackend.h"
#include "drive/DriveWatch.h"

namespace qlnx {

struct TMonitorTiming
{
    // How often the drive is asked about its tray and disc.
    int PollMs = 1000;
    // An eject the drive refuses (another handle is still open on it) is tried again this
    // often, this many times.
    int EjectRetryMs = 100;
    int EjectAttempts = 30;
};

// The one thread that talks to a physical drive: it watches the tray and the disc, reads the
// table of contents, identity and CD-Text of a disc when one appears, and carries out the tray
// commands, in the order given. Everybody else reads the latest snapshot, which never waits.
//
// A disc stays read while the tray stays closed; a drive that says it is not ready (spun down)
// keeps its disc. A disc whose table of contents cannot be read is an empty drive until the
// tray moves. A tray command makes the drive empty at once; a disc read that was under way
// when it came is dropped.
class TDriveMonitor final : public TDriveWatch
{
public:
    TDriveMonitor(std::unique_ptr<TDriveBackend> backend, TMonitorTiming timing = {});
    // Stops the thread, waiting for it a second at most (see RequestStop).
    ~TDriveMonitor() override;
    TDriveMonitor(const TDriveMonitor&) = delete;
    TDriveMonitor& operator=(const TDriveMonitor&) = delete;

    TDriveSnapshot Snapshot() override;
    void OpenTray() override;
    void CloseTray() override;
    void RequestStop() override;
    // A thread still inside a drive call at the deadline is let go: it holds everything it
    // uses and ends once the call returns.
    bool WaitStopped(std::chrono::steady_clock::time_point deadline) override;

private:
    struct TShared;
    std::shared_ptr<TShared> m_shared;
    std::thread m_thread;
};

} // namespace qlnx
