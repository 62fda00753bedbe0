#include "audio/PlaybackEngine.h"

#include <algorithm>
#include <utility>

namespace qlnx {

namespace {

// Sectors read in one go, and how much audio is held ahead of the output: at least three
// seconds once the first reads are in, so a slow drive has time to catch up. The reader is
// woken once two seconds' worth of room is free, and then reads six chunks in a row, rather
// than for every chunk the output takes.
constexpr int ChunkSectors = 25;
constexpr qint64 RefillBytes = 6 * ChunkSectors * BytesPerSector;
constexpr qint64 RingBytes = BytesPerSecond * 5;

} // namespace

TPlaybackEngine::TPlaybackEngine(std::unique_ptr<TAudioOutput> output, TReadAhead readAhead)
    : m_output(std::move(output)), m_readAhead(readAhead), m_ring(RingBytes),
      m_chunk(std::size_t(ChunkSectors * BytesPerSector))
{
    m_output->Attach(*this);
    if (m_readAhead == TReadAhead::Thread)
        m_reader = std::thread([this, link = m_link] { ReaderLoop(link); });
}

TPlaybackEngine::~TPlaybackEngine()
{
    Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
}

void TPlaybackEngine::Shutdown(std::chrono::steady_clock::time_point deadline)
{
    std::unique_ptr<TAudioOutput> output;
    {
        std::lock_guard lock(m_mutex);
        if (std::exchange(m_shutDown, true))
            return;
        m_quit = true;
        m_done = nullptr;
        output = std::move(m_output);
    }
    m_link->Wake.notify_all();
    // The output stops pulling before the feed goes away.
    output->Shutdown(deadline);
    output.reset();
    if (!m_reader.joinable())
        return;
    std::unique_lock lock(m_mutex);
    if (m_link->Ended.wait_until(lock, deadline, [this] { return m_link->Finished; })) {
        lock.unlock();
        m_reader.join();
    } else {
        // Inside a read that does not return: it finds the engine gone once it does.
        m_link->Alive = false;
        lock.unlock();
        m_reader.detach();
    }
}

void TPlaybackEngine::StartSegment(qint64 from, bool continues)
{
    m_segment = ++m_lastSegment;
    m_continues = continues;
    m_segmentStart = from;
    m_played = 0;
    m_readPos = from;
    m_segmentTaken = false;
    m_behind = false;
    m_ring.Clear();
}

void TPlaybackEngine::WakeAll()
{
    m_link->Wake.notify_all();
    std::lock_guard lock(m_mutex);
    if (m_output)
        m_output->Wake();
}

void TPlaybackEngine::Play(int drive, std::shared_ptr<TSectorSource> source, qint64 from, qint64 to,
                           TCompletion done)
{
    TCompletion superseded;
    TCompletion finished;
    std::shared_ptr<TSectorSource> released;
    {
        std::lock_guard lock(m_mutex);
        if (m_state == TState::Playing)
            superseded = std::exchange(m_done, nullptr);
        m_drive = drive;
        released = std::exchange(m_source, std::move(source));
        m_end = to;
        if (from >= to) {
            m_state = TState::Stopped;
            m_position = from;
            m_segment = 0;
            source = std::exchange(m_source, nullptr); // let go of after unlocking
            finished = std::move(done);
        } else {
            m_state = TState::Playing;
            m_done = std::move(done);
            StartSegment(from, false);
        }
    }
    if (superseded)
        superseded(TNotifyResult::Superseded);
    if (finished)
        finished(TNotifyResult::Successful);
    WakeAll();
}

void TPlaybackEngine::Stop()
{
    TCompletion aborted;
    std::shared_ptr<TSectorSource> released;
    {
        std::lock_guard lock(m_mutex);
        if (m_state == TState::Playing) {
            aborted = std::exchange(m_done, nullptr);
            m_position = m_segmentStart + m_played;
        } else if (m_state != TState::Paused) {
            return;
        }
        m_state = TState::Stopped;
        m_segment = 0;
        released = std::move(m_source);
    }
    if (aborted)
        aborted(TNotifyResult::Aborted);
    WakeAll();
}

void TPlaybackEngine::Pause()
{
    TCompletion aborted;
    {
        std::lock_guard lock(m_mutex);
        if (m_state != TState::Playing)
            return;
        aborted = std::exchange(m_done, nullptr);
        m_position = m_segmentStart + m_played;
        m_state = TState::Paused;
        m_segment = 0;
    }
    if (aborted)
        aborted(TNotifyResult::Aborted);
    WakeAll();
}

void TPlaybackEngine::Resume(TCompletion done)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != TState::Paused)
            return;
        m_state = TState::Playing;
        m_done = std::move(done);
        StartSegment(m_position, false);
    }
    WakeAll();
}

