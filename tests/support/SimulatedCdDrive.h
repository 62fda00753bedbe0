#pragma once

#include <optional>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "playback/CdDevice.h"

namespace qlnx {

// A scriptable set of CD drives driven by a virtual clock, for tests. Time passes only through
// Advance(); completions are queued like a real device's and arrive when the test lets the
// event loop run (QCoreApplication::sendPostedEvents, or Deliver()).
struct TSimTrack
{
    qint64 LengthFrames = 0;
    bool Audio = true;
};

struct TSimDisc
{
    QList<TSimTrack> Tracks;
    std::optional<quint32> Serial; // no value: the identity cannot be read
    TDiscText Text;

    // Audio tracks of the given lengths in seconds.
    static TSimDisc Audio(const QList<int>& seconds, quint32 serial);
};

class TSimulatedCdDrive final : public CdDevice
{
    Q_OBJECT
public:
    explicit TSimulatedCdDrive(QObject* parent = nullptr);

    // --- Scripting ---------------------------------------------------------------------
    int AddDrive(const QString& label);
    void InsertDisc(int drive, const TSimDisc& disc);
    void RemoveDisc(int drive);
    // The door as the user moves it (the player's own door commands act the same way).
    void SetDoorOpen(int drive, bool open);
    // A drive whose device cannot be opened.
    void SetUnavailable(int drive, bool unavailable);
    // Whether the drives have had their first look at their discs (they have by default).
    void SetSettled(bool settled) { m_settled = settled; }
    // Drives whose doors only the player moves, as images are.
    void SetFollowsCommands(bool follows) { m_followsCommands = follows; }
    // A play started by someone else (an earlier run of the player) before the device is
    // opened here: no completion reaches this device for it.
    void StartForeignPlay(int drive, int fromTrack, qint64 fromOffsetFrames);
    // Moves the virtual clock on; heads advance 75 frames per second.
    void Advance(qint64 ms);
    // Lets queued completions arrive.
    static void Deliver();

    // --- Inspection --------------------------------------------------------------------
    // One line per command that reached a drive: "open sr0", "close", "stop", "pause",
    // "resume", "play 1:00:00:00-3:04:05:06", "play cur-2:01:00:00", "door open", ...
    QStringList Log() const { return m_log; }
    void ClearLog() { m_log.clear(); }
    int OpenDrive() const { return m_open; }
    TDeviceMode ModeOf(int drive) const;
    // Absolute frame of the head of a drive, from the start of track 1.
    qint64 HeadFrame(int drive) const;

    // --- CdDevice ------------------------------------------------------------------------
    QStringList EnumerateCdDrives() override;
    // A drive labelled by the file's name, holding the disc ImageDiscs gives for the path.
    std::optional<QString> AddImageDrive(const QString& path) override;
    QMap<QString, TSimDisc> ImageDiscs;
    std::optional<quint32> DiscSerial(const QString& drive) override;
    void OpenDevice(const QString& drive) override;
    void CloseDevice() override;
    bool DeviceOpen() const override { return m_open >= 0; }
    TDeviceMode DeviceMode() override;
    int NumberOfTracks() override;
    bool IsAudioTrack(int track) override;
    quint32 TrackStart(int track) override;
    quint32 TrackLength(int track) override;
    quint32 CurrentPosition() override;
    void StopDevice() override;
    void PauseDevice() override;
    void OpenDoor() override;
    void CloseDoor() override;
    // The tracks one after the other from sector 0.
    TDiscToc DiscToc() override;
    TDiscText CdText() override;
    bool DrivesSettled() override { return m_settled; }
    bool ModeFollowsCommands() override { return m_followsCommands; }

protected:
    void StartPlay(std::optional<quint32> from, std::optional<quint32> to) override;

private:
    struct Drive
    {
        QString Label;
        std::optional<TSimDisc> Disc;
        bool DoorOpen = false;
        bool Unavailable = false;
        TDeviceMode Mode = TDeviceMode::Stopped;
        qint64 Head = 0;
        qint64 End = 0;
        qint64 MsRemainder = 0;
        bool Ours = false; // the running play was started through this device
    };

    Drive* Current();
    bool DiscReady(const Drive& d) const { return d.Disc && !d.DoorOpen; }
    qint64 TrackStartFrame(const Drive& d, int track) const;
    qint64 DiscEndFrame(const Drive& d) const;
    qint64 AbsoluteFrame(const Drive& d, quint32 tmsf) const;
    quint32 TmsfAt(const Drive& d, qint64 frame) const;
    void EndPlay(Drive& d, TNotifyResult result);
    QString Describe(const Drive& d, qint64 frame) const;

    QList<Drive> m_drives;
    int m_open = -1;
    QStringList m_log;
    bool m_settled = true;
    bool m_followsCommands = false;
};

} // namespace qlnx
