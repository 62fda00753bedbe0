#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include <QList>
#include <QObject>
#include <QThread>

#include "audio/PlaybackEngine.h"

namespace qlnx {

// A monotonic clock, so outputs can be driven by virtual time in tests.
class TClock
{
public:
    virtual ~TClock() = default;
    virtual qint64 NowNs() const = 0;
};

class TSteadyClock final : public TClock
{
public:
    qint64 NowNs() const override;
};

// One way of making the feed's audio heard: silence here, the sound system in
// AudioSinkBackend.h, stand-ins in tests.
class TOutputBackend
{
public:
    virtual ~TOutputBackend() = default;
    // Begins playing a segment; whatever an earlier one left is dropped. False when this
    // backend cannot play.
    virtual bool Start(TPcmFeed& feed, quint64 segment) = 0;
    // Plays nothing more and drops what it holds.
    virtual void Halt() = 0;
    // Keeps the segment playing; returns how many of its bytes have been played, or -1 when
    // the backend failed and can play no more.
    virtual qint64 Service() = 0;
    // How often Service is wanted while a segment plays.
    virtual int ServiceMs() const = 0;
};

// Plays in silence at the pace of a clock: on each Service it takes as much audio as the time
// since the last one is worth. Time that finds no audio ready is lost, as on a sound card.
// Optionally hands every byte it takes to a capture function.
class TSilentBackend final : public TOutputBackend
{
public:
    using TCapture = std::function<void(const char* data, qint64 bytes)>;
    explicit TSilentBackend(std::shared_ptr<const TClock> clock, TCapture capture = {});

    bool Start(TPcmFeed& feed, quint64 segment) override;
    void Halt() override;
    qint64 Service() override;
    // Nobody hears it: its position need not be finer than the display's (once a second).
    int ServiceMs() const override { return 1000; }

private:
    std::shared_ptr<const TClock> m_clock;
    TCapture m_capture;
    TPcmFeed* m_feed = nullptr;
    quint64 m_segment = 0;
    qint64 m_base = 0;
    qint64 m_accounted = 0; // sample frames of time already taken care of
    qint64 m_played = 0;
    std::vector<char> m_scratch;
};

// A sound device that stalls: it plays in silence at the clock's pace until it has taken
// stallAfter bytes of a segment, then takes nothing more and says nothing of it (no error), as
// a sound server that hangs. For trying the player out, and for tests.
class TStallingBackend final : public TOutputBackend
{
public:
    TStallingBackend(std::shared_ptr<const TClock> clock, qint64 stallAfter,
                     TSilentBackend::TCapture capture = {});

    bool Start(TPcmFeed& feed, quint64 segment) override;
    void Halt() override { m_silent.Halt(); }
    qint64 Service() override;
    int ServiceMs() const override { return 20; }

private:
    TSilentBackend m_silent;
    qint64 m_stallAfter;
    qint64 m_played = 0;
};

using TBackendFactory = std::function<std::unique_ptr<TOutputBackend>()>;

// Plays the feed's segments through the first backend that works. When a backend fails during
// a play the play goes on, from the sample played last, through the next one; a new play tries
// the first again. A backend that stops playing while audio is ready for it (a sound server
// that stalls without an error) counts as failed: after StallMs without progress, or
// StartStallMs when the first backend of a play has not started yet. Driven by Tick: a timer
// in real use, the test itself otherwise.
class TOutputDriver
{
public:
    static constexpr qint64 StallMs = 900;
    static constexpr qint64 StartStallMs = 3000;

    TOutputDriver(TPcmFeed& feed, QList<TBackendFactory> backends,
                  std::shared_ptr<const TClock> clock);
    ~TOutputDriver();

    enum class TTick
    {
        Idle,     // nothing to play: the owner can rest its timer
        Starting, // a segment began and nothing of it is heard yet: look again soon
        Playing
    };
    TTick Tick();
    // When the driver wants its next tick, in milliseconds: the backend's service interval, or
    // sooner when the segment is due to end before that.
    int NextTickMs() const { return m_nextTickMs; }

private:
    bool StartBackend();
    // Whether the backend, having played `played` bytes, has stopped playing.
    bool Stalled(qint64 played);

    TPcmFeed& m_feed;
    QList<TBackendFactory> m_factories;
    std::shared_ptr<const TClock> m_clock;
    qsizetype m_choice = 0;
    std::unique_ptr<TOutputBackend> m_backend;
    quint64 m_segment = 0;
    int m_nextTickMs = 0;
    qint64 m_lastPlayed = 0;
    qint64 m_progressNs = 0; // when the backend last played something, or started
};

class TOutputWorker;
class TGuardedFeed;

// The output used by the player: a driver ticking in a thread of its own, so audio never waits
// for the GUI. Every change of the feed wakes it at once; while a segment plays it ticks as
// often as its backend wants, and once more just when the segment is due to end, so a play
// ends on time. Idle, it waits for a wake.
class TThreadedOutput final : public TAudioOutput
{
public:
    // The factories are called in the output's thread.
    TThreadedOutput(QList<TBackendFactory> backends, std::shared_ptr<const TClock> clock);
    ~TThreadedOutput() override;

    void Attach(TPcmFeed& feed) override;
    void Wake() override;
    // A thread stuck in the sound system past the deadline is let go, cut off from the feed.
    void Shutdown(std::chrono::steady_clock::time_point deadline) override;

private:
    QList<TBackendFactory> m_backends;
    std::shared_ptr<const TClock> m_clock;
    std::shared_ptr<TGuardedFeed> m_feed;
    QThread* m_thread = nullptr;
    TOutputWorker* m_worker = nullptr;
};

// Silence only, paced by the monotonic clock.
std::unique_ptr<TAudioOutput> MakeSilentAudioOutput();

// The sound system through `sink`, again through it when that fails, and silence paced by the
// monotonic clock when it gives nothing. With stallAfterMs, every play starts on an output that
// stalls that far into it (see TStallingBackend), to try out what follows.
std::unique_ptr<TAudioOutput> MakeAudioOutput(TBackendFactory sink, int stallAfterMs = 0);

} // namespace qlnx
