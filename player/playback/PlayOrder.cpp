// The play order: runs of consecutive tracks, shuffling, and the modes that shape the order.

#include "playback/PlaybackController.h"

#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/PlaybackDisplay.h"

namespace qlnx {

bool TPlaybackController::HasOrder() const
{
    return m_model.OrderCount() > 0;
}

int TPlaybackController::CurrentTrack() const
{
    return m_model.PlayOrderTrack(m_orderIndex);
}

quint32 TPlaybackController::EntryStart(int index) const
{
    return m_model.Tracks(m_model.PlayOrder()[std::size_t(index - 1)]).StartPos;
}

int TPlaybackController::NextIndex(int index) const
{
    return index < m_model.OrderCount() ? index + 1 : 1;
}

int TPlaybackController::PrevIndex(int index) const
{
    return index > 1 ? index - 1 : m_model.OrderCount();
}

void TPlaybackController::PlayCurrent()
{
    const TAnnouncer announce(*this);
    int last = CurrentTrack();
    if (last == 0)
        return;
    // One device play covers the run of consecutive tracks from the current entry, so they
    // follow each other without a pause.
    if (!Option(TPlayOption::Repeat1)) {
        for (int k = m_orderIndex + 1; k <= m_model.OrderCount(); ++k) {
            if (m_model.PlayOrder()[std::size_t(k - 1)] != last + 1)
                break;
            ++last;
        }
    }
    const TTrackData& track = m_model.Tracks(last);
    m_device.SetPlayTo(PackTmsf(last, track.LengthMin, track.LengthSec, track.LengthFrame));
    ++m_completionsOwed;
    m_playEnded = false;
    m_device.PlayRange();
}

void TPlaybackController::ShufflePlayOrder()
{
    const TAnnouncer announce(*this);
    // Entries are placed from the last programme entry to the first, each into a free slot
    // drawn uniformly, so every arrangement is equally likely.
    const int n = m_model.OrderCount();
    TDiscModel::TOrder play{};
    const auto program = m_model.ProgramOrder();
    for (int k = n; k >= 1; --k) {
        int r = int(m_random.bounded(quint32(k)));
        for (int i = 0; i < n; ++i) {
            if (play[std::size_t(i)] != 0)
                continue;
            if (r == 0) {
                play[std::size_t(i)] = program[std::size_t(k - 1)];
                break;
            }
            --r;
        }
    }
    m_model.SetPlayOrder(std::span<const quint8>(play.data(), std::size_t(n)));
}

bool TPlaybackController::SyncOrderIndex()
{
    const TAnnouncer announce(*this);
    const bool playing = Playing();
    const int track = TmsfTrack(playing ? m_device.CurrentPosition() : m_device.PlayFrom());
    for (int k = 1; k <= m_model.OrderCount(); ++k) {
        if (m_model.PlayOrder()[std::size_t(k - 1)] != track)
            continue;
        SetOrderIndex(k);
        if (playing) {
            SetStartPosition(m_device.CurrentPosition());
            PlayCurrent();
        } else {
            SetStartPosition(m_model.Tracks(track).StartPos);
        }
        return true;
    }
    if (playing) {
        StopDrive();
        ShowPlayButton(true);
    }
    SetOrderIndex(HasOrder() ? 1 : 0);
    if (HasOrder())
        SetStartPosition(EntryStart(1));
    return false;
}

void TPlaybackController::InstallProgram(std::span<const quint8> order)
{
    const TAnnouncer announce(*this);
    m_model.SetProgramOrder(order);
    if (Option(TPlayOption::Shuffle))
        ShufflePlayOrder();
    m_display.FillTrackList(m_model.PlayOrder());
    SyncOrderIndex();
}

void TPlaybackController::OptRepeat1Click()
{
    const TAnnouncer announce(*this);
    ToggleOption(TPlayOption::Repeat1);
    const bool free = !Option(TPlayOption::Repeat1);
    m_display.SetOptionEnabled(TPlayOption::Repeat, free);
    m_display.SetOptionEnabled(TPlayOption::MultiDrive, free);
    // Nothing is cued: the play goes on from where it is with its new end.
    if (Playing())
        PlayCurrent();
}

void TPlaybackController::OptRepeatClick()
{
    const TAnnouncer announce(*this);
    ToggleOption(TPlayOption::Repeat);
}

void TPlaybackController::OptShuffleClick()
{
    const TAnnouncer announce(*this);
    ToggleOption(TPlayOption::Shuffle);
    if (m_model.DiscID() == 0)
        return;
    if (Option(TPlayOption::Shuffle))
        ShufflePlayOrder();
    else
        m_model.CopyProgramToPlay();
    m_display.FillTrackList(m_model.PlayOrder());
    SyncOrderIndex();
    if (Playing())
        PlayCurrent();
}

} // namespace qlnx
