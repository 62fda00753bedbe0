#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstring>
#include <limits>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "drive/CdioDisc.h"
#include "fileio/LocalSocket.h"
#include "playd/ServicePlayer.h"
#include "service/PlaybackService.h"
#include "support/CaptureOutput.h"
#include "support/Stranger.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

using TState = TDiscPlayer::TState;

// A service in this process, started when a player asks for one, with its audio captured on
// a virtual clock. Destroying it is what a killed service looks like to its players.
struct TServiceHost
{
    explicit TServiceHost(QString name) : Name(std::move(name)) {}

    QString Name;
    std::unique_ptr<TPlaybackService> Service{};
    TCaptureOutput* Output = nullptr;
    int Starts = 0;
    int Finished = 0;

    bool Start()
    {
        ++Starts;
        auto output = std::make_unique<TCaptureOutput>();
        Output = output.get();
        Service = std::make_unique<TPlaybackService>(TServiceConfig{.SocketName = Name,
                                                                    .Output = std::move(output),
                                                                    .ReadAhead = TReadAhead::Inline,
                                                                    .IdleExitMs = 100,
                                                                    .StatusMs = 20});
        QObject::connect(Service.get(), &TPlaybackService::Finished, [this] { ++Finished; });
        return Service->Listen();
    }
    // Time for the service's audio.
    void Run(qint64 ms) { Output->Run(ms); }
};

// A player's side, with the completions it hears of.
struct TClient
{
    std::unique_ptr<TServicePlayer> Player;
    QList<TNotifyResult> Results;

    TClient(TServiceHost& host, quint16 version = ProtocolVersion, int startTimeoutMs = 5000)
        : Player(std::make_unique<TServicePlayer>(
              TServiceSetup{.SocketName = host.Name,
                            .Start = [&host] { return host.Start(); },
                            .Version = version,
                            .StartTimeoutMs = startTimeoutMs}))
    {
    }
    TDiscPlayer::TCompletion Done()
    {
        return [this](TNotifyResult r) { Results.append(r); };
    }
    TState State() { return Player->Status().State; }
};

} // namespace

// The playback service and a player's side of it, in one process over a real local socket:
// who starts the service, what it plays on after its player has gone, how a player picks a
// play up, and how players and service survive each other's going away.
class TestPlaybackService : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    TPlayedDisc m_disc;
    int m_sockets = 0;

    QString NewName() { return m_dir.filePath(QStringLiteral("s%1").arg(++m_sockets)); }