void TPlaybackEngine::Detach()
{
    std::lock_guard lock(m_mutex);
    m_done = nullptr;
}

void TPlaybackEngine::Forget(int drive)
{
    TCompletion aborted;
    std::shared_ptr<TSectorSource> released;
    {
        std::lock_guard lock(m_mutex);
        if (m_drive != drive)
            return;
        if (m_state == TState::Playing)
            aborted = std::exchange(m_done, nullptr);
        m_state = TState::Idle;
        m_drive = -1;
        m_segment = 0;
        released = std::move(m_source);
        m_done = nullptr;
    }
    if (aborted)
        aborted(TNotifyResult::Aborted);
    WakeAll();
}

TPlaybackEngine::TStatus TPlaybackEngine::Status() const
{
    std::lock_guard lock(m_mutex);
    const bool playing = m_state == TState::Playing;
    const qint64 position = playing ? m_segmentStart + m_played : m_position;
    return TStatus{m_state, m_drive, position, playing && m_behind};
}

void TPlaybackEngine::OnBehindChanged(std::function<void()> changed)
{
    std::lock_guard lock(m_mutex);
    m_behindChanged = std::move(changed);
}

TSegment TPlaybackEngine::CurrentSegment()
{
    std::lock_guard lock(m_mutex);
    return TSegment{m_segment, m_continues};
}

bool TPlaybackEngine::PlanRead(TReadPlan& plan, bool ignoreRoom) const
{
    if (m_segment == 0 || !m_source || m_readPos >= m_end)
        return false;
    plan.From = m_readPos;
    plan.Lsn = qint32(m_readPos / BytesPerSector);
    plan.Skip = m_readPos % BytesPerSector;
    const qint64 remaining = m_end - m_readPos;
    plan.Count = int(std::min<qint64>(ChunkSectors, (plan.Skip + remaining + BytesPerSector - 1) /
                                                        BytesPerSector));
    plan.Bytes = std::min(plan.Count * BytesPerSector - plan.Skip, remaining);
    return ignoreRoom || m_ring.Room() >= plan.Bytes;
}

void TPlaybackEngine::Append(const TReadPlan& plan, const char* sectors)
{
    m_readPos += m_ring.Write(sectors + plan.Skip, plan.Bytes);
}

bool TPlaybackEngine::ReadInline(qint64 wanted)
{
    TReadPlan plan;
    while (m_ring.Fill() < wanted && PlanRead(plan, false)) {
        if (!m_source->ReadAudio(plan.Lsn, plan.Count, m_chunk.data()))
            return false;
        Append(plan, m_chunk.data());
    }
    return true;
}

bool TPlaybackEngine::FailPlay(TCompletion& done, std::shared_ptr<TSectorSource>& released)
{
    // The play ends where the output is; what was read ahead is dropped.
    m_position = m_segmentStart + m_played;
    m_state = TState::Stopped;
    m_segment = 0;
    released = std::move(m_source);
    done = std::exchange(m_done, nullptr);
    return true;
}

