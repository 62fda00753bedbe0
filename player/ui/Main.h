#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <QWidget>

#include "controls/WindowFrame.h"
#include "lyrics/LyricsGeometry.h"
#include "lyrics/LyricsSync.h"
#include "online/HttpTransport.h"
#include "playback/PlaybackController.h"
#include "playback/PlaybackDisplay.h"
#include "uilogic/Colors.h"
#include "uilogic/TrackItem.h"

class QAction;
class QComboBox;
class QDialog;
class QMenu;
class QPushButton;

namespace qlnx {

class TAndPanel;
class TDiscModel;
class TLabelGauge;
class TLyricsForm;
class TLyricsEditForm;
class TAboutForm;
class TDataEditForm;
class TMainMenu;
class TOnlineChooserForm;
class TProgramEditForm;
class TSeekInput;

// The player's main window: artist, title, track and time rows over the transport buttons,
// without a title bar. It shows what the playback logic tells it and hands every user action
// to that logic.
class TQLNXMainForm final : public QWidget, public TPlaybackDisplay, public TPositionSink
{
    Q_OBJECT
public:
    TQLNXMainForm(TDiscModel& model, CdDevice& device, const QString& programDir,
                  QWidget* parent = nullptr);
    ~TQLNXMainForm() override;

    // The rest of the window's creation once it exists: shows both windows, lays them out,
    // probes the drives and starts the poll (seed: the shuffle generator's, from the clock
    // when not given).
    void FormCreate(std::optional<quint32> seed = std::nullopt);
    // The same in two steps, for a start that paints the window before it looks at the
    // drives: the settings, the show and the layout; then the drives and the poll.
    void ShowForm();
    void StartPlayback(std::optional<quint32> seed = std::nullopt);

    TPlaybackController& Controller() { return *m_controller; }
    TLyricsForm& LyricsForm() { return *m_lyricsForm; }
    TAndPanel& ArtistPanel() { return *m_artistPanel; }
    TAndPanel& TitlePanel() { return *m_titlePanel; }
    TAndPanel& TrackPanel() { return *m_trackPanel; }
    TLabelGauge& CurTimeGauge() { return *m_curTimeGauge; }
    QComboBox& TrackCombo() { return *m_trackCombo; }
    QComboBox& DriveCombo() { return *m_driveCombo; }
    QPushButton& PlayButton() { return *m_playButton; }
    QPushButton& PauseButton() { return *m_pauseButton; }
    QPushButton& ForwardButton() { return *m_forwardButton; }
    TSeekInput& SeekInput() { return *m_seekInput; }
    QMenu& PopupMenu();
    TMainMenu& Menu() { return *m_menu; }
    QAction& OptionAction(TPlayOption option);

    // The dialogs, created after the main window and shown beside it.
    void SetAboutForm(TAboutForm* about) { m_aboutForm = about; }
    void AboutClick();
    // The disc editors (MainEditors.cpp): each refilled from the disc at every opening; what
    // they return is applied only to the disc they were opened for.
    void SetDataEditForm(TDataEditForm* form) { m_dataEditForm = form; }
    void SetProgramEditForm(TProgramEditForm* form) { m_programEditForm = form; }
    void DataEditClick();
    void LookUpDiscClick();
    void ProgramEditClick();
    // How an editor runs modally: exec() unless something else is to drive it (tests).
    void SetDiscEditorRunner(std::function<int(QDialog&)> runner);
    // The lyrics editor, opened on the current track; OK there saves and shows the new lines.
    void SetLyricsEditForm(TLyricsEditForm* form);
    void LyricsEditClick();
    // The HTTP client of the online lookups.
    void SetHttpTransport(TTransportFactory transport);
    // The dialogs, made when first opened rather than at start: the editors alone hold over a
    // megabyte of widgets that playing a disc never needs. A dialog set above is used as it is.
    struct TDialogMakers
    {
        std::function<TDataEditForm*()> DataEdit{};
        std::function<TProgramEditForm*()> ProgramEdit{};
        std::function<TAboutForm*()> About{};
        std::function<TLyricsEditForm*()> LyricsEdit{};
    };
    void SetDialogMakers(TDialogMakers makers) { m_dialogMakers = std::move(makers); }
    // Places a dialog beside the main window on the main window's screen.
    void PlaceDialog(QWidget& dialog) const;

    // A later start asked for the player: both windows come back from the taskbar where they
    // were and to the front, with their sizes and places unchanged.
    void BringToFront();
    // Adds a disc image (CUE sheet, TOC file) to the drives, remembered in the settings, and
    // loads its disc; the menu item asks for the file.
    void OpenImage(const QString& path);
    void OpenImageClick();
    void MinimizeClick();

    // Messages go to a box unless something else is to receive them (tests).
    void SetErrorReporter(std::function<void(const QString&)> reporter);

