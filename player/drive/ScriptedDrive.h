#pragma once

#include <functional>
#include <memory>

#include <QString>

#include "drive/DriveBackend.h"

namespace qlnx {

enum class TDriveCall
{
    IsDrive,
    Status,
    ReadDisc,
    ReadAudio,
    Eject,
    CloseTray
};

// How a scripted drive behaves. Delays are real time: they stand for a drive that spins up or
// struggles with a disc.
struct TDriveScript
{
    // The first read of the table of contents after the tray closed (and the very first) waits
    // this long for the disc to spin up.
    int SpinUpMs = 0;
    // Every read of the table of contents takes this long.
    int TocReadMs = 0;
    // The first read of audio after the table of contents was read takes this long.
    int SlowReadMs = 0;
    bool NoDrive = false;     // the node is no drive
    bool NoToc = false;       // the disc's table of contents cannot be read
    bool RefuseEject = false; // the tray never opens on command
    // Called at the start of every call, on the calling thread, before any delay: tests hold
    // calls here, and see which calls came in what order.
    std::function<void(TDriveCall)> Before{};
};

// A drive for tests, benchmarks and trying the player out: a disc image behind the calls of a
// physical drive, with a tray of its own (open: no disc; closed: the image file as it is then),
// and calls that can be made slow or failing. Cancel cuts a delay short.
std::unique_ptr<TDriveBackend> MakeScriptedDriveBackend(const QString& imagePath,
                                                        TDriveScript script);

} // namespace qlnx
