#pragma once

#include <array>
#include <optional>
#include <span>

#include <QObject>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

#include "playback/CdDevice.h"
#include "playback/PlaybackDisplay.h"

namespace qlnx {

class TDiscModel;

// What the player is doing, as the transport shows it: a play under way (also between two plays
// of the order, while the drive is idle for a moment), a paused play, or nothing.
enum class TPlayState
{
    Stopped,
    Playing,
    Paused
};

// The player's playback logic: which drive is used and what disc it holds, the play order and
// its modes, the transport commands, the poll tick and the end-of-play handling.
// It reaches the screen only through TPlaybackDisplay and the drive only through CdDevice. It
// owns the options and the play state; what changed is announced through its signals once the
// operation that changed it is over, so any view (the window, the desktop's media-player
// interface) can follow without reading the screen.
class TPlaybackController final : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultInterval = 1000;
    static constexpr int SeekInterval = 100;
    static constexpr int FastSeekInterval = 10;
    // While drives are still reading their discs at start-up, the poll looks this often, and
    // this many times at most before it probes the drives anyway.
    static constexpr int SettleInterval = 50;
    static constexpr int MaxSettleTicks = 100;

    // programDir: where a relative data directory is resolved.
    TPlaybackController(TDiscModel& model, CdDevice& device, TPlaybackDisplay& display,
                        const QString& programDir, QObject* parent = nullptr);

    // --- Start and end ----------------------------------------------------------------
    // Lists the drives, seeds the shuffle generator (from the clock when no seed is given),
    // resets the display, probes the drives in list order and starts the poll timer. The probe
    // waits (on the poll, without holding anything up) until every drive has had a look at its
    // disc, MaxSettleTicks at most.
    void Startup(std::optional<quint32> seed = std::nullopt);
    // The start-up probe has not run yet.
    bool ProbePending() const { return m_probePending; }
    // The device part of closing the window: stop only when "Stop at Close" is checked.
    void FormClose();

    // --- Drive selection -------------------------------------------------------------------
    bool OpenDrive(int index);
    // Adds a disc image to the drives, makes it the current drive and loads its disc; false
    // when the device takes no images.
    bool OpenImage(const QString& path);
    bool TryOtherDrives();
    void DriveComboChange(int index);
    int DriveIndex() const { return m_driveIndex; }
    // The device, for what it tells of the loaded disc beyond the model (its table of contents).
    CdDevice& Device() { return m_device; }
    const QStringList& Drives() const { return m_drives; }

    // --- Play order ---------------------------------------------------------------------
    void PlayCurrent();
    void ShufflePlayOrder();
    // Returns whether the playing (or cued) track was found in the order.
    bool SyncOrderIndex();
    int NextIndex(int index) const;
    int PrevIndex(int index) const;
    // Installs a new programme (from the programme editor): the caller saves the data file.
    void InstallProgram(std::span<const quint8> order);

    // --- Controller ---------------------------------------------------------------------
    int OrderIndex() const { return m_orderIndex; }
    void SetOrderIndex(int index);
    void SetStartPosition(quint32 tmsf);
    // The track of the current entry, 0 when the order is empty.
    int CurrentTrack() const;
    bool Seeking() const { return m_seeking; }
    quint32 SeekPosition() const { return m_seekPosition; }

    void PlayButtonClick();
    void PauseButtonClick();
    void StopButtonClick();
    void NextButtonClick();
    void PrevButtonClick();
    void EjectButtonClick();
    void TrackComboChange(int itemIndex);
    // The seek hold of Back and Forward: the window calls these for a left press and release,
    // and for the space key. direction: the seek button's tag, +1 forward, -1 back.
    void SeekButtonMouseDown(int direction);
    void SeekButtonMouseUp();
    void SeekButtonKeyDown(int direction);
    void SeekButtonKeyUp();
    void BeginSeek(int direction);
    void EndSeek();

    // --- Options -------------------------------------------------------------------------
    bool Option(TPlayOption option) const { return m_options[std::size_t(option)]; }
    // As the option's menu item does: its handler runs when the option is to change.
    void SetOption(TPlayOption option, bool on);
    // A stored option as it was saved: the mark changes, nothing else does (the settings are
    // read before any disc is loaded, so no play mode has anything to act on yet).
    void RestoreOption(TPlayOption option, bool on);
    void OptRepeat1Click();
    void OptRepeatClick();
    void OptShuffleClick();
    void OptMultiDriveClick();
    void OptStopAtCloseClick();

