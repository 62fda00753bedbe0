#pragma once

#include <QString>
#include <QStringList>

namespace qlnx {

class TIniFile;

// The directory that holds the settings file and, by default, the data directory: the
// executable's own directory when it is writable (a build tree, a portable copy) and not part
// of an installation, otherwise $XDG_CONFIG_HOME/qlnx/ (~/.config/qlnx/ when that is unset or
// not absolute). Every result ends with "/".
QString ProgramDirectory();
// Whether executableDir is the bin/ of an installation: the player's desktop entry is in
// ../share/applications/ beside it. An installed program writes nothing beside itself, even
// where it could (run as root, installed under the home directory).
bool InstalledProgramDirectory(const QString& executableDir);
QString ChooseProgramDirectory(const QString& executableDir, bool executableDirWritable,
                               const QString& xdgConfigHome, const QString& home);

// The settings file in that directory.
QString SettingsFileName(const QString& programDir);

// The hint for a player that found no drive at all: where a disc image is added.
QString NoDriveHint(const QString& settingsFile);

// The disc images that follow the physical drives in the drive list: the values of the keys
// Image1, Image2, ... of section "Drives", in the order of their numbers (gaps allowed, empty
// values skipped). Backslashes are separators; "~/" stands for the home directory; any other
// path not beginning with "/" is taken from settingsDir.
QStringList DriveImagePaths(const TIniFile& settings, const QString& settingsDir);
// Adds a disc image to section "Drives" under the key after the highest ImageN; false (and
// nothing written) when the image is listed already.
bool RememberDriveImage(TIniFile& settings, const QString& settingsDir, const QString& path);

// Section "Test": drives and an audio output that misbehave on purpose, for trying the player
// out against slow drives and stalling sound servers. Nobody needs it to play discs.
struct TTestDrive
{
    QString ImagePath;  // the disc image behind the drive's calls
    int SpinUpMs = 0;   // DriveNSpinUp: the disc spins up this long after the tray closes
    int TocReadMs = 0;  // DriveNTocRead: each read of the table of contents takes this long
    int SlowReadMs = 0; // DriveNSlowRead: the first read of audio after it takes this long
};
struct TTestSettings
{
    // Drive1, Drive2, ... (paths as for the images of "Drives"), each with its timings.
    QList<TTestDrive> Drives;
    // OutputStall: the audio output stops taking samples this long into every play.
    int OutputStallMs = 0;
};
TTestSettings ReadTestSettings(const TIniFile& settings, const QString& settingsDir);

} // namespace qlnx