qint64 TPlaybackEngine::Read(quint64 segment, char* data, qint64 maxBytes)
{
    bool wakeReader = false;
    qint64 n = 0;
    bool failed = false;
    std::function<void()> behindChanged;
    TCompletion done;
    std::shared_ptr<TSectorSource> released;
    {
        std::lock_guard lock(m_mutex);
        if (segment == 0 || segment != m_segment)
            return 0;
        if (m_readAhead == TReadAhead::Inline && !ReadInline(std::min(maxBytes, m_ring.Capacity())))
            failed = FailPlay(done, released);
    }
    if (failed) {
        if (done)
            done(TNotifyResult::Failure);
        WakeAll();
        return 0;
    }
    {
        std::lock_guard lock(m_mutex);
        if (segment != m_segment)
            return 0;
        const qint64 wanted = maxBytes - maxBytes % BytesPerSampleFrame;
        n = std::min(maxBytes, m_ring.Fill());
        n = m_ring.Read(data, n - n % BytesPerSampleFrame);
        // Short while the disc has more: the reader is behind (a play's very first read only
        // finds what the reader has had time for). Caught up once a refill's worth is ready
        // beyond what was taken, so that a drive just keeping pace does not flap.
        const bool more = m_readPos < m_end;
        const bool behind = m_behind ? !(n == wanted && (!more || m_ring.Fill() >= RefillBytes))
                                     : n < wanted && more && m_segmentTaken;
        m_segmentTaken = m_segmentTaken || n > 0;
        if (behind != m_behind) {
            m_behind = behind;
            behindChanged = m_behindChanged;
        }
        // The reader is woken only when there is room for a few whole reads (or for the rest).
        TReadPlan plan;
        wakeReader = n > 0 && m_readAhead == TReadAhead::Thread && PlanRead(plan, false) &&
                     m_ring.Room() >= std::min(RefillBytes, m_end - m_readPos);
    }
    if (wakeReader)
        m_link->Wake.notify_one();
    if (behindChanged)
        behindChanged();
    return n;
}

bool TPlaybackEngine::ReadAll(quint64 segment)
{
    std::lock_guard lock(m_mutex);
    return segment != 0 && segment == m_segment && m_readPos >= m_end && m_ring.Fill() == 0;
}

bool TPlaybackEngine::Ready(quint64 segment)
{
    std::lock_guard lock(m_mutex);
    if (segment == 0 || segment != m_segment)
        return false;
    // Read on demand, anything not read yet is as good as ready.
    return m_ring.Fill() > 0 || (m_readAhead == TReadAhead::Inline && m_readPos < m_end);
}

void TPlaybackEngine::Played(quint64 segment, qint64 bytes)
{
    TCompletion finished;
    std::shared_ptr<TSectorSource> released;
    {
        std::lock_guard lock(m_mutex);
        if (segment == 0 || segment != m_segment || m_state != TState::Playing)
            return;
        const qint64 handed = m_readPos - m_segmentStart - m_ring.Fill();
        m_played = std::clamp(bytes, m_played, handed);
        if (m_segmentStart + m_played < m_end)
            return;
        m_state = TState::Stopped;
        m_position = m_end;
        m_segment = 0;
        released = std::move(m_source);
        finished = std::exchange(m_done, nullptr);
    }
    if (finished)
        finished(TNotifyResult::Successful);
    WakeAll();
}

qint64 TPlaybackEngine::Unplayed(quint64 segment)
{
    std::lock_guard lock(m_mutex);
    if (segment == 0 || segment != m_segment)
        return 0;
    return m_end - m_segmentStart - m_played;
}

void TPlaybackEngine::Restart(quint64 segment)
{
    {
        std::lock_guard lock(m_mutex);
        if (segment == 0 || segment != m_segment || m_state != TState::Playing)
            return;
        StartSegment(m_segmentStart + m_played, true);
    }
    WakeAll();
}

void TPlaybackEngine::ReaderLoop(const std::shared_ptr<TReaderLink>& link)
{
    // Nothing of the engine is touched unless its lock is held and it is still alive.
    std::unique_lock lock(link->Mutex);
    std::vector<char> buffer(std::size_t(ChunkSectors * BytesPerSector));
    while (link->Alive && !m_quit) {
        TReadPlan plan;
        if (!PlanRead(plan, false)) {
            link->Wake.wait(lock);
            continue;
        }
        const quint64 segment = m_segment;
        std::shared_ptr<TSectorSource> source = m_source;
        lock.unlock();
        const bool read = source->ReadAudio(plan.Lsn, plan.Count, buffer.data());
        // When the play let go of its disc meanwhile, the disc is closed here, unlocked.
        source.reset();
        lock.lock();
        if (!link->Alive)
            break;
        if (segment != m_segment || plan.From != m_readPos)
            continue;
        if (!read) {
            TCompletion done;
            std::shared_ptr<TSectorSource> released;
            FailPlay(done, released);
            if (m_output)
                m_output->Wake();
            lock.unlock();
            released.reset();
            if (done)
                done(TNotifyResult::Failure);
            lock.lock();
            continue;
        }
        const bool first = m_ring.Fill() == 0;
        Append(plan, buffer.data());
        if (first && m_output)
            m_output->Wake();
    }
    link->Finished = true;
    link->Ended.notify_all();
}

} // namespace qlnx
