#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <QtGlobal>

#include "audio/RingBuffer.h"
#include "playback/CdDevice.h"

namespace qlnx {

// Audio as a disc holds it: 44.1 kHz, 16-bit little-endian samples, stereo (left first),
// 2352 bytes per sector.
constexpr qint64 BytesPerSector = 2352;
constexpr qint64 SampleRate = 44100;
constexpr qint64 BytesPerSampleFrame = 4;
constexpr qint64 BytesPerSecond = SampleRate * BytesPerSampleFrame;

// Where the audio sectors of a disc come from. Used by one thread at a time.
class TSectorSource
{
public:
    virtual ~TSectorSource() = default;
    // Fills buffer (count * 2352 bytes) with the sectors from lsn on. A sector that cannot be
    // read, or that holds no audio, comes back as silence. May take long (a physical drive).
    // False when the source cannot go on at all (an image file found broken): the play ends
    // there with a Failure.
    virtual bool ReadAudio(qint32 lsn, int count, char* buffer) = 0;
};

// A stretch of one play that an output plays in one go. A play is one segment unless it is
// paused and resumed, or the output changes under it (Continues: the same play goes on).
struct TSegment
{
    quint64 Id = 0; // 0: nothing to play
    bool Continues = false;
};

// What an output sees of the engine. Every call is safe from any thread and returns at once.
class TPcmFeed
{
public:
    virtual ~TPcmFeed() = default;
    virtual TSegment CurrentSegment() = 0;
    // Copies up to maxBytes (whole sample frames) of the segment's audio, or takes them without
    // copying when data is null; 0 when none is ready yet, all of it has been read, or the
    // segment is no longer current.
    virtual qint64 Read(quint64 segment, char* data, qint64 maxBytes) = 0;
    // Every byte of the segment has been read.
    virtual bool ReadAll(quint64 segment) = 0;
    // Whether audio of the segment is ready to be read now (an output that takes none of it
    // is stuck; one that finds none is waiting for the disc).
    virtual bool Ready(quint64 segment) = 0;
    // The first `bytes` bytes of the segment have been played (heard, not just taken).
    virtual void Played(quint64 segment, qint64 bytes) = 0;
    // Bytes of the segment not played yet; 0 when it is no longer current.
    virtual qint64 Unplayed(quint64 segment) = 0;
    // The output lost what it held of the segment: the play goes on from what was played, as a
    // new segment.
    virtual void Restart(quint64 segment) = 0;
};

// Plays the feed's audio.
class TAudioOutput
{
public:
    virtual ~TAudioOutput() = default;
    // Called once, before anything else; the feed outlives the output.
    virtual void Attach(TPcmFeed& feed) = 0;
    // The feed changed (a segment began or ended, audio became ready): look at it soon.
    // Any thread; never blocks.
    virtual void Wake() = 0;
    // Stops pulling from the feed, waiting for that until the deadline at most; after it the
    // output never touches the feed again.
    virtual void Shutdown(std::chrono::steady_clock::time_point /*deadline*/) {}
};

enum class TReadAhead
{
    Thread, // sectors are read ahead by a thread of the engine's own
    Inline  // sectors are read when the output asks for them (tests: no thread, no timing)
};

// Digital playback of one play at a time: sectors are read ahead in a thread of their own, the
// output pulls the samples, and positions and completions follow what the output has played.
// The device layer calls it from the GUI thread; nothing here waits for a sector read, not
// even its end: a reader still inside a read of a slow drive then is let go, and ends without
// touching the engine once the read returns.
// Positions are byte offsets on the disc (sector address * 2352).
class TPlaybackEngine final : public TPcmFeed
{
public:
    enum class TState
    {
        Idle, // nothing played yet, or forgotten
        Playing,
        Paused,
        Stopped
    };
    struct TStatus
    {
        TState State = TState::Idle;
        int Drive = -1;
        qint64 Position = 0;
        // Playing, and the output has found less audio ready than it asked for while the disc
        // still has more: the drive is slow, and what is heard falls behind the clock. Over
        // once the reader is a refill ahead again.
        bool Behind = false;
    };
    // Receives the result of one play, from any thread.
    using TCompletion = std::function<void(TNotifyResult)>;

