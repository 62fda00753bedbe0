#pragma once

#include <memory>
#include <vector>

#include <QStringList>

#include "audio/DiscPlayer.h"
#include "audio/PlaybackEngine.h"
#include "drive/DriveBackend.h"
#include "drive/DriveMonitor.h"
#include "playback/CdDevice.h"

namespace qlnx {

// A drive given by its backend (a scripted drive in tests and benchmarks).
struct TBackendDrive
{
    QString Label;
    std::unique_ptr<TDriveBackend> Backend;
};

struct TCdioDeviceSetup
{
    // Disc images (CUE sheets, cdrdao TOC files) that follow the physical drives as virtual
    // drives, in this order.
    QStringList ImagePaths{};
    bool PhysicalDrives = true;
    // The device nodes to take as physical drives instead of those libcdio finds.
    QStringList DeviceNodes{};
    // Who plays: by default the engine in this process, playing to Output (by default the
    // silent output: a program that wants sound passes the system's audio output), reading ahead as
    // ReadAhead says.
    std::unique_ptr<TDiscPlayer> Player{};
    std::unique_ptr<TAudioOutput> Output{};
    TReadAhead ReadAhead = TReadAhead::Thread;
    // Drives watched like physical ones, after them and before the images.
    std::vector<TBackendDrive> BackendDrives{};
    TMonitorTiming Monitor{};
};

// The CD device on libcdio: physical drives (sorted by device path, labelled by the device's
// short name, "sr0") followed by disc images as virtual drives (labelled by the image's file
// name). Audio is read digitally and played by a disc player: the playback engine in this
// process, which lives as long as the device, or the playback service, which outlives it. A
// play outlives CloseDevice either way.
//
// Nothing here waits for a drive: each physical drive has a monitor thread that alone talks to
// it, and every question is answered from its latest snapshot. A disc still being read has no
// serial yet and its drive is NotReady; door commands return at once. Images are read when
// asked (it is fast), through the same snapshots. Every call to a physical drive is logged,
// with its duration, to the category "qlnx.drive" (debug level, off by default).
//
// A virtual drive behaves like a drive with a tray: OpenDoor opens it (mode Open, no disc),
// CloseDoor closes it and the image file is read afresh at the next question, so a replaced
// file is a new disc. While the tray is closed the disc stays the one read then. A missing
// image file is an empty drive; an image that cannot be read cannot be opened.
class TCdioDevice final : public CdDevice
{
    Q_OBJECT
public:
    explicit TCdioDevice(TCdioDeviceSetup setup, QObject* parent = nullptr);
    // Ends within 1.5 s whatever the drives do: a drive call that does not return by then is
    // left to its thread.
    ~TCdioDevice() override;

    QStringList EnumerateCdDrives() override;
    std::optional<QString> AddImageDrive(const QString& path) override;
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

    TDiscToc DiscToc() override;
    TDiscText CdText() override;
    bool DrivesSettled() override;
    bool ModeFollowsCommands() override;

protected:
    void StartPlay(std::optional<quint32> from, std::optional<quint32> to) override;

private:
    struct TDrive
    {
        QString Label;
        QString Path;
        bool Image = false;
        std::unique_ptr<TDriveWatch> Watch;
    };

    void AddDrive(const QString& label, const QString& path, bool image,
                  std::unique_ptr<TDriveWatch> watch);
    TDriveSnapshot OpenSnapshot();
    // The open drive's disc when the drive holds one now.
    std::shared_ptr<const TDiscInfo> OpenDisc();
    // What the player does with the disc in the open drive; a play whose disc has left the
    // drive is forgotten.
    std::optional<TDiscPlayer::TStatus> PlayOnOpenDrive(const TDriveSnapshot& snapshot);
    TDiscPlayer::TCompletion Completion();

    std::vector<TDrive> m_drives;
    int m_open = -1;
    std::unique_ptr<TDiscPlayer> m_player;
};

} // namespace qlnx
