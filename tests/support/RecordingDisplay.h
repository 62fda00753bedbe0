#pragma once

#include <functional>
#include <map>

#include <QStringList>

#include "playback/PlaybackDisplay.h"

namespace qlnx {

// A display that remembers what it was told, for playback tests. Each call is logged as one
// line; the state a window would show (title text, buttons, option marks) is kept too.
class TRecordingDisplay final : public TPlaybackDisplay
{
public:
    QStringList Log;
    QString Title;
    QString Hint;
    bool ButtonsEnabled = false;
    bool EjectEnabled = false;
    bool PlayVisible = true;
    int Progress = 0;
    quint32 LastPosition = 0;
    QStringList DriveList;
    int DriveItem = -1;
    QStringList Errors;
    std::map<TPlayOption, bool> Checked;
    std::map<TPlayOption, bool> Enabled;
    // Track numbers the track row showed, in order ("-" for an empty row).
    QStringList TrackRow;

    // Called after each line is logged, to act from inside a display call.
    std::function<void(const QString&)> OnLog;

    // Lines of the log that start with prefix.
    QStringList Calls(const QString& prefix) const;

    void ResetDisplay() override;
    void FillTrackList(std::span<const quint8> playOrder) override;
    void ShowCurrentTrack(int orderIndex) override;
    void ShowPosition(quint32 tmsf, int orderIndex) override;
    void SetTitlePanelText(const QString& text) override;
    void SetTitlePanelHint(const QString& hint) override;
    void EnableButtons(bool enabled) override;
    void EnableEjectButton(bool enabled) override;
    void ShowPlayButton(bool visible) override;
    void SetDriveList(const QStringList& drives) override;
    void SetDriveItemIndex(int index) override;
    bool OptionChecked(TPlayOption option) const;
    void SetOptionChecked(TPlayOption option, bool checked) override;
    void SetOptionEnabled(TPlayOption option, bool enabled) override;
    void ReportError(const QString& message) override;

private:
    void Record(const QString& line);

    // The track numbers of the list last filled, as a window's list holds them.
    QList<int> m_list;
};

} // namespace qlnx
