#pragma once

#include <cstddef>
#include <span>

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace qlnx {

// The options that shape playback. The playback logic owns them; the display shows their
// check marks as it is told.
enum class TPlayOption
{
    Repeat1,
    Repeat,
    Shuffle,
    MultiDrive,
    StopAtClose
};
inline constexpr std::size_t PlayOptionCount = 5;

// Everything the playback logic shows goes through this interface, which the main window
// implements. The logic never touches a widget, and it runs one way: each call carries what the
// screen needs, and nothing is read back from the screen.
class TPlaybackDisplay
{
public:
    virtual ~TPlaybackDisplay() = default;

    // Empties the rows and shows "Please wait..." in the title row. (The logic forgets the
    // disc itself before calling it.)
    virtual void ResetDisplay() = 0;
    // Refills the track list from the play order (track numbers, entry 1 first).
    virtual void FillTrackList(std::span<const quint8> playOrder) = 0;
    // Shows entry orderIndex (1-based) of the play order as the current one.
    virtual void ShowCurrentTrack(int orderIndex) = 0;
    // Shows a position of the track at entry orderIndex: time gauge and lyric lines.
    virtual void ShowPosition(quint32 tmsf, int orderIndex) = 0;

    // The title row, which also carries the drive states.
    virtual void SetTitlePanelText(const QString& text) = 0;
    virtual void SetTitlePanelHint(const QString& hint) = 0;

    // All push buttons at once; the Eject button alone.
    virtual void EnableButtons(bool enabled) = 0;
    virtual void EnableEjectButton(bool enabled) = 0;
    // Play showing (stopped or paused) or Pause showing (playing); focus follows.
    virtual void ShowPlayButton(bool visible) = 0;

    virtual void SetDriveList(const QStringList& drives) = 0;
    virtual void SetDriveItemIndex(int index) = 0;

    virtual void SetOptionChecked(TPlayOption option, bool checked) = 0;
    virtual void SetOptionEnabled(TPlayOption option, bool enabled) = 0;

    // A failure the user must hear of (a disc data file that cannot be read).
    virtual void ReportError(const QString& message) = 0;
};

} // namespace qlnx
