#pragma once

#include <optional>
#include <stdexcept>

#include <QObject>
#include <QStringList>

#include "disc/DiscText.h"
#include "disc/DiscToc.h"
#include "disc/TrackSource.h"

namespace qlnx {

// The seven drive modes, in the order the player's status values use.
// The player tells apart only Playing, Paused, Open and "anything else".
enum class TDeviceMode
{
    NotReady,
    Stopped,
    Playing,
    Recording,
    Seeking,
    Paused,
    Open
};

// Result of a completed play, as delivered with its completion.
enum class TNotifyResult
{
    Successful = 1,
    Superseded = 2,
    Aborted = 4,
    Failure = 8
};

// The one device error callers catch: opening a drive failed.
class EMCIDeviceError final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// One CD audio device, opened on one drive at a time.
//
// Every implementation keeps these rules; the playback logic is written against them only:
// - All positions are TMSF (Tmsf.h); track lengths are MSF.
// - OpenDevice throws EMCIDeviceError when the drive cannot be opened (also for an empty drive
//   name). A device still open is closed first. Nothing else throws, except PauseDevice with no
//   device open.
// - DeviceMode is Open while the door is open or no disc is in the drive, and NotReady while a
//   disc is in but not read yet (it has no serial until then).
// - No call waits for a drive: queries answer from what the device last learnt of it, and
//   door commands return at once and take effect later.
// - CloseDevice does not stop the drive: a play goes on, and opening the same drive again
//   reports Playing.
// - PlayFrom/PlayTo set a value and a pending flag. PlayRange starts a play from PlayFrom when
//   pending (else from the current position) to PlayTo when pending (else the end of the disc),
//   clears both flags and returns at once; the values stay readable.
// - Every PlayRange gets exactly one completion: Successful when the play reached its end;
//   Superseded when a newer PlayRange replaced it; Aborted (never Successful) after StopDevice or
//   PauseDevice; Failure when it could not run. Completions are delivered by emitting Notify
//   from the event loop of the device's thread (never from inside a device call), after
//   NotifyResult has been set to the result.
// - The end of track t, that is TMSF (t, length of t), is a valid PlayTo and ends the play at the
//   last frame of track t.
// - Status queries that fail return 0 (mode NotReady); their failure is not reported.
class CdDevice : public QObject, public TTrackSource
{
    Q_OBJECT
public:
    explicit CdDevice(QObject* parent = nullptr);
    ~CdDevice() override;

    // The drives in list order, each labelled as the drive list shows it. Stable for the
    // device's lifetime, but for images added after the others by AddImageDrive.
    virtual QStringList EnumerateCdDrives() = 0;
    // Adds a disc image (CUE sheet, TOC file) as a virtual drive after the others and returns
    // its label; an image already listed is not added again (its label is returned). None when
    // the device takes no images.
    virtual std::optional<QString> AddImageDrive(const QString& /*path*/) { return std::nullopt; }
    // Identity of the disc in the drive; no value when no disc can be read there.
    virtual std::optional<quint32> DiscSerial(const QString& drive) = 0;

    virtual void OpenDevice(const QString& drive) = 0;
    virtual void CloseDevice() = 0;
    virtual bool DeviceOpen() const = 0;

    virtual TDeviceMode DeviceMode() = 0;
    virtual int NumberOfTracks() = 0;
    virtual bool IsAudioTrack(int track) = 0;
    quint32 TrackStart(int track) override = 0;
    quint32 TrackLength(int track) override = 0;
    virtual quint32 CurrentPosition() = 0;

    void SetPlayFrom(quint32 tmsf);
    quint32 PlayFrom() const { return m_playFrom; }
    bool PlayFromPending() const { return m_playFromPending; }
    void SetPlayTo(quint32 tmsf);
    quint32 PlayTo() const { return m_playTo; }
    bool PlayToPending() const { return m_playToPending; }

    // Starts a play with the pending positions; see the rules above.
    void PlayRange();
    virtual void StopDevice() = 0;
    // Pauses a play, or resumes when paused; throws EMCIDeviceError with no device open.
    virtual void PauseDevice() = 0;
    virtual void OpenDoor() = 0;
    virtual void CloseDoor() = 0;

    // The table of contents of the disc in the open drive as the drive (or the image) gives
    // it: where each track starts, data tracks included, and the disc's lead-out. Empty when
    // the drive holds no disc read yet.
    virtual TDiscToc DiscToc() { return {}; }
    // The CD-Text of the disc in the open drive; empty when it has none.
    virtual TDiscText CdText() { return {}; }
    // Whether every drive has had its first look: a disc in it has been read, or found
    // unreadable. Until then a drive may still turn out to hold a disc.
    virtual bool DrivesSettled() { return true; }
    // Whether the open drive's mode changes only through this device's own commands and their
    // completions (a disc image has no door to open by hand): while it neither plays nor
    // seeks, asking it again tells nothing new.
    virtual bool ModeFollowsCommands() { return false; }

    TNotifyResult NotifyResult() const { return m_notifyResult; }

Q_SIGNALS:
    void Notify(TNotifyResult result);

protected:
    // Starts the play; from/to are empty when not pending.
    virtual void StartPlay(std::optional<quint32> from, std::optional<quint32> to) = 0;
    // Queues a completion: NotifyResult is set and Notify emitted later from the event loop.
    // Safe to call from any thread.
    void PostNotify(TNotifyResult result);

private:
    void DeliverNotify(TNotifyResult result);

    quint32 m_playFrom = 0;
    quint32 m_playTo = 0;
    bool m_playFromPending = false;
    bool m_playToPending = false;
    TNotifyResult m_notifyResult = TNotifyResult::Successful;
};

} // namespace qlnx