    // --- What plays ---------------------------------------------------------------------
    // Stopped without a disc that has a play order.
    TPlayState PlayState() const;
    // The position last shown, and the whole seconds into its track (0 after a reset).
    quint32 ShownPosition() const { return m_shownPosition; }
    int ShownSeconds() const;

    // --- Poll and completion ------------------------------------------------------------
    void TimerTimer();
    void MediaPlayerNotify();

    // A disc without a data file takes artist, title and track names from its CD-Text where
    // it has them, instead of "Artist", "Title" and "TrackNN".
    void SetCdTextDefaults(bool on) { m_cdTextDefaults = on; }

    // The poll interval outside a seek hold.
    int Interval() const { return m_interval; }
    void SetInterval(int ms);
    const QTimer& Timer() const { return m_timer; }

Q_SIGNALS:
    void PlayStateChanged(TPlayState state);
    // The current entry of the play order and its track (0, 0 without one).
    void CurrentEntryChanged(int orderIndex, int track);
    void OptionChanged(TPlayOption option, bool on);
    // Every position shown, as it is shown (the poll's ticks and every cue).
    void PositionChanged(quint32 tmsf, int orderIndex);
    // A disc was loaded (its identity) or forgotten (0).
    void DiscChanged(quint32 discID);
    // A seek hold of Back or Forward began or ended.
    void SeekingChanged(bool seeking);

private:
    // Announces, when the outermost operation ends, what it changed.
    class TAnnouncer
    {
    public:
        explicit TAnnouncer(TPlaybackController& controller);
        ~TAnnouncer();
        TAnnouncer(const TAnnouncer&) = delete;
        TAnnouncer& operator=(const TAnnouncer&) = delete;

    private:
        TPlaybackController& m_controller;
    };
    struct TAnnounced
    {
        TPlayState State = TPlayState::Stopped;
        int OrderIndex = 0;
        int Track = 0;
        quint32 DiscID = 0;
        bool Seeking = false;
        std::array<bool, PlayOptionCount> Options{};

        bool operator==(const TAnnounced&) const = default;
    };
    void Announce();
    // The poll rests while nothing it looks at can change without a command (see the tick);
    // every operation wakes it first.
    void RestPollIfIdle(TDeviceMode mode);
    void WakePoll();

    void ToggleOption(TPlayOption option);
    void ShowPlayButton(bool visible);
    void ShowPosition(quint32 tmsf);
    bool HasOrder() const;
    quint32 EntryStart(int index) const;
    void GoToEntry(int index);
    void ResetDisplay();
    void ShowStateText(const QString& text);
    QString DriveHint(int index) const;
    bool Playing();
    void ProbeDrives();
    void FollowHead(quint32 position);
    // Stops the drive; a completion still on its way then counts for nothing.
    void StopDrive();

    TDiscModel& m_model;
    CdDevice& m_device;
    TPlaybackDisplay& m_display;
    QString m_programDir;
    QRandomGenerator m_random;
    QTimer m_timer;
    QStringList m_drives;

    int m_driveIndex = 0;
    int m_orderIndex = 0;
    bool m_seeking = false;
    int m_seekDirection = 1;
    quint32 m_seekPosition = 0;
    int m_seekTicks = 0;
    bool m_inTimer = false;
    bool m_pollResting = false;
    bool m_probePending = false;
    int m_settleTicks = 0;
    // Plays started here whose completion has not come yet, and whether the latest one was
    // stopped or paused since.
    int m_completionsOwed = 0;
    bool m_playEnded = false;
    int m_interval = DefaultInterval;
    bool m_cdTextDefaults = false;

    std::array<bool, PlayOptionCount> m_options{};
    // What the screen shows: Pause instead of Play, the title row's text, the position.
    bool m_pauseShown = false;
    QString m_titleText;
    quint32 m_shownPosition = 0;
    int m_announceDepth = 0;
    TAnnounced m_announced;
};

} // namespace qlnx
