#include "desktop/MprisService.h"

#include <algorithm>

#include <QAction>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QPushButton>
#include <QTimer>

#include "desktop/MprisAdaptors.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/CdDevice.h"
#include "ui/Main.h"

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

TMprisService::TMprisService(TQLNXMainForm& form, TDiscModel& model, CdDevice& device,
                             QObject* parent)
    : QObject(parent), m_form(form), m_model(model), m_device(device), m_connection(QString())
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
    connect(&m_form.Controller().Timer(), &QTimer::timeout, this, &TMprisService::Poll);
    for (const TPlayOption option :
         {TPlayOption::Repeat1, TPlayOption::Repeat, TPlayOption::Shuffle})
        connect(&m_form.OptionAction(option), &QAction::toggled, this, &TMprisService::Poll);
    return true;
}

// --- State -----------------------------------------------------------------------------------

bool TMprisService::CanControlDisc() const
{
    return m_model.DiscID() != 0 && m_model.OrderCount() > 0;
}

QString TMprisService::PlaybackStatus() const
{
    if (!CanControlDisc())
        return Stopped;
    switch (m_device.DeviceMode()) {
    case TDeviceMode::Playing:
        return Playing;
    case TDeviceMode::Paused:
        return Paused;
    default:
        // Between two plays of the order the drive may be idle for a moment; the Pause button
        // showing says a play is under way.
        return m_form.PlayButton().isHidden() ? Playing : Stopped;
    }
}

QString TMprisService::LoopStatus() const
{
    if (m_form.OptionChecked(TPlayOption::Repeat1))
        return LoopTrack;
    return m_form.OptionChecked(TPlayOption::Repeat) ? LoopPlaylist : LoopNone;
}

void TMprisService::SetLoopStatus(const QString& status)
{
    if (status != LoopNone && status != LoopTrack && status != LoopPlaylist)
        return;
    TPlaybackController& controller = m_form.Controller();
    // Repeat 1 overrides Repeat, whose check mark stays under it as the user left it.
    if ((status == LoopTrack) != m_form.OptionChecked(TPlayOption::Repeat1))
        controller.OptRepeat1Click();
    if (status != LoopTrack &&
        (status == LoopPlaylist) != m_form.OptionChecked(TPlayOption::Repeat))
        controller.OptRepeatClick();
    Poll();
}

bool TMprisService::Shuffle() const
{
    return m_form.OptionChecked(TPlayOption::Shuffle);
}

void TMprisService::SetShuffle(bool on)
{
    if (on != Shuffle())
        m_form.Controller().OptShuffleClick();
    Poll();
}

TMprisService::TTrackState TMprisService::TrackState() const
{
    TTrackState track;
    const TPlaybackController& controller = m_form.Controller();
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
    const TPlaybackController& controller = m_form.Controller();
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
    return {
        PlaybackStatus(), LoopStatus(), Shuffle(), CanControlDisc(), m_form.Controller().Seeking(),
        TrackState()};
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
    m_form.BringToFront();
}

void TMprisService::Quit()
{
    // Queued: the close may ask the user about a failed save, which must not hold up the reply.
    QMetaObject::invokeMethod(&m_form, &QWidget::close, Qt::QueuedConnection);
}

void TMprisService::Play()
{
    if (CanControlDisc() && PlaybackStatus() != Playing)
        m_form.Controller().PlayButtonClick();
    Poll();
}

void TMprisService::Pause()
{
    // The Pause handler resumes a paused drive: only a play is paused.
    if (CanControlDisc() && PlaybackStatus() == Playing)
        m_form.Controller().PauseButtonClick();
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
        m_form.Controller().StopButtonClick();
    Poll();
}

void TMprisService::Next()
{
    if (CanControlDisc())
        m_form.Controller().NextButtonClick();
    Poll();
}

void TMprisService::Previous()
{
    if (!CanControlDisc())
        return;
    const QString before = TrackState().Id;
    m_form.Controller().PrevButtonClick();
    // Back to the start of the same entry is a seek, not a new track.
    if (TrackState().Id == before)
        Q_EMIT Seeked(Position());
    Poll();
}

void TMprisService::SeekTo(qint64 micros)
{
    TPlaybackController& controller = m_form.Controller();
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
    if (!CanControlDisc() || m_form.Controller().Seeking())
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
    if (!CanControlDisc() || m_form.Controller().Seeking())
        return;
    const TTrackState track = TrackState();
    if (trackId.path() != track.Id || position < 0 || position > track.Length)
        return;
    SeekTo(position);
}

} // namespace qlnx
