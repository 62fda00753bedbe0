#pragma once

#include <memory>

#include <QString>

#include "drive/DriveWatch.h"

namespace qlnx {

// What a physical drive says of its tray and disc.
enum class TTrayStatus
{
    NoInfo,   // the drive cannot tell: its table of contents will
    NoDisc,   // tray closed, nothing in it
    TrayOpen, // tray open
    NotReady, // a disc is in, the drive is not ready for it yet (spinning up)
    DiscOk    // a disc is in and the drive is ready
};

// The calls a drive monitor makes of one physical drive. Any of them may take long (seconds
// while the drive spins up or struggles with a disc): they are made on the monitor's thread,
// and the audio of a disc read by ReadDisc on the playback engine's reader thread.
class TDriveBackend
{
public:
    virtual ~TDriveBackend() = default;
    // The device node or file behind the drive.
    virtual QString Name() const = 0;
    // Name is a disc image behind a drive's calls (a scripted drive), to be opened as one.
    virtual bool IsImage() const { return false; }
    // Whether a CD drive is there: anything opens as a drive with libcdio, /dev/null too.
    virtual bool IsDrive() = 0;
    virtual TTrayStatus Status() = 0;
    // The disc in the drive: table of contents, identity, CD-Text, and a source of its audio
    // that stays open as long as it is held. None when the drive tells no table of contents.
    virtual std::shared_ptr<const TDiscInfo> ReadDisc() = 0;
    // False when the drive refused (the kernel refuses to eject while another handle is open).
    virtual bool Eject() = 0;
    virtual bool CloseTray() = 0;
    // Nothing more is wanted of the drive (the program ends): a call under way may end early.
    // Any thread.
    virtual void Cancel() {}
};

// A physical drive through the kernel's CD-ROM calls and libcdio.
std::unique_ptr<TDriveBackend> MakeCdioDriveBackend(const QString& device);

// Writes every call of the backend, and every read of the audio of the discs it reads, with
// how long it took, to the logging category "qlnx.drive" (debug level).
std::unique_ptr<TDriveBackend> MakeLoggingDriveBackend(std::unique_ptr<TDriveBackend> backend);

} // namespace qlnx
