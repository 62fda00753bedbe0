#pragma once

#include <atomic>
#include <memory>

#include <QList>
#include <QStringList>
#include <QThreadPool>

#include "cdio/CdioDisc.h"
#include "cdio/PlaybackEngine.h"
#include "playback/CdDevice.h"

namespace qlnx {

struct TCdioDeviceSetup
{
    // Disc images (CUE sheets, cdrdao TOC files) that follow the physical drives as virtual
    // drives, in this order.
    QStringList ImagePaths;
    bool PhysicalDrives = true;
    // The device nodes to take as physical drives instead of those libcdio finds.
    QStringList DeviceNodes;
    // Where the audio goes; by default the system's audio output, silence when there is none.
    std::unique_ptr<TAudioOutput> Output;
    TReadAhead ReadAhead = TReadAhead::Thread;
};

// The CD device on libcdio: physical drives (sorted by device path, labelled by the device's
// short name, "sr0") followed by disc images as virtual drives (labelled by the image's file
// name). Audio is read digitally and played by the playback engine, which lives as long as
// the device, so a play outlives CloseDevice.
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
    ~TCdioDevice() override;

    QStringList EnumerateCdDrives() override;
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

protected:
    void StartPlay(std::optional<quint32> from, std::optional<quint32> to) override;

private:
    struct TDrive
    {
        QString Label;
        QString Path; // device node or image file
        bool Image = false;
        bool TrayOpen = false; // virtual tray of an image; a physical drive is asked
        // A physical tray is moving on our command (set here, cleared by the tray thread).
        std::shared_ptr<std::atomic<bool>> TrayBusy = std::make_shared<std::atomic<bool>>(false);
        // Images: the disc while the tray stays closed. Physical drives: the disc read at
        // OpenDevice.
        std::shared_ptr<TCdioDisc> Disc;
    };

    void AddDrive(const QString& path, bool image);
    // The disc of a drive as it is now, reading an image when its tray has just closed
    // (Unreadable only when that image cannot be read).
    TCdioDisc::TOpened LoadedDisc(TDrive& drive);
    // The open drive's disc as last read, without asking the drive.
    std::shared_ptr<TCdioDisc> TocDisc();
    // The open drive's disc when the drive holds one now (door closed, disc in).
    std::shared_ptr<TCdioDisc> ReadyDisc();
    // What the engine does on the open drive; no value when it does nothing there.
    std::optional<TPlaybackEngine::TStatus> EngineOnOpenDrive() const;
    TPlaybackEngine::TCompletion Completion();
    void MoveTray(int drive, bool open);

    QList<TDrive> m_drives;
    int m_open = -1;
    // The table of contents of the disc the engine was last given, to tell whether a physical
    // drive still holds that disc when it is opened again.
    TDiscToc m_playedToc;
    std::unique_ptr<TPlaybackEngine> m_engine;
    // Physical trays move without holding up the GUI.
    QThreadPool m_trayPool;
};

} // namespace qlnx
