#include "desktop/MprisService.h"

#include <algorithm>

#include <QDBusMessage>
#include <QDBusObjectPath>

#include "desktop/MprisAdaptors.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/CdDevice.h"
#include "playback/PlaybackController.h"

namespace qlnx {

namespace {

constexpr qint64 MicrosPerSecond = 1'000'000;

qint64 Micros(int minutes, int seconds, int frames)
{
    const qint64 totalFrames = qint64(minutes * 60 + seconds) * FramesPerSecond + frames;
    return totalFrames * MicrosPerSecond / FramesPerSecond;
}

const QString Playing = QStringLiteral("Playing");
const QString Paused = QStringLiteral("Paused");
const QString Stopped = QStringLiteral("Stopped");
const QString LoopNone = QStringLiteral("None");
const QString LoopTrack = QStringLiteral("Track");
const QString LoopPlaylist = QStringLiteral("Playlist");

} // namespace

QString TMprisService::ServiceName()
{
    return QStringLiteral("org.mpris.MediaPlayer2.qlnx");
}

QString TMprisService::ObjectPath()
{
    return QStringLiteral("/org/mpris/MediaPlayer2");
}

QString TMprisService::NoTrackId()
{
    return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
}

TMprisService::TMprisService(TPlaybackController& controller, TDiscModel& model, CdDevice& device,
                             QObject* parent)
    : QObject(parent), m_controller(controller), m_model(model), m_device(device),
      m_connection(QString())
{
    // The adaptors must exist before the object is registered.
    new TMprisRootAdaptor(*this);
    new TMprisPlayerAdaptor(*this);
}

TMprisService::~TMprisService()
{
    if (!m_registered)
        return;
    m_connection.unregisterService(ServiceName());
    m_connection.unregisterObject(ObjectPath());
}

bool TMprisService::Register(const QDBusConnection& connection)
{
    if (m_registered || !connection.isConnected())
        return false;
    QDBusConnection bus = connection;
    if (!bus.registerObject(ObjectPath(), this, QDBusConnection::ExportAdaptors))
        return false;
    if (!bus.registerService(ServiceName())) {
        bus.unregisterObject(ObjectPath());
        return false;
    }
    m_connection = bus;
    m_registered = true;
    m_announced = State();
    TPlaybackController* c = &m_controller;
    connect(c, &TPlaybackController::PlayStateChanged, this, &TMprisService::Poll);
    connect(c, &TPlaybackController::CurrentEntryChanged, this, &TMprisService::Poll);
    connect(c, &TPlaybackController::OptionChanged, this, &TMprisService::Poll);
    connect(c, &TPlaybackController::DiscChanged, this, &TMprisService::Poll);
    connect(c, &TPlaybackController::SeekingChanged, this, &TMprisService::Poll);
    return true;
}

// --- State -----------------------------------------------------------------------------------

bool TMprisService::CanControlDisc() const
{
    return m_model.DiscID() != 0 && m_model.OrderCount() > 0;
}

QString TMprisService::PlaybackStatus() const
{
    switch (m_controller.PlayState()) {
    case TPlayState::Playing:
        return Playing;
    case TPlayState::Paused:
        return Paused;
    case TPlayState::Stopped:
        break;
    }
    return Stopped;
}

QString TMprisService::LoopStatus() const
{
    if (m_controller.Option(TPlayOption::Repeat1))
        return LoopTrack;
    return m_controller.Option(TPlayOption::Repeat) ? LoopPlaylist : LoopNone;
}

void TMprisService::SetLoopStatus(const QString& status)
{
    if (status != LoopNone && status != LoopTrack && status != LoopPlaylist)
        return;
    // Repeat 1 overrides Repeat, whose check mark stays under it as the user left it.
    m_controller.SetOption(TPlayOption::Repeat1, status == LoopTrack);
    if (status != LoopTrack)
        m_controller.SetOption(TPlayOption::Repeat, status == LoopPlaylist);
    Poll();
}

bool TMprisService::Shuffle() const
{
    return m_controller.Option(TPlayOption::Shuffle);
}

void TMprisService::SetShuffle(bool on)
{
    m_controller.SetOption(TPlayOption::Shuffle, on);
    Poll();
}

TMprisService::TTrackState TMprisService::TrackState() const
{
    TTrackState track;
    const TPlaybackController& controller = m_controller;
    const int number = controller.CurrentTrack();
    if (!CanControlDisc() || number == 0)
        return track;
    const TTrackData& data = m_model.Tracks(number);
    // One id per entry of the play order and the track it holds: a reshuffled order or another
    // disc makes new ids.
    track.Id = QStringLiteral("/org/qlnx/Disc%1/Entry%2/Track%3")
                   .arg(QString::number(m_model.DiscID(), 16).toUpper().rightJustified(8, u'0'))
                   .arg(controller.OrderIndex())
                   .arg(number);
    track.Number = number;
    track.Title = data.Name;
    track.Artist = m_model.Artist();
    track.Album = m_model.Title();
    track.Length = Micros(data.LengthMin, data.LengthSec, data.LengthFrame);
    return track;
}

QVariantMap TMprisService::Metadata() const
{
    const TTrackState track = TrackState();
    if (track.Id.isEmpty())
        return {};
    return {{QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(track.Id))},
            {QStringLiteral("mpris:length"), qlonglong(track.Length)},
            {QStringLiteral("xesam:trackNumber"), track.Number},
            {QStringLiteral("xesam:title"), track.Title},
            {QStringLiteral("xesam:artist"), QStringList{track.Artist}},
            {QStringLiteral("xesam:album"), track.Album}};
}

