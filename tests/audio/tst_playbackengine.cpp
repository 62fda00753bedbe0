#include <atomic>

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include "audio/PlaybackEngine.h"
#include "support/CaptureOutput.h"
#include "support/Gate.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

// A disc in memory; sectors past its end read as silence.
class TMemorySource final : public TSectorSource
{
public:
    explicit TMemorySource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    bool ReadAudio(qint32 lsn, int count, char* buffer) override
    {
        Sectors += count;
        const QByteArray part =
            m_bytes.mid(qsizetype(lsn) * BytesPerSector, count * BytesPerSector);
        std::memset(buffer, 0, std::size_t(count * BytesPerSector));
        std::memcpy(buffer, part.constData(), std::size_t(part.size()));
        return lsn + count <= BreaksAt;
    }
    std::atomic<int> Sectors = 0;
    std::atomic<qint32> BreaksAt = 1 << 30; // a read reaching past this sector fails

private:
    QByteArray m_bytes;
};

// A sound device with a latency: what it takes is heard `latency` bytes of time later. It
// breaks down once it has taken `failAfter` bytes, and what it held unheard is lost.
class TLaggingBackend final : public TOutputBackend
{
public:
    TLaggingBackend(std::shared_ptr<const TClock> clock, std::shared_ptr<QByteArray> heard,
                    qint64 failAfter, qint64 latency)
        : m_silent(clock, [this](const char* d, qint64 n) { m_taken.append(d, n); }),
          m_clock(std::move(clock)), m_heard(std::move(heard)), m_failAfter(failAfter),
          m_latency(latency)
    {
    }
    bool Start(TPcmFeed& feed, quint64 segment) override
    {
        m_taken.clear();
        m_reported = 0;
        m_start = m_clock->NowNs();
        return m_silent.Start(feed, segment);
    }
    void Halt() override { m_silent.Halt(); }
    int ServiceMs() const override { return 20; }
    qint64 Service() override
    {
        if (m_taken.size() >= m_failAfter)
            return -1;
        m_silent.Service();
        const qint64 elapsed =
            (m_clock->NowNs() - m_start) * SampleRate / 1'000'000'000 * BytesPerSampleFrame;
        const qint64 played = std::clamp<qint64>(elapsed - m_latency, 0, m_taken.size());
        m_heard->append(m_taken.mid(m_reported, played - m_reported));
        m_reported = std::max(m_reported, played);
        return m_reported;
    }

private:
    TSilentBackend m_silent;
    std::shared_ptr<const TClock> m_clock;
    QByteArray m_taken;
    std::shared_ptr<QByteArray> m_heard;
    qint64 m_failAfter;
    qint64 m_latency;
    qint64 m_reported = 0;
    qint64 m_start = 0;
};

// A sound device that stalls after `stallAfter` bytes, keeping what it played.
std::unique_ptr<TOutputBackend> Stalling(std::shared_ptr<const TClock> clock,
                                         std::shared_ptr<QByteArray> heard, qint64 stallAfter)
{
    return std::make_unique<TStallingBackend>(
        std::move(clock), stallAfter, [heard](const char* d, qint64 n) { heard->append(d, n); });
}

// A disc whose reads wait at a gate.
class THeldSource final : public TSectorSource
{
public:
    explicit THeldSource(std::shared_ptr<TGate> gate) : m_gate(std::move(gate)) {}
    bool ReadAudio(qint32, int count, char* buffer) override
    {
        m_gate->Pass();
        std::memset(buffer, 0, std::size_t(count * BytesPerSector));
        return true;
    }

private:
    std::shared_ptr<TGate> m_gate;
};

constexpr qint64 Second = BytesPerSecond;

} // namespace

// The engine and its output driver on a virtual clock: what is played, when it counts as
// played, and one completion per play.
class TestPlaybackEngine : public QObject
{
    Q_OBJECT

    QByteArray m_disc = AudioPattern(0, 75 * 20); // twenty seconds
    std::shared_ptr<TMemorySource> m_source = std::make_shared<TMemorySource>(m_disc);

    struct TRig
    {
        TCaptureOutput* Output;
        std::unique_ptr<TPlaybackEngine> Engine;
        QList<TNotifyResult> Results;

