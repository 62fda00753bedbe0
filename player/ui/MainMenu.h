#pragma once

#include <array>

#include <QObject>

#include "lyrics/LyricsGeometry.h"
#include "playback/PlaybackDisplay.h"
#include "uilogic/TrackItem.h"

class QAction;
class QMenu;
class QWidget;

namespace qlnx {

class TPlaybackController;

// The main window's pop-up menu: it owns every item, hands the play-mode toggles straight to
// the playback logic, which owns those options and has the window show their marks, and
// reports the window's own commands, whose marks the window's handlers set.
class TMainMenu final : public QObject
{
    Q_OBJECT
public:
    TMainMenu(TPlaybackController& controller, QWidget* parent);

    QMenu& Menu() { return *m_menu; }
    QAction& Option(TPlayOption option) { return *m_options[std::size_t(option)]; }
    QAction& StayOnTop() { return *m_stayOnTop; }
    QAction& InvertText() { return *m_invertText; }
    QAction& DataEdit() { return *m_dataEdit; }
    QAction& LyricsEdit() { return *m_lyricsEdit; }
    QAction& ProgramEdit() { return *m_programEdit; }
    QAction& LookUpDisc() { return *m_lookUpDisc; }

    // Checks exactly the item of the value within its group; a value without an item checks
    // none.
    void CheckLyricsFormMode(int mode);
    void CheckLyricsFormSync(int sync);
    void CheckTrackNumberStyle(int style);
    bool LyricsFormModeChecked(TLyricsFormMode mode) const;

    // The three editor items together.
    void EnableEditors(bool enabled);

Q_SIGNALS:
    void StayOnTopClick();
    void LyricsFormModeClick(TLyricsFormMode mode);
    void LyricsFormSyncClick(TLyricsFormSync sync);
    void TrackNumberStyleClick(TTrackNumberStyle style);
    void ForeColorClick();
    void BackColorClick();
    void InvertTextClick();
    void FontClick();
    void DataEditClick();
    void OpenImageClick();
    void LyricsEditClick();
    void ProgramEditClick();
    void LookUpDiscClick();
    void AboutClick();
    void MinimizeClick();
    void ExitClick();

private:
    QAction* AddCheck(QMenu* menu, const QString& caption);
    template <typename Handler> void OnToggle(QAction* action, Handler handler);

    QMenu* m_menu;
    std::array<QAction*, 5> m_options{};
    QAction* m_dataEdit = nullptr;
    QAction* m_lyricsEdit = nullptr;
    QAction* m_programEdit = nullptr;
    QAction* m_lookUpDisc = nullptr;
    QAction* m_stayOnTop = nullptr;
    std::array<QAction*, 3> m_lyricsFormModes{};
    std::array<QAction*, 4> m_lyricsFormSyncs{};
    std::array<QAction*, 4> m_trackNumberStyles{};
    QAction* m_invertText = nullptr;
};

} // namespace qlnx
