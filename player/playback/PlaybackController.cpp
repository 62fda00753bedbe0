#include "playback/PlaybackController.h"

#include <algorithm>

#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/PlaybackDisplay.h"

namespace qlnx {

TPlaybackController::TPlaybackController(TDiscModel& model, CdDevice& device,
                                         TPlaybackDisplay& display, const QString& programDir,
                                         QObject* parent)
    : QObject(parent), m_model(model), m_device(device), m_display(display),
      m_programDir(programDir), m_timer(this)
{
    m_timer.setInterval(m_interval);
    connect(&m_timer, &QTimer::timeout, this, &TPlaybackController::TimerTimer);
    connect(&m_device, &CdDevice::Notify, this, &TPlaybackController::MediaPlayerNotify);
    // The window shows the disc's title in the title row, where the drive states go too.
    connect(&m_model, &TDiscModel::TitleSet, this,
            [this](const QString& text) { m_titleText = text; });
}

bool TPlaybackController::Playing()
{
    return m_device.DeviceMode() == TDeviceMode::Playing;
}

void TPlaybackController::SetInterval(int ms)
{
    m_interval = ms;
    if (!m_seeking && !m_probePending)
        m_timer.setInterval(ms);
}

void TPlaybackController::SetOrderIndex(int index)
{
    const TAnnouncer announce(*this);
    m_orderIndex = index;
    m_display.ShowCurrentTrack(m_orderIndex);
}

void TPlaybackController::SetStartPosition(quint32 tmsf)
{
    const TAnnouncer announce(*this);
    m_device.SetPlayFrom(tmsf);
    ShowPosition(m_device.PlayFrom());
}

void TPlaybackController::GoToEntry(int index)
{
    SetOrderIndex(index);
    SetStartPosition(EntryStart(index));
    if (Playing())
        PlayCurrent();
}

void TPlaybackController::PlayButtonClick()
{
    const TAnnouncer announce(*this);
    if (!HasOrder())
        return;
    ShowPlayButton(false);
    PlayCurrent();
}

void TPlaybackController::PauseButtonClick()
{
    const TAnnouncer announce(*this);
    ShowPlayButton(true);
    SetStartPosition(m_device.CurrentPosition());
    try {
        m_playEnded = true;
        m_device.PauseDevice();
    } catch (const EMCIDeviceError&) {
        // No device open: nothing was playing, and the cue above is all that is left to do.
    }
}

void TPlaybackController::StopButtonClick()
{
    const TAnnouncer announce(*this);
    ShowPlayButton(true);
    StopDrive();
    if (!HasOrder())
        return;
    SetOrderIndex(1);
    SetStartPosition(EntryStart(1));
}

void TPlaybackController::NextButtonClick()
{
    const TAnnouncer announce(*this);
    if (HasOrder())
        GoToEntry(NextIndex(m_orderIndex));
}

void TPlaybackController::PrevButtonClick()
{
    const TAnnouncer announce(*this);
    if (!HasOrder())
        return;
    GoToEntry(ShownSeconds() >= 1 ? m_orderIndex : PrevIndex(m_orderIndex));
}

void TPlaybackController::EjectButtonClick()
{
    const TAnnouncer announce(*this);
    if (m_device.DeviceMode() == TDeviceMode::Open) {
        m_device.CloseDoor();
        return;
    }
    ResetDisplay();
    m_device.OpenDoor();
}

void TPlaybackController::TrackComboChange(int itemIndex)
{
    const TAnnouncer announce(*this);
    const int index = itemIndex + 1;
    if (index != m_orderIndex && index >= 1 && index <= m_model.OrderCount())
        GoToEntry(index);
}

void TPlaybackController::SeekButtonMouseDown(int direction)
{
    const TAnnouncer announce(*this);
    BeginSeek(direction);
}

void TPlaybackController::SeekButtonMouseUp()
{
    const TAnnouncer announce(*this);
    EndSeek();
}

void TPlaybackController::SeekButtonKeyDown(int direction)
{
    const TAnnouncer announce(*this);
    // A held key repeats its key-down; only the first one starts the hold.
    if (!m_seeking)
        BeginSeek(direction);
}

void TPlaybackController::SeekButtonKeyUp()
{
    const TAnnouncer announce(*this);
    EndSeek();
}

void TPlaybackController::BeginSeek(int direction)
{
    const TAnnouncer announce(*this);
    if (!HasOrder() || m_model.DiscID() == 0)
        return;
    if (Playing()) {
        // The head may have crossed into the next track of the run since the last tick.
        m_seekPosition = m_device.CurrentPosition();
        FollowHead(m_seekPosition);
    } else {
        m_seekPosition = m_device.PlayFrom();
    }
    m_seekDirection = direction;
    m_seeking = true;
    m_seekTicks = 0;
    m_timer.setInterval(SeekInterval);
}

void TPlaybackController::EndSeek()
{
    const TAnnouncer announce(*this);
    if (!m_seeking)
        return;
    m_seeking = false;
    SetStartPosition(m_seekPosition);
    if (Playing())
        PlayCurrent();
    m_timer.setInterval(m_interval);
}

void TPlaybackController::TimerTimer()
{
    const TAnnouncer announce(*this);
    if (m_inTimer)
        return;
    m_inTimer = true;
    if (m_probePending) {
        if (m_device.DrivesSettled() || ++m_settleTicks >= MaxSettleTicks)
            ProbeDrives();
    } else if (m_model.DiscID() == 0) {
        OpenDrive(m_driveIndex);
    } else if (m_device.DeviceMode() == TDeviceMode::Open) {
        EndSeek();
        OpenDrive(m_driveIndex);
    } else if (m_seeking && HasOrder()) {
        const TTrackData* track = &m_model.Tracks(CurrentTrack());
        int minutes = TmsfMinutes(m_seekPosition);
        int seconds = TmsfSeconds(m_seekPosition) + m_seekDirection;
        const bool repeat1 = Option(TPlayOption::Repeat1);
        if (minutes == track->LengthMin && seconds > track->LengthSec) {
            if (!repeat1)
                SetOrderIndex(NextIndex(m_orderIndex));
            minutes = 0;
            seconds = 0;
        } else if (seconds > 59) {
            ++minutes;
            seconds = 0;
        } else if (seconds < 0) {
            if (minutes >= 1) {
                --minutes;
                seconds = 59;
            } else {
                if (!repeat1)
                    SetOrderIndex(PrevIndex(m_orderIndex));
                track = &m_model.Tracks(CurrentTrack());
                minutes = track->LengthMin;
                seconds = track->LengthSec;
            }
        }
        m_seekPosition = PackTmsf(CurrentTrack(), minutes, seconds, 0);
        ShowPosition(m_seekPosition);
        if (m_seekTicks >= 10)
            m_timer.setInterval(FastSeekInterval);
        else
            ++m_seekTicks;
    } else if (const TDeviceMode mode = m_device.DeviceMode();
               mode == TDeviceMode::Playing && HasOrder()) {
        const quint32 position = m_device.CurrentPosition();
        FollowHead(position);
        ShowPosition(position);
    } else {
        RestPollIfIdle(mode);
    }
    m_inTimer = false;
}

void TPlaybackController::RestPollIfIdle(TDeviceMode mode)
{
    // Stopped or paused on a drive that changes only when told to: until the next command (or
    // completion) every tick would find the same, and an idle player should not wake the
    // machine once a second for it. A play on its way between two entries, or a completion
    // still owed, keeps the poll going.
    const bool idle = mode == TDeviceMode::Stopped || mode == TDeviceMode::Paused;
    if (idle && !m_pauseShown && m_completionsOwed == 0 && m_device.ModeFollowsCommands()) {
        m_timer.stop();
        m_pollResting = true;
    }
}

void TPlaybackController::WakePoll()
{
    if (!m_pollResting)
        return;
    m_pollResting = false;
    m_timer.start();
}

void TPlaybackController::FollowHead(quint32 position)
{
    // Into the next track of a run without a new play.
    const int current = CurrentTrack();
    if (TmsfTrack(position) > current && m_orderIndex < m_model.OrderCount() &&
        TmsfTrack(m_device.PlayTo()) > current)
        SetOrderIndex(m_orderIndex + 1);
}

void TPlaybackController::StopDrive()
{
    m_playEnded = true;
    m_device.StopDevice();
}

void TPlaybackController::MediaPlayerNotify()
{
    const TAnnouncer announce(*this);
    m_timer.stop();
    // Completions come one per play, in the order of the plays. One that was already on its
    // way when a newer play started, or when the user stopped or paused, no longer speaks for
    // what the drive does.
    const bool latest = m_completionsOwed <= 1;
    m_completionsOwed = std::max(0, m_completionsOwed - 1);
    if (m_device.NotifyResult() != TNotifyResult::Successful || !latest || m_playEnded ||
        !HasOrder() || m_model.DiscID() == 0) {
        m_timer.start();
        return;
    }
    if (Option(TPlayOption::Repeat1)) {
        SetStartPosition(EntryStart(m_orderIndex));
        PlayCurrent();
        m_timer.start();
        return;
    }
    if (m_orderIndex < m_model.OrderCount()) {
        SetOrderIndex(m_orderIndex + 1);
    } else if (Option(TPlayOption::MultiDrive) && TryOtherDrives()) {
        // The disc found is loaded and cued at its first entry; one whose stored order is
        // empty has nothing to play or cue.
        if (!HasOrder()) {
            StopDrive();
            ShowPlayButton(true);
            m_timer.start();
            return;
        }
    } else {
        // Without another disc to go on with (or without Multi Drive) the order starts over;
        // a search that loaded nothing must not replay the last entry forever.
        if (m_model.DiscID() == 0 || !HasOrder()) {
            m_timer.start();
            return;
        }
        SetOrderIndex(1);
    }
    SetStartPosition(EntryStart(m_orderIndex));
    if (m_orderIndex > 1 || Option(TPlayOption::Repeat)) {
        if (Option(TPlayOption::MultiDrive))
            ShowPlayButton(false);
        PlayCurrent();
    } else {
        ShowPlayButton(true);
    }
    m_timer.start();
}

void TPlaybackController::OptMultiDriveClick()
{
    const TAnnouncer announce(*this);
    ToggleOption(TPlayOption::MultiDrive);
}

void TPlaybackController::OptStopAtCloseClick()
{
    const TAnnouncer announce(*this);
    ToggleOption(TPlayOption::StopAtClose);
}

void TPlaybackController::FormClose()
{
    const TAnnouncer announce(*this);
    m_timer.stop();
    if (!m_device.DeviceOpen())
        return;
    if (Option(TPlayOption::StopAtClose))
        StopDrive();
    m_device.CloseDevice();
}

} // namespace qlnx
