// The options, what the screen was last told, and the announcements of what changed.

#include "playback/PlaybackController.h"

#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/PlaybackDisplay.h"

namespace qlnx {

TPlaybackController::TAnnouncer::TAnnouncer(TPlaybackController& controller)
    : m_controller(controller)
{
    ++m_controller.m_announceDepth;
    // Also a command from a view answering an announcement of the tick that let the poll rest.
    m_controller.WakePoll();
}

TPlaybackController::TAnnouncer::~TAnnouncer()
{
    if (--m_controller.m_announceDepth == 0)
        m_controller.Announce();
}

void TPlaybackController::Announce()
{
    // A view that answers a signal may call back in: what its call changes is announced by the
    // next round here rather than from inside the signal.
    ++m_announceDepth;
    for (int round = 0; round < 8; ++round) {
        TAnnounced now;
        now.State = PlayState();
        now.OrderIndex = m_orderIndex;
        now.Track = CurrentTrack();
        now.DiscID = m_model.DiscID();
        now.Seeking = m_seeking;
        now.Options = m_options;
        if (now == m_announced)
            break;
        const TAnnounced before = m_announced;
        m_announced = now;
        if (now.DiscID != before.DiscID)
            Q_EMIT DiscChanged(now.DiscID);
        for (std::size_t i = 0; i < PlayOptionCount; ++i) {
            if (now.Options[i] != before.Options[i])
                Q_EMIT OptionChanged(TPlayOption(i), now.Options[i]);
        }
        if (now.OrderIndex != before.OrderIndex || now.Track != before.Track)
            Q_EMIT CurrentEntryChanged(now.OrderIndex, now.Track);
        if (now.Seeking != before.Seeking)
            Q_EMIT SeekingChanged(now.Seeking);
        if (now.State != before.State)
            Q_EMIT PlayStateChanged(now.State);
    }
    --m_announceDepth;
}

TPlayState TPlaybackController::PlayState() const
{
    if (m_model.DiscID() == 0 || !HasOrder())
        return TPlayState::Stopped;
    switch (m_device.DeviceMode()) {
    case TDeviceMode::Playing:
        return TPlayState::Playing;
    case TDeviceMode::Paused:
        return TPlayState::Paused;
    default:
        // Between two plays of the order the drive may be idle for a moment; the Pause button
        // showing says a play is under way.
        return m_pauseShown ? TPlayState::Playing : TPlayState::Stopped;
    }
}

int TPlaybackController::ShownSeconds() const
{
    return TmsfMinutes(m_shownPosition) * 60 + TmsfSeconds(m_shownPosition);
}

void TPlaybackController::SetOption(TPlayOption option, bool on)
{
    if (Option(option) == on)
        return;
    switch (option) {
    case TPlayOption::Repeat1:
        OptRepeat1Click();
        break;
    case TPlayOption::Repeat:
        OptRepeatClick();
        break;
    case TPlayOption::Shuffle:
        OptShuffleClick();
        break;
    case TPlayOption::MultiDrive:
        OptMultiDriveClick();
        break;
    case TPlayOption::StopAtClose:
        OptStopAtCloseClick();
        break;
    }
}

void TPlaybackController::RestoreOption(TPlayOption option, bool on)
{
    const TAnnouncer announce(*this);
    m_options[std::size_t(option)] = on;
    m_display.SetOptionChecked(option, on);
}

void TPlaybackController::ToggleOption(TPlayOption option)
{
    bool& on = m_options[std::size_t(option)];
    on = !on;
    m_display.SetOptionChecked(option, on);
}

void TPlaybackController::ShowPlayButton(bool visible)
{
    m_pauseShown = !visible;
    m_display.ShowPlayButton(visible);
}

void TPlaybackController::ShowPosition(quint32 tmsf)
{
    m_shownPosition = tmsf;
    m_display.ShowPosition(tmsf, m_orderIndex);
    Q_EMIT PositionChanged(tmsf, m_orderIndex);
}

} // namespace qlnx