        explicit TRig(QList<TBackendFactory> before = {}, TReadAhead readAhead = TReadAhead::Inline)
        {
            auto output = std::make_unique<TCaptureOutput>(std::move(before));
            Output = output.get();
            Engine = std::make_unique<TPlaybackEngine>(std::move(output), readAhead);
        }
        TPlaybackEngine::TCompletion Done()
        {
            return [this](TNotifyResult r) { Results.append(r); };
        }
    };

private Q_SLOTS:
    void playsExactlyTheRangeThenCompletes()
    {
        TRig rig;
        const qint64 from = 75 * BytesPerSector + 1000 * 4; // not on a sector boundary
        const qint64 to = 600 * BytesPerSector;
        rig.Engine->Play(0, m_source, from, to, rig.Done());
        rig.Output->Run(3000);
        // The position is what has been played, to the sample frame.
        QCOMPARE(rig.Engine->Status().Position, from + 3 * Second);
        QCOMPARE(rig.Output->Captured().size(), 3 * Second);
        QVERIFY(rig.Results.isEmpty());
        rig.Output->Run(5000);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(rig.Output->Captured(), m_disc.mid(from, to - from));
        const TPlaybackEngine::TStatus status = rig.Engine->Status();
        QCOMPARE(status.State, TPlaybackEngine::TState::Stopped);
        QCOMPARE(status.Position, to);
        rig.Output->Run(1000);
        QCOMPARE(rig.Results.size(), 1);
    }

    void completionComesWhenTheLastSampleIsPlayed()
    {
        // A device a quarter second behind: the end of reading is not the end of the play.
        auto heard = std::make_shared<QByteArray>();
        TRig* rigPtr = nullptr;
        TRig rig({[&rigPtr, heard] {
            return std::make_unique<TLaggingBackend>(rigPtr->Output->Clock(), heard, Second * 100,
                                                     Second / 4);
        }});
        rigPtr = &rig;
        rig.Engine->Play(0, m_source, 0, Second, rig.Done());
        rig.Output->Run(1000);
        QVERIFY(rig.Engine->ReadAll(rig.Engine->CurrentSegment().Id));
        QVERIFY(rig.Results.isEmpty());
        QCOMPARE(rig.Engine->Status().Position, Second - Second / 4);
        rig.Output->Run(200);
        QVERIFY(rig.Results.isEmpty());
        rig.Output->Run(60);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(*heard, m_disc.left(Second));
    }

    void readsAheadBeforeAnythingIsPlayed()
    {
        TRig rig({}, TReadAhead::Thread);
        auto source = std::make_shared<TMemorySource>(m_disc);
        rig.Engine->Play(0, source, 0, 20 * Second, rig.Done());
        // The output has taken nothing; the reader alone goes at least two seconds ahead.
        QElapsedTimer guard;
        guard.start();
        while (source->Sectors < 150 && guard.elapsed() < 10000)
            QThread::yieldCurrentThread();
        QVERIFY(source->Sectors >= 150);
        rig.Engine->Stop();
    }