private Q_SLOTS:
    void initTestCase()
    {
        const QString cue =
            WriteCueImage(m_dir.path(), QStringLiteral("disc"), {{150}, {150}, {150}});
        const auto disc = TCdioDisc::OpenImage(cue).Disc;
        QVERIFY(disc);
        m_disc = {cue, true, disc->Serial(), disc->Toc()};
    }

    void aPlayStartsTheServiceAndEnds()
    {
        TServiceHost host(NewName());
        TClient client(host);
        QTRY_VERIFY(client.Player->Settled());
        QCOMPARE(host.Starts, 0); // nothing plays: nothing is started

        client.Player->Play(m_disc, nullptr, 0, 2352 * 150, client.Done());
        // Playing from the moment it was asked for, even before the service has answered.
        QCOMPARE(client.State(), TState::Playing);
        QCOMPARE(host.Starts, 1);
        QTRY_VERIFY(client.Player->Connected());
        QTRY_COMPARE(host.Service->findChildren<TLocalSocket*>().size(), 1);
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(2100);
        QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Successful});
        QTRY_COMPARE(client.State(), TState::Stopped);
        QCOMPARE(client.Player->Status().Position, 2352 * 150);
        QCOMPARE(client.Player->Status().Disc, m_disc);

        // Idle, it ends by itself, connected player or not.
        QTRY_COMPARE(host.Finished, 1);
    }

    void whatAPlayerLeavesPlayingIsPickedUp()
    {
        TServiceHost host(NewName());
        auto first = std::make_unique<TClient>(host);
        first->Player->Play(m_disc, nullptr, 0, 2352 * 300, first->Done());
        // The play has reached the output before its time runs.
        QTRY_VERIFY(first->Player->Connected() && first->Player->Answered());
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(500);
        // The player ends without stopping: the play goes on without it.
        first->Player->Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
        first.reset();
        host.Run(1000);
        // A play keeps the service, whoever is connected.
        QVERIFY(host.Service->Busy());

        TClient second(host);
        QTRY_VERIFY(second.Player->Settled());
        QCOMPARE(second.State(), TState::Playing);
        QCOMPARE(second.Player->Status().Disc, m_disc);
        QVERIFY(second.Player->Status().Position >= 2352 * 112);
        // Its end is heard of by nobody: it was not this player's play.
        host.Run(3000);
        QTRY_COMPARE(second.State(), TState::Stopped);
        QVERIFY(second.Results.isEmpty());
        QCOMPARE(host.Starts, 1);
    }

    void stopAtCloseAndPause()
    {
        TServiceHost host(NewName());
        TClient client(host);
        client.Player->Play(m_disc, nullptr, 0, 2352 * 450, client.Done());
        QTRY_VERIFY(client.Player->Connected() && client.Player->Answered());
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(500);
        client.Player->Pause();
        QCOMPARE(client.State(), TState::Paused);
        QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Aborted});
        // A paused play waits as long as its player is there.
        QTRY_COMPARE(host.Service->findChildren<TLocalSocket*>().size(), 1);
        QVERIFY(host.Service->Busy());
        client.Player->Resume(client.Done());
        QCOMPARE(client.State(), TState::Playing);
        host.Run(500);
        // Closing with Stop at Close: the stop reaches the service before the player goes.
        client.Player->Stop();
        client.Player->Shutdown(std::chrono::steady_clock::now() + std::chrono::seconds(1));
        QTRY_COMPARE(host.Finished, 1);
    }

    void aKilledServiceLeavesNothingStuck()
    {
        TServiceHost host(NewName());
        TClient client(host);
        client.Player->Play(m_disc, nullptr, 0, 2352 * 450, client.Done());
        QTRY_VERIFY(client.Player->Connected());
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(1000);
        // Killed only once it has answered the play: a play still unanswered is asked of the
        // next service, which a slow machine would otherwise try instead.
        QTRY_VERIFY(client.Player->Answered());
        QTRY_VERIFY(client.Player->Status().Position > 0);
        host.Service.reset();
        // Stopped where it was last heard of; no completion is made up.
        QTRY_COMPARE(client.State(), TState::Stopped);
        QCOMPARE(client.Results, QList<TNotifyResult>{});
        QVERIFY(client.Player->Status().Position > 0);

        // The next play starts a new service.
        client.Player->Play(m_disc, nullptr, 0, 2352 * 75, client.Done());
        QCOMPARE(host.Starts, 2);
        QTRY_VERIFY(client.Player->Connected());
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(1100);
        QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Successful});
    }

    void aServiceOfAnotherVersionIsRetired()
    {
        TServiceHost host(NewName());
        QVERIFY(host.Start());
        TClient older(host);
        older.Player->Play(m_disc, nullptr, 0, 2352 * 450, older.Done());
        QTRY_VERIFY(older.Player->Connected());

        // A newer player does not take up what the older service plays...
        TClient newer(host, ProtocolVersion + 1);
        QTRY_VERIFY(newer.Player->Settled());
        QVERIFY(!newer.Player->Connected());
        QCOMPARE(newer.State(), TState::Idle);
        // ... and asks it to go when it has a play of its own.
        QObject::connect(host.Service.get(), &TPlaybackService::Finished,
                         [&host] { host.Service.reset(); });
        newer.Player->Play(m_disc, nullptr, 0, 2352 * 75, newer.Done());
        QTRY_COMPARE(host.Starts, 2);
        QTRY_COMPARE(older.State(), TState::Stopped);
    }

    void strangersAndLeftovers()
    {
        // A socket left behind by a service that crashed: bound, and nobody listening.
        const QString name = NewName();
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(name).constData(),
                     sizeof(address.sun_path) - 1);
        QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ::close(fd);
        QVERIFY(QFile::exists(name));
        TServiceHost host(name);
        TClient client(host);
        QTRY_VERIFY(client.Player->Settled());
        client.Player->Play(m_disc, nullptr, 0, 2352 * 75, client.Done());
        QTRY_VERIFY(client.Player->Connected());

        // Something that is not a player is cut off; players are served on.
        QLocalSocket stranger;
        stranger.connectToServer(name);
        QVERIFY(stranger.waitForConnected(1000));
        stranger.write("not a frame of ours at all");
        QTRY_COMPARE(stranger.state(), QLocalSocket::UnconnectedState);
        QTRY_VERIFY(host.Output->Wakes() > 0);
        host.Run(1100);
        QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Successful});

        // A client of ours writing its own frames: a play off the disc or between sample
        // frames fails at once and leaves nothing playing.
        QLocalSocket crafted;
        crafted.connectToServer(name);
        QVERIFY(crafted.waitForConnected(1000));
        TMessage hello;
        hello.Type = TMessageType::Hello;
        crafted.write(EncodeFrame(hello));
        const qint64 leadOut = qint64(m_disc.Toc.LeadOut) * 2352;
        const QList<std::pair<qint64, qint64>> ranges = {
            {std::numeric_limits<qint64>::min(), 2352}, {0, 2354}, {-2352, 2352}, {0, leadOut + 4}};
        for (const auto& [from, to] : ranges) {
            TMessage play;
            play.Type = TMessageType::Play;
            play.PlayId = quint32(100 + from % 7);
            play.Disc = m_disc;
            play.From = from;
            play.To = to;
            crafted.write(EncodeFrame(play));
        }
        TFrameReader reader;
        QList<TNotifyResult> failed;
        QObject::connect(&crafted, &QLocalSocket::readyRead, [&] {
            reader.Append(crafted.readAll());
            TMessage m;
            while (reader.Next(m) == TFrameReader::TResult::Message)
                if (m.Type == TMessageType::Completion)
                    failed.append(m.Result);
        });
        QTRY_COMPARE(failed, QList<TNotifyResult>(ranges.size(), TNotifyResult::Failure));
        QCOMPARE(client.State(), TState::Stopped);
        QVERIFY(!host.Service->Busy());

        // A service that never comes up: the play fails, nothing waits for ever.
        int starts = 0;
        TServicePlayer lonely({.SocketName = NewName(),
                               .Start = [&starts] { return ++starts > 0; },
                               .StartTimeoutMs = 200});
        QList<TNotifyResult> results;
        QTRY_VERIFY(lonely.Settled());
        lonely.Play(m_disc, nullptr, 0, 2352 * 75, [&](TNotifyResult r) { results.append(r); });
        QTRY_COMPARE(results, QList<TNotifyResult>{TNotifyResult::Failure});
        QCOMPARE(lonely.Status().State, TState::Stopped);
        QCOMPARE(starts, 1);

        // A service that takes the connection and never says a word is hung: given up on.
        QLocalServer hung;
        QVERIFY(hung.listen(NewName()));
        TServicePlayer waiting({.SocketName = hung.fullServerName(), .GreetingTimeoutMs = 100});
        QVERIFY(!waiting.Settled());
        QTRY_VERIFY(waiting.Settled());
        QVERIFY(!waiting.Connected());
        QCOMPARE(waiting.Status().State, TState::Idle);

        // One that says it plays and then answers nothing: a request is waited for as long
        // as an answer may take, not for the longer quiet between a play's reports.
        QLocalServer mute;
        QVERIFY(mute.listen(NewName()));
        TServicePlayer asking({.SocketName = mute.fullServerName(),
                               .SilenceTimeoutMs = 200,
                               .QuietTimeoutMs = 60'000});
        QTRY_VERIFY(mute.hasPendingConnections());
        QLocalSocket* peer = mute.nextPendingConnection();
        TMessage said;
        said.Type = TMessageType::Welcome;
        peer->write(EncodeFrame(said));
        said.Type = TMessageType::Status;
        said.Disc = m_disc;
        said.To = 2352 * 75;
        said.State = TState::Playing;
        peer->write(EncodeFrame(said));
        QTRY_COMPARE(asking.Status().State, TState::Playing);
        asking.Stop();
        QTRY_COMPARE_WITH_TIMEOUT(asking.Connected(), false, 3000);
        QCOMPARE(asking.Status().State, TState::Stopped);
    }

    void nobodyElsesSockets()
    {
        // What is at the name and not ours is never spoken to, waited for, or removed: the
        // play fails at once.
        const auto failsAt = [this](const QString& name) {
            TServiceHost host(name);
            TClient client(host);
            QTRY_VERIFY(client.Player->Settled());
            QSignalSpy said(client.Player.get(), &TServicePlayer::NameTaken);
            client.Player->Play(m_disc, nullptr, 0, 2352 * 75, client.Done());
            QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Failure});
            // The user hears of it once, not at every play.
            client.Player->Play(m_disc, nullptr, 0, 2352 * 75, client.Done());
            QTRY_COMPARE(client.Results.size(), 2);
            QCOMPARE(said.size(), 1);
            QCOMPARE(host.Starts, 0);
            QCOMPARE(client.State(), TState::Stopped);
            QVERIFY(QFileInfo::exists(name) || QFileInfo(name).isSymLink());
        };
        const QString file = NewName();
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        failsAt(file);
        const QString dir = NewName();
        QVERIFY(QDir().mkdir(dir));
        failsAt(dir);
        const QString link = NewName();
        QVERIFY(QFile::link(m_dir.filePath(QStringLiteral("nowhere")), link));
        failsAt(link);

        if (::getuid() != 0)
            QSKIP("another user's sockets need a test run as root");
        QTemporaryDir shared;
        QVERIFY(::chmod(QFile::encodeName(shared.path()).constData(), 0777) == 0);
        // Another user listening at the name hears nothing.
        const QString squatted = shared.filePath(QStringLiteral("squatted"));
        TStranger listener(TStranger::TRole::Listen, squatted);
        QTRY_COMPARE(listener.Told(), QByteArray("r"));
        failsAt(squatted);
        QCOMPARE(listener.Told(), QByteArray("r"));

        // Another user's process is not served.
        TServiceHost host(shared.filePath(QStringLiteral("service")));
        QVERIFY(host.Start());
        // (Open to anyone, so that only the peer check stands in the way.)
        QVERIFY(::chmod(QFile::encodeName(host.Name).constData(), 0777) == 0);
        TMessage hello;
        hello.Type = TMessageType::Hello;
        TStranger caller(TStranger::TRole::Connect, host.Name, EncodeFrame(hello));
        QTRY_COMPARE(caller.Told(), QByteArray("d"));
    }

    void aDiscNotInItsDriveIsNotPlayed()
    {
        TServiceHost host(NewName());
        TClient client(host);
        TPlayedDisc other = m_disc;
        other.Serial ^= 1;
        client.Player->Play(other, nullptr, 0, 2352 * 75, client.Done());
        QTRY_COMPARE(client.Results, QList<TNotifyResult>{TNotifyResult::Failure});
        QTRY_VERIFY(client.State() != TState::Playing);
    }
};

QTEST_GUILESS_MAIN(TestPlaybackService)
#include "tst_playbackservice.moc"
