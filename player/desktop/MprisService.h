#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QDBusObjectPath;

namespace qlnx {

class CdDevice;
class TDiscModel;
class TPlaybackController;

// The player on the session bus as a media player that desktop shells, applets and media keys
// can show and control. A thin layer: every command goes through the playback controller's own
// handlers, so every rule of the buttons and the menu holds, and every state is read from the
// controller, the disc model and the device; it knows no window. The two bus interfaces are
// adaptors on this object.
class TMprisService final : public QObject
{
    Q_OBJECT
public:
    static QString ServiceName();
    static QString ObjectPath();
    // The track id of no track at all.
    static QString NoTrackId();

    TMprisService(TPlaybackController& controller, TDiscModel& model, CdDevice& device,
                  QObject* parent = nullptr);
    ~TMprisService() override;

    // Puts the player on the bus and starts announcing its changes. False, with nothing left
    // registered, when the connection is not connected or the name is taken.
    bool Register(const QDBusConnection& connection);
    bool Registered() const { return m_registered; }

    // Announces what changed since the last look: PropertiesChanged for the status, the track,
    // the options and the capabilities, Seeked when a seek hold has ended. Runs on every
    // announcement of the playback controller and after every command from the bus.
    void Poll();

    // --- The application --------------------------------------------------------------------
    // Asks for the player's windows to come to the front (RaiseRequested).
    void Raise();
    // Asks for the player to close as Exit does (QuitRequested), once the call has been
    // answered.
    void Quit();

    // --- What plays ---------------------------------------------------------------------------
    // "Playing", "Paused" or "Stopped".
    QString PlaybackStatus() const;
    // "None", "Track" (Repeat 1) or "Playlist" (Repeat).
    QString LoopStatus() const;
    void SetLoopStatus(const QString& status);
    bool Shuffle() const;
    void SetShuffle(bool on);
    // The current entry of the play order; empty without one.
    QVariantMap Metadata() const;
    // In the current track, in microseconds.
    qlonglong Position() const;
    // A disc with a play order is loaded: the transport can act.
    bool CanControlDisc() const;

    // --- Transport ----------------------------------------------------------------------------
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    // By offset microseconds from the position; past the end of the track is Next.
    void Seek(qlonglong offset);
    // To position microseconds of the track with that id; ignored for any other track or a
    // position outside the track.
    void SetPosition(const QDBusObjectPath& trackId, qlonglong position);

Q_SIGNALS:
    void Seeked(qlonglong position);
    void RaiseRequested();
    void QuitRequested();

private:
    struct TTrackState
    {
        QString Id;
        int Number = 0;
        QString Title;
        QString Artist;
        QString Album;
        qint64 Length = 0;

        bool operator==(const TTrackState&) const = default;
    };
    struct TState
    {
        QString Status;
        QString Loop;
        bool Shuffle = false;
        bool CanControl = false;
        bool Seeking = false;
        TTrackState Track;
    };

    TState State() const;
    TTrackState TrackState() const;
    // Cues (or, while playing, moves the play to) micros into the current track.
    void SeekTo(qint64 micros);
    void Announce(const QVariantMap& changed);

    TPlaybackController& m_controller;
    TDiscModel& m_model;
    CdDevice& m_device;
    QDBusConnection m_connection;
    bool m_registered = false;
    TState m_announced;
};

} // namespace qlnx