    void aBrokenSourceEndsThePlayWithAFailure()
    {
        // Read on demand and read ahead: the play ends, it does not go on as silence.
        auto source = std::make_shared<TMemorySource>(m_disc);
        source->BreaksAt = 100;
        TRig rig;
        rig.Engine->Play(0, source, 0, 10 * Second, rig.Done());
        rig.Output->Run(3000);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Failure});
        QCOMPARE(rig.Engine->Status().State, TPlaybackEngine::TState::Stopped);
        QVERIFY(rig.Output->Captured().size() < 100 * BytesPerSector);

        TRig ahead({}, TReadAhead::Thread);
        std::atomic<int> failures = 0;
        ahead.Engine->Play(0, source, 0, 10 * Second, [&failures](TNotifyResult r) {
            failures += r == TNotifyResult::Failure ? 1 : 100;
        });
        QElapsedTimer guard;
        guard.start();
        while (failures == 0 && guard.elapsed() < 10000)
            QThread::yieldCurrentThread();
        QCOMPARE(failures.load(), 1);
        QCOMPARE(ahead.Engine->Status().State, TPlaybackEngine::TState::Stopped);
    }

    void everyPlayEndsOnce()
    {
        TRig rig;
        rig.Engine->Play(0, m_source, 0, 10 * Second, rig.Done());
        rig.Output->Run(500);
        rig.Engine->Play(0, m_source, 2 * Second, 10 * Second, rig.Done());
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Superseded});
        rig.Output->Run(500);
        rig.Engine->Stop();
        QCOMPARE(rig.Results.last(), TNotifyResult::Aborted);
        QCOMPARE(rig.Engine->Status().Position, 2 * Second + Second / 2);
        rig.Engine->Stop();
        rig.Output->Run(20000);
        QCOMPARE(rig.Results.size(), 2);

        // An empty play ends at once, successfully.
        rig.Engine->Play(0, m_source, 3 * Second, 3 * Second, rig.Done());
        QCOMPARE(rig.Results.last(), TNotifyResult::Successful);
        QCOMPARE(rig.Results.size(), 3);

        // A detached play reports nothing, not even when superseded.
        rig.Engine->Play(0, m_source, 0, Second, rig.Done());
        rig.Engine->Detach();
        rig.Engine->Play(0, m_source, 0, Second, rig.Done());
        QCOMPARE(rig.Results.size(), 3);
        rig.Output->Run(2000);
        QCOMPARE(rig.Results.size(), 4);
        QCOMPARE(rig.Results.last(), TNotifyResult::Successful);
    }

    void pauseHoldsAtThePlayedSample()
    {
        TRig rig;
        const qint64 from = 10 * BytesPerSector;
        const qint64 to = from + 4 * Second;
        rig.Engine->Play(0, m_source, from, to, rig.Done());
        rig.Output->Run(1010);
        rig.Engine->Pause();
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Aborted});
        const TPlaybackEngine::TStatus paused = rig.Engine->Status();
        QCOMPARE(paused.State, TPlaybackEngine::TState::Paused);
        QCOMPARE(paused.Position, from + rig.Output->Captured().size());
        rig.Output->Run(3000);
        QCOMPARE(rig.Engine->Status().Position, paused.Position);
        rig.Engine->Resume(rig.Done());
        rig.Output->Run(4000);
        QCOMPARE(rig.Results.last(), TNotifyResult::Successful);
        QCOMPARE(rig.Results.size(), 2);
        // Nothing repeated or left out across the pause.
        QCOMPARE(rig.Output->Captured(), m_disc.mid(from, to - from));

        // Stopping a paused play reports nothing more; resuming a stopped one does nothing.
        rig.Engine->Play(0, m_source, 0, Second, rig.Done());
        rig.Engine->Pause();
        rig.Engine->Stop();
        rig.Engine->Resume(rig.Done());
        rig.Output->Run(2000);
        QCOMPARE(rig.Results.size(), 3);
        QCOMPARE(rig.Engine->Status().State, TPlaybackEngine::TState::Stopped);
    }

    void aFailingOutputHandsThePlayOn()
    {
        auto heard = std::make_shared<QByteArray>();
        TRig* rigPtr = nullptr;
        TRig rig({[&rigPtr, heard] {
            return std::make_unique<TLaggingBackend>(rigPtr->Output->Clock(), heard, 2 * Second,
                                                     Second / 10);
        }});
        rigPtr = &rig;
        const qint64 from = 0;
        const qint64 to = 6 * Second;
        rig.Engine->Play(0, m_source, from, to, rig.Done());
        rig.Output->Run(7000);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        // What the broken device played, then the rest from where it stopped being heard.
        QCOMPARE(*heard + rig.Output->Captured(), m_disc.mid(from, to - from));
        QVERIFY(!heard->isEmpty());
        QVERIFY(!rig.Output->Captured().isEmpty());

        // A new play tries the first output again.
        heard->clear();
        rig.Output->ClearCaptured();
        rig.Engine->Play(0, m_source, 0, Second, rig.Done());
        rig.Output->Run(2000);
        QCOMPARE(rig.Results.size(), 2);
        QCOMPARE(*heard, m_disc.left(Second));
        QVERIFY(rig.Output->Captured().isEmpty());
    }

    void aStalledOutputHandsThePlayOn()
    {
        // The sound server stalls two seconds into the play; a new stream to it stalls too;
        // the play moves on to silence within two seconds of the stall and completes, with
        // every sample played once.
        auto first = std::make_shared<QByteArray>();
        auto second = std::make_shared<QByteArray>();
        TRig* rigPtr = nullptr;
        TRig rig({[&rigPtr, first] { return Stalling(rigPtr->Output->Clock(), first, 2 * Second); },
                  [&rigPtr, second] { return Stalling(rigPtr->Output->Clock(), second, 0); }});
        rigPtr = &rig;
        rig.Engine->Play(0, m_source, 0, 6 * Second, rig.Done());
        rig.Output->Run(2000);
        QCOMPARE(first->size(), 2 * Second);
        rig.Output->Run(2000);
        QVERIFY(!rig.Output->Captured().isEmpty());
        rig.Output->Run(4000);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QVERIFY(second->isEmpty());
        QCOMPARE(*first + rig.Output->Captured(), m_disc.left(6 * Second));

        // A device that never starts is given longer before the play moves on.
        first->clear();
        rig.Output->ClearCaptured();
        TRig late({[&rigPtr, first] { return Stalling(rigPtr->Output->Clock(), first, 0); }});
        rigPtr = &late;
        late.Engine->Play(0, m_source, 0, Second, late.Done());
        late.Output->Run(TOutputDriver::StartStallMs - 100);
        QVERIFY(late.Output->Captured().isEmpty());
        late.Output->Run(1200);
        QCOMPARE(late.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(late.Output->Captured(), m_disc.left(Second));
    }

    void waitingForTheDiscIsNoStall()
    {
        // Nothing is ready for the output while the drive is slow: the output is not to blame.
        auto gate = std::make_shared<TGate>(false);
        auto heard = std::make_shared<QByteArray>();
        TRig* rigPtr = nullptr;
        TRig rig(
            {[&rigPtr, heard] { return Stalling(rigPtr->Output->Clock(), heard, 100 * Second); }},
            TReadAhead::Thread);
        rigPtr = &rig;
        rig.Engine->Play(0, std::make_shared<THeldSource>(gate), 0, Second, rig.Done());
        QTRY_COMPARE(gate->Arrived(), 1);
        rig.Output->Run(10'000);
        gate->Open();
        QElapsedTimer guard;
        guard.start();
        while (rig.Results.isEmpty() && guard.elapsed() < 10'000) {
            rig.Output->Run(20);
            QThread::yieldCurrentThread();
        }
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(heard->size(), Second);
        QVERIFY(rig.Output->Captured().isEmpty());
    }

    void aSlowDriveIsReportedBehindUntilItCatchesUp()
    {
        auto gate = std::make_shared<TGate>(false);
        TRig rig({}, TReadAhead::Thread);
        std::atomic<int> changes = 0;
        rig.Engine->OnBehindChanged([&changes] { ++changes; });
        const auto passedAtLeast = [&gate](int n) {
            QElapsedTimer guard;
            guard.start();
            while (gate->Passed() < n && guard.elapsed() < 10'000)
                QThread::yieldCurrentThread();
            return gate->Passed() >= n;
        };
        rig.Engine->Play(0, std::make_shared<THeldSource>(gate), 0, 20 * Second, rig.Done());
        // Nothing ready before the first audio is no falling behind: a play always starts so.
        rig.Output->Run(200);
        QCOMPARE(changes.load(), 0);
        gate->Open();
        QVERIFY(passedAtLeast(7));
        rig.Output->Run(1000);
        QVERIFY(!rig.Engine->Status().Behind);

        // The drive stops answering: the output drains what was read ahead, then comes short.
        gate->Close();
        rig.Output->Run(8000);
        QVERIFY(rig.Engine->Status().Behind);
        QCOMPARE(changes.load(), 1);
        rig.Output->Run(1000); // still behind: said once
        QCOMPARE(changes.load(), 1);

        // Caught up once the drive answers again and a refill's worth is ready.
        const int passed = gate->Passed();
        gate->Open();
        // Each chunk is in the ring before the next read starts: seven chunks, a refill and
        // one more than a tick takes.
        QVERIFY(passedAtLeast(passed + 8));
        rig.Output->Run(20);
        QVERIFY(!rig.Engine->Status().Behind);
        QCOMPARE(changes.load(), 2);
        rig.Engine->Stop();
        QVERIFY(!rig.Engine->Status().Behind);
    }

    void shutdownLeavesAStuckReadBehind()
    {
        auto gate = std::make_shared<TGate>(false);
        TRig rig({}, TReadAhead::Thread);
        rig.Engine->Play(0, std::make_shared<THeldSource>(gate), 0, 10 * Second, rig.Done());
        QTRY_COMPARE(gate->Arrived(), 1);
        QElapsedTimer shutdown;
        shutdown.start();
        rig.Engine.reset();
        QVERIFY(shutdown.elapsed() < 1500);
        // The read returns after the engine is gone; the reader ends and lets go of the disc.
        gate->Open();
        QTRY_COMPARE(gate.use_count(), 1);
        QVERIFY(rig.Results.isEmpty());
    }

    void readAheadThreadPlaysTheSameBytes()
    {
        TRig rig({}, TReadAhead::Thread);
        const qint64 to = 8 * Second;
        rig.Engine->Play(0, m_source, 0, to, rig.Done());
        // The reader fills in its own time; time that finds nothing ready is lost, not the
        // audio, so ticking until the end is reached gives every byte once.
        QElapsedTimer guard;
        guard.start();
        while (rig.Results.isEmpty() && guard.elapsed() < 20000) {
            rig.Output->Run(20);
            QThread::yieldCurrentThread();
        }
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(rig.Output->Captured(), m_disc.left(to));
        // The reader woke the output when the first audio was ready.
        QVERIFY(rig.Output->Wakes() > 0);
    }

    void forgettingADriveEndsItsPlay()
    {
        TRig rig;
        rig.Engine->Play(3, m_source, 0, Second, rig.Done());
        rig.Engine->Forget(2);
        QCOMPARE(rig.Engine->Status().State, TPlaybackEngine::TState::Playing);
        rig.Engine->Forget(3);
        QCOMPARE(rig.Results, QList<TNotifyResult>{TNotifyResult::Aborted});
        QCOMPARE(rig.Engine->Status().State, TPlaybackEngine::TState::Idle);
        QCOMPARE(rig.Engine->Status().Drive, -1);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackEngine)
#include "tst_playbackengine.moc"