qlonglong TMprisService::Position() const
{
    const TPlaybackController& controller = m_controller;
    if (!CanControlDisc())
        return 0;
    quint32 position = 0;
    if (controller.Seeking())
        position = controller.SeekPosition();
    else if (m_device.DeviceMode() == TDeviceMode::Playing)
        position = m_device.CurrentPosition();
    else
        position = m_device.PlayFrom();
    if (TmsfTrack(position) != controller.CurrentTrack())
        return 0;
    return Micros(TmsfMinutes(position), TmsfSeconds(position), TmsfFrames(position));
}

TMprisService::TState TMprisService::State() const
{
    return {PlaybackStatus(), LoopStatus(),           Shuffle(),
            CanControlDisc(), m_controller.Seeking(), TrackState()};
}

void TMprisService::Poll()
{
    if (!m_registered)
        return;
    const TState now = State();
    QVariantMap changed;
    if (now.Status != m_announced.Status)
        changed.insert(QStringLiteral("PlaybackStatus"), now.Status);
    if (now.Loop != m_announced.Loop)
        changed.insert(QStringLiteral("LoopStatus"), now.Loop);
    if (now.Shuffle != m_announced.Shuffle)
        changed.insert(QStringLiteral("Shuffle"), now.Shuffle);
    if (now.Track != m_announced.Track)
        changed.insert(QStringLiteral("Metadata"), Metadata());
    if (now.CanControl != m_announced.CanControl) {
        for (const QString& name :
             {QStringLiteral("CanPlay"), QStringLiteral("CanPause"), QStringLiteral("CanSeek"),
              QStringLiteral("CanGoNext"), QStringLiteral("CanGoPrevious")})
            changed.insert(name, now.CanControl);
    }
    const bool seekEnded = m_announced.Seeking && !now.Seeking;
    m_announced = now;
    if (!changed.isEmpty())
        Announce(changed);
    if (seekEnded)
        Q_EMIT Seeked(Position());
}

void TMprisService::Announce(const QVariantMap& changed)
{
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << TMprisPlayerAdaptor::InterfaceName() << changed << QStringList();
    m_connection.send(signal);
}

// --- Commands --------------------------------------------------------------------------------

void TMprisService::Raise()
{
    Q_EMIT RaiseRequested();
}

void TMprisService::Quit()
{
    // Queued: the close may ask the user about a failed save, which must not hold up the reply.
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT QuitRequested(); }, Qt::QueuedConnection);
}

void TMprisService::Play()
{
    if (CanControlDisc() && PlaybackStatus() != Playing)
        m_controller.PlayButtonClick();
    Poll();
}

void TMprisService::Pause()
{
    // The Pause handler resumes a paused drive: only a play is paused.
    if (CanControlDisc() && PlaybackStatus() == Playing)
        m_controller.PauseButtonClick();
    Poll();
}

void TMprisService::PlayPause()
{
    if (PlaybackStatus() == Playing)
        Pause();
    else
        Play();
}

void TMprisService::Stop()
{
    if (CanControlDisc())
        m_controller.StopButtonClick();
    Poll();
}

void TMprisService::Next()
{
    if (CanControlDisc())
        m_controller.NextButtonClick();
    Poll();
}

void TMprisService::Previous()
{
    if (!CanControlDisc())
        return;
    const QString before = TrackState().Id;
    m_controller.PrevButtonClick();
    // Back to the start of the same entry is a seek, not a new track.
    if (TrackState().Id == before)
        Q_EMIT Seeked(Position());
    Poll();
}

void TMprisService::SeekTo(qint64 micros)
{
    TPlaybackController& controller = m_controller;
    const qint64 frames = micros * FramesPerSecond / MicrosPerSecond;
    const quint32 tmsf =
        PackTmsf(controller.CurrentTrack(), int(frames / (60 * FramesPerSecond)),
                 int(frames / FramesPerSecond % 60), int(frames % FramesPerSecond));
    const bool playing = PlaybackStatus() == Playing;
    controller.SetStartPosition(tmsf);
    // As the end of a seek hold does: a play goes on from the new place, a cue just moves.
    if (playing)
        controller.PlayButtonClick();
    Q_EMIT Seeked(Position());
    Poll();
}

void TMprisService::Seek(qlonglong offset)
{
    if (!CanControlDisc() || m_controller.Seeking())
        return;
    const qint64 target = std::max<qint64>(0, Position() + offset);
    if (target > TrackState().Length) {
        Next();
        return;
    }
    SeekTo(target);
}

void TMprisService::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    if (!CanControlDisc() || m_controller.Seeking())
        return;
    const TTrackState track = TrackState();
    if (trackId.path() != track.Id || position < 0 || position > track.Length)
        return;
    SeekTo(position);
}

} // namespace qlnx
