#include "drive/DriveMonitor.h"

#include <condition_variable>
#include <deque>
#include <mutex>

namespace qlnx {

namespace {

enum class TTrayCommand
{
    Open,
    Close
};

} // namespace

// Everything the thread touches; it keeps its own hold on it, so a thread let go at a stop
// never reaches freed state.
struct TDriveMonitor::TShared
{
    TShared(std::unique_ptr<TDriveBackend> b, TMonitorTiming t) : Backend(std::move(b)), Timing(t)
    {
    }

    void Run();
    // Carries out one tray command; false when a stop came meanwhile.
    bool Carry(TTrayCommand command, std::unique_lock<std::mutex>& lock);
    void Publish(TDriveState state, std::shared_ptr<const TDiscInfo> disc = nullptr)
    {
        Latest = TDriveSnapshot{state, std::move(disc)};
    }

    const std::unique_ptr<TDriveBackend> Backend;
    const TMonitorTiming Timing;

    std::mutex Mutex;
    std::condition_variable Wake;
    std::condition_variable Ended;
    bool Quit = false;
    bool Finished = false;
    std::deque<TTrayCommand> Commands;
    TDriveSnapshot Latest;
};

void TDriveMonitor::TShared::Run()
{
    std::unique_lock lock(Mutex);
    bool isDrive = false;
    std::shared_ptr<const TDiscInfo> disc;
    // The disc in the drive could not be read: not tried again until the tray moves.
    bool unreadable = false;
    const auto unlocked = [&](auto call) {
        lock.unlock();
        auto result = call();
        lock.lock();
        return result;
    };
    const auto waitForPoll = [&] {
        Wake.wait_for(lock, std::chrono::milliseconds(Timing.PollMs),
                      [this] { return Quit || !Commands.empty(); });
    };
    while (!Quit) {
        if (!isDrive) {
            isDrive = unlocked([this] { return Backend->IsDrive(); });
            if (Quit)
                break;
            if (!isDrive) {
                // Nothing to move; the node is looked at again at the next poll.
                Commands.clear();
                Publish(TDriveState::Unusable);
                waitForPoll();
                continue;
            }
        }
        if (!Commands.empty()) {
            const TTrayCommand command = Commands.front();
            Commands.pop_front();
            disc.reset();
            unreadable = false;
            if (!Carry(command, lock))
                break;
            continue;
        }
        const TTrayStatus status = unlocked([this] { return Backend->Status(); });
        if (Quit)
            break;
        if (!Commands.empty())
            continue;
        if (status == TTrayStatus::TrayOpen || status == TTrayStatus::NoDisc) {
            disc.reset();
            unreadable = false;
            Publish(TDriveState::Empty);
        } else if (status == TTrayStatus::NotReady) {
            // A drive that has spun down may say so; the disc in it is still the one read.
            if (!disc)
                Publish(unreadable ? TDriveState::Empty : TDriveState::Reading);
        } else if (!disc && !unreadable) {
            Publish(TDriveState::Reading);
            auto read = unlocked([this] { return Backend->ReadDisc(); });
            if (Quit)
                break;
            // The tray was told to move while the disc was read: that disc is leaving.
            if (!Commands.empty())
                continue;
            disc = std::move(read);
            unreadable = !disc;
            Publish(disc ? TDriveState::Ready : TDriveState::Empty, disc);
        }
        waitForPoll();
    }
    Finished = true;
    Ended.notify_all();
}

bool TDriveMonitor::TShared::Carry(TTrayCommand command, std::unique_lock<std::mutex>& lock)
{
    if (command == TTrayCommand::Close) {
        lock.unlock();
        Backend->CloseTray();
        lock.lock();
        return !Quit;
    }
    // The kernel refuses to eject while another handle is open on the drive; the playback
    // engine lets go of its handle once its current read is done.
    for (int attempt = 0; attempt < Timing.EjectAttempts; ++attempt) {
        lock.unlock();
        const bool ejected = Backend->Eject();
        lock.lock();
        if (ejected || Quit)
            break;
        Wake.wait_for(lock, std::chrono::milliseconds(Timing.EjectRetryMs),
                      [this] { return Quit; });
    }
    return !Quit;
}

TDriveMonitor::TDriveMonitor(std::unique_ptr<TDriveBackend> backend, TMonitorTiming timing)
    : m_shared(std::make_shared<TShared>(std::move(backend), timing))
{
    m_thread = std::thread([shared = m_shared] { shared->Run(); });
}

TDriveMonitor::~TDriveMonitor()
{
    RequestStop();
    WaitStopped(std::chrono::steady_clock::now() + std::chrono::seconds(1));
}

TDriveSnapshot TDriveMonitor::Snapshot()
{
    std::lock_guard lock(m_shared->Mutex);
    return m_shared->Latest;
}

void TDriveMonitor::OpenTray()
{
    std::lock_guard lock(m_shared->Mutex);
    m_shared->Commands.push_back(TTrayCommand::Open);
    // The disc is on its way out: nobody may start on it any more, and its handle has to go
    // before the kernel lets the tray open.
    if (m_shared->Latest.State != TDriveState::Unusable)
        m_shared->Publish(TDriveState::Empty);
    m_shared->Wake.notify_all();
}

void TDriveMonitor::CloseTray()
{
    std::lock_guard lock(m_shared->Mutex);
    m_shared->Commands.push_back(TTrayCommand::Close);
    if (m_shared->Latest.State != TDriveState::Unusable)
        m_shared->Publish(TDriveState::Empty);
    m_shared->Wake.notify_all();
}

void TDriveMonitor::RequestStop()
{
    {
        std::lock_guard lock(m_shared->Mutex);
        m_shared->Quit = true;
        m_shared->Wake.notify_all();
    }
    m_shared->Backend->Cancel();
}

bool TDriveMonitor::WaitStopped(std::chrono::steady_clock::time_point deadline)
{
    if (!m_thread.joinable())
        return true;
    bool finished = false;
    {
        std::unique_lock lock(m_shared->Mutex);
        finished =
            m_shared->Ended.wait_until(lock, deadline, [this] { return m_shared->Finished; });
    }
    if (finished)
        m_thread.join();
    else
        m_thread.detach();
    return finished;
}

} // namespace qlnx
