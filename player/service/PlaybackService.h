#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <QObject>
#include <QTimer>

#include "audio/DiscPlayer.h"
#include "drive/CdioDisc.h"
#include "playd/Protocol.h"

namespace qlnx {

class TLocalServer;
class TLocalSocket;

struct TServiceConfig
{
    QString SocketName{};
    // Where the audio goes.
    std::unique_ptr<TAudioOutput> Output{};
    TReadAhead ReadAhead = TReadAhead::Thread;
    // The service ends this long after the last play ended (a paused play counts as ended
    // once no player is connected).
    int IdleExitMs = 3000;
    // How often players hear of the position while a play runs (they move it on with the
    // clock in between, so more often only costs wake-ups on both sides), and how often while
    // it has fallen behind the clock (a slow drive), when their clock is wrong.
    int StatusMs = 5000;
    int BehindStatusMs = 1000;
};

// The playback service: plays discs for players that connect to it, and plays on when they
// have gone. It opens the drives and images itself and keeps a disc open while it plays it.
// A play's completion goes to the player that started it; the status (what plays, on which
// disc, where) goes to every player, after every request and every change (falling behind the
// clock and catching up included), and every StatusMs while a play runs (BehindStatusMs while
// it is behind). It ends by itself once idle.
class TPlaybackService final : public QObject
{
    Q_OBJECT
public:
    explicit TPlaybackService(TServiceConfig config, QObject* parent = nullptr);
    ~TPlaybackService() override;

    // Listens at the socket name, taking it over from a service that is gone; false when a
    // live service holds it (its lock) or something not ours is there.
    bool Listen();
    // Something plays, or waits for its player: the service is not about to end.
    bool Busy() const { return !m_idleTimer.isActive(); }
    // Messages sent to players so far.
    quint64 Sent() const { return m_sent; }

Q_SIGNALS:
    // Idle long enough, or retired: the program may end.
    void Finished();

private:
    struct TClient;

    void Accept();
    void Read(TClient& client);
    void Handle(TClient& client, const TMessage& message);
    void Drop(TLocalSocket* socket);
    void Send(TClient& client, const TMessage& message);
    void SendStatus(TClient& client);
    void BroadcastStatus();
    TDiscPlayer::TCompletion Completion(TClient& client, quint32 playId);
    void Complete(TLocalSocket* socket, quint32 playId, TNotifyResult result);
    // The disc a play names, opened here; none when it is not in its drive any more.
    std::shared_ptr<TCdioDisc> OpenDisc(const TPlayedDisc& disc);
    void UpdateIdle();
    void End();

    TServiceConfig m_config;
    TLocalPlayer m_player;
    TLocalServer* m_server;
    std::vector<std::unique_ptr<TClient>> m_clients;
    QTimer m_statusTimer;
    QTimer m_idleTimer;
    std::shared_ptr<TCdioDisc> m_disc;
    TPlayedDisc m_discIdentity;
    quint32 m_playId = 0;
    qint64 m_end = 0;
    quint64 m_sent = 0;
    int m_lock = -1; // the name's lock file, held while the service lives
};

} // namespace qlnx