    // --- Settings file ----------------------------------------------------------------------
    // Read once while the window is created, before it shows; written once when it closes.
    // A failed save is the message to show; the old file then stays as it was.
    void LoadSettings();
    std::optional<QString> SaveSettings();
    void SetMainFontColor(TColor color);

    // --- Window geometry ------------------------------------------------------------------
    void LayoutMainWindow();
    void UpdateComboMetrics();
    void ChangeFontClick();

    // --- Lyrics window ----------------------------------------------------------------------
    // Modes are kept as stored: a value outside the known ones checks no item.
    int LyricsFormMode() const { return m_lyricsFormMode; }
    int LyricsFormSyncMode() const { return m_lyricsFormSyncMode; }
    void SetLyricsFormMode(int mode);
    void UpdateLyricsFormVisibility();
    void SetLyricsFormSync(int mode);
    void PlaceLyricsForm();
    // Shows or hides the lyrics window without taking anything from the main window.
    void SetLyricsFormVisible(bool visible);

    // --- Track list ---------------------------------------------------------------------------
    TTrackNumberStyle TrackNumberStyle() const { return m_trackNumberStyle; }
    void SetTrackNumberStyle(TTrackNumberStyle style);

    // --- TPlaybackDisplay ----------------------------------------------------------------------
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
    void SetOptionChecked(TPlayOption option, bool checked) override;
    void SetOptionEnabled(TPlayOption option, bool enabled) override;
    void ReportError(const QString& message) override;

    // --- TPositionSink ------------------------------------------------------------------------
    void SetGauge(const TGaugePosition& position) override;
    bool LyricsVisible() const override;
    QString CurLyricsText() const override;
    QString NextLyricsText() const override;
    void SetCurLyricsText(const QString& text) override;
    void SetNextLyricsText(const QString& text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void CreateButtons();
    void ConnectMenu();
    QPushButton* MakeButton(const QString& hint, int glyph);
    void OptStayOnTopClick();
    void SetStayOnTop(QWidget& window, bool onTop);
    void ChangeGaugeColor(bool foreground);
    void OptTimeGaugeInvTextClick();
    void PopupMenuPopup();
    void ShowPendingLyricsForm();
    int RunDiscEditor(QDialog& editor);
    // A dialog, made by its maker on first use; null when there is neither.
    template <typename TForm> static TForm* MadeOnce(TForm*& form, std::function<TForm*()>& maker)
    {
        if (!form && maker)
            form = std::exchange(maker, {})();
        return form;
    }
    // The track of the entry the track row shows, 0 without one.
    int ShownTrack() const;
    void EditDiscData(const QString& artist, const QString& title, const QStringList& names,
                      bool proposed);
    void SaveEditedDisc();
    void WarnUnreadData();

    TDiscModel& m_model;
    TPlaybackController* m_controller;
    TLyricsForm* m_lyricsForm;

    TLabelGauge* m_curTimeGauge;
    QComboBox* m_trackCombo;
    QComboBox* m_driveCombo;
    QPushButton* m_ejectButton = nullptr;
    QPushButton* m_nextButton = nullptr;
    QPushButton* m_prevButton = nullptr;
    QPushButton* m_forwardButton = nullptr;
    QPushButton* m_backButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_pauseButton = nullptr;
    QPushButton* m_playButton = nullptr;
    TAndPanel* m_artistPanel;
    TAndPanel* m_titlePanel;
    TAndPanel* m_trackPanel;

    TMainMenu* m_menu;
    TAboutForm* m_aboutForm = nullptr;
    TDataEditForm* m_dataEditForm = nullptr;
    TOnlineChooserForm* m_onlineChooser = nullptr;
    TProgramEditForm* m_programEditForm = nullptr;
    std::function<int(QDialog&)> m_discEditorRunner;
    TLyricsEditForm* m_lyricsEditForm = nullptr;
    TDialogMakers m_dialogMakers;
    TTransportFactory m_httpTransport;
    TSeekInput* m_seekInput = nullptr;
    QString m_programDir;
    // The settings' CDText, kept to be written back as it was read.
    int m_cdTextSetting = 0;
    // Whether the lyrics window was on screen when the pair was minimised.
    bool m_lyricsFormMinimized = false;
    // The lyrics window is to show once the open menu has closed.
    bool m_lyricsFormShowPending = false;
    // Where the lyrics window last asked this one to go: that move needs no answer.
    std::optional<QPoint> m_placedAt;

    TTrackNumberStyle m_trackNumberStyle = TTrackNumberStyle::None;
    int m_lyricsFormMode = int(TLyricsFormMode::Depend);
    int m_lyricsFormSyncMode = int(TLyricsFormSync::None);
    // The entry of the play order the track row shows, as the playback logic last said.
    int m_shownOrderIndex = 0;
    // The track numbers of the list's items.
    std::vector<int> m_listedOrder;
    std::function<void(const QString&)> m_errorReporter;
    TWindowDrag m_drag;
};

} // namespace qlnx