    explicit TPlaybackEngine(std::unique_ptr<TAudioOutput> output,
                             TReadAhead readAhead = TReadAhead::Thread);
    // Shuts down, waiting a second at most.
    ~TPlaybackEngine() override;
    // Ends the output and the reader, waiting for them until the deadline at most. Nothing
    // may be asked of the engine after it.
    void Shutdown(std::chrono::steady_clock::time_point deadline);
    TPlaybackEngine(const TPlaybackEngine&) = delete;
    TPlaybackEngine& operator=(const TPlaybackEngine&) = delete;

    // Plays [from, to) of a drive's disc. A running play is Superseded; a play that is empty
    // ends at once, Successful.
    void Play(int drive, std::shared_ptr<TSectorSource> source, qint64 from, qint64 to,
              TCompletion done);
    // Ends a running play (Aborted) or a paused one; the position stays where it was.
    void Stop();
    // Holds a running play at the sample played last (Aborted).
    void Pause();
    // Goes on with a paused play from the sample where it was held.
    void Resume(TCompletion done);
    // The running play's completion is no longer wanted (its device was closed).
    void Detach();
    // The drive's disc is gone: stops its play and forgets its position.
    void Forget(int drive);
    TStatus Status() const;
    // Called, from the output's thread, each time a play falls behind or catches up (see
    // TStatus::Behind). Set it before the first play.
    void OnBehindChanged(std::function<void()> changed);

    // TPcmFeed
    TSegment CurrentSegment() override;
    qint64 Read(quint64 segment, char* data, qint64 maxBytes) override;
    bool ReadAll(quint64 segment) override;
    bool Ready(quint64 segment) override;
    void Played(quint64 segment, qint64 bytes) override;
    qint64 Unplayed(quint64 segment) override;
    void Restart(quint64 segment) override;

private:
    struct TReadPlan
    {
        qint32 Lsn = 0;
        int Count = 0;
        qint64 From = 0;  // disc byte of the first byte wanted
        qint64 Skip = 0;  // bytes of the first sector before it
        qint64 Bytes = 0; // bytes wanted
    };

    void StartSegment(qint64 from, bool continues);
    bool PlanRead(TReadPlan& plan, bool ignoreRoom) const;
    void Append(const TReadPlan& plan, const char* sectors);
    // False when the source failed.
    bool ReadInline(qint64 wanted);
    // Ends the running play after its source failed, handing over what to call and let go of
    // unlocked.
    bool FailPlay(TCompletion& done, std::shared_ptr<TSectorSource>& released);
    struct TReaderLink;
    void ReaderLoop(const std::shared_ptr<TReaderLink>& link);
    void WakeAll();

    std::unique_ptr<TAudioOutput> m_output;
    const TReadAhead m_readAhead;

    // The lock of the engine's state, shared with the reader thread so that it can find out,
    // after a read, whether the engine is still there.
    struct TReaderLink
    {
        std::mutex Mutex;
        std::condition_variable Wake;
        std::condition_variable Ended;
        bool Alive = true;
        bool Finished = false;
    };
    std::shared_ptr<TReaderLink> m_link = std::make_shared<TReaderLink>();
    std::mutex& m_mutex = m_link->Mutex;
    bool m_quit = false;
    bool m_shutDown = false;

    TState m_state = TState::Idle;
    int m_drive = -1;
    std::shared_ptr<TSectorSource> m_source;
    TCompletion m_done;
    qint64 m_end = 0;
    qint64 m_position = 0; // while not playing

    quint64 m_segment = 0;
    quint64 m_lastSegment = 0;
    bool m_continues = false;
    qint64 m_segmentStart = 0;
    qint64 m_played = 0;
    qint64 m_readPos = 0;        // disc byte the reader produces next
    bool m_segmentTaken = false; // the output has had audio of the segment
    bool m_behind = false;
    std::function<void()> m_behindChanged;

    TRingBuffer m_ring; // read from m_readPos - m_ring.Fill() on
    std::vector<char> m_chunk;

    std::thread m_reader;
};

} // namespace qlnx
