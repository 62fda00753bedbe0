#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include <QString>

#include "audio/PlaybackEngine.h"
#include "image/TocMath.h"

namespace qlnx {

// A disc as a play knows it: where it is and what identifies it.
struct TPlayedDisc
{
    QString Path;       // the drive's device node, or the image file
    bool Image = false; // Path is an image file to be read as one
    quint32 Serial = 0;
    TDiscToc Toc;

    bool operator==(const TPlayedDisc&) const = default;
};

// Who plays discs for the CD device: the engine in this process (TLocalPlayer), or the
// playback service, a process of its own that plays on after the player has ended. One play
// at a time; positions are byte offsets on the disc (sector address * 2352). Every call
// returns at once, never waiting for a drive or another process.
class TDiscPlayer
{
public:
    // Its own, apart from the engine's: what a player reports need not be how the engine in
    // this process keeps it.
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
        TPlayedDisc Disc; // the disc of the latest play, when not Idle
        qint64 Position = 0;
    };
    // Receives the result of one play; called on the thread the player was made on, or (the
    // local player) from any thread.
    using TCompletion = std::function<void(TNotifyResult)>;

    virtual ~TDiscPlayer() = default;

    // Plays [from, to) of the disc; audio is the disc's audio in this process (the service
    // opens the disc itself). A running play is Superseded; an empty one ends at once,
    // Successful.
    virtual void Play(const TPlayedDisc& disc, std::shared_ptr<TSectorSource> audio, qint64 from,
                      qint64 to, TCompletion done) = 0;
    // Ends a running play (Aborted) or a paused one; the position stays.
    virtual void Stop() = 0;
    // Holds a running play at the sample played last (Aborted).
    virtual void Pause() = 0;
    virtual void Resume(TCompletion done) = 0;
    // The running play's completion is no longer wanted.
    virtual void Detach() = 0;
    // The disc at path has left its drive: its play ends (Aborted) and is forgotten.
    virtual void Forget(const QString& path) = 0;
    virtual TStatus Status() = 0;
    // Whether the player knows what plays (the service, once asked at start).
    virtual bool Settled() { return true; }
    // Nothing more is asked of it. A player that outlives the program lets a running play go
    // on; the local one ends it. Waits until the deadline at most.
    virtual void Shutdown(std::chrono::steady_clock::time_point deadline) = 0;
};

// The engine in this process; a play ends with it.
class TLocalPlayer final : public TDiscPlayer
{
public:
    TLocalPlayer(std::unique_ptr<TAudioOutput> output, TReadAhead readAhead = TReadAhead::Thread);

    void Play(const TPlayedDisc& disc, std::shared_ptr<TSectorSource> audio, qint64 from, qint64 to,
              TCompletion done) override;
    void Stop() override { m_engine.Stop(); }
    void Pause() override { m_engine.Pause(); }
    void Resume(TCompletion done) override { m_engine.Resume(std::move(done)); }
    void Detach() override { m_engine.Detach(); }
    void Forget(const QString& path) override;
    TStatus Status() override;
    void Shutdown(std::chrono::steady_clock::time_point deadline) override
    {
        m_engine.Shutdown(deadline);
    }
    // Whether the running play has fallen behind the clock (a slow drive), and a call, from
    // the output's thread, each time that changes.
    bool Behind() const { return m_engine.Status().Behind; }
    void OnBehindChanged(std::function<void()> changed)
    {
        m_engine.OnBehindChanged(std::move(changed));
    }

private:
    TPlaybackEngine m_engine;
    TPlayedDisc m_disc; // of the latest play; the engine knows it as drive 0
};

} // namespace qlnx
