// Looks at the drives as the player sees them, and plays through the playback engine.
//
//   qlnxcd [--verbose] [--image PATH]...         the drives: mode, tracks, identity
//   qlnxcd [...] toc DRIVE                       the table of contents and CD-Text
//   qlnxcd [...] play DRIVE [FROM [TO]]          plays tracks FROM to TO (the whole disc by
//                                                default), showing the position every second
//
// Disc images come from the settings file's section "Drives", then from --image. --verbose
// prints every call to a physical drive and every read of its audio, with how long it took,
// on standard error: what to send with a report of a drive that holds the player up; and
// why a disc image cannot be played, and whether its REM DISCID agrees with its layout.

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QThread>
#include <QTimer>

#include "audiosink/AudioSinkBackend.h"
#include "base/Version.h"
#include "disc/Tmsf.h"
#include "drive/CdioDevice.h"
#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"

using namespace qlnx;

namespace {

const char* ModeName(TDeviceMode mode)
{
    static const char* const names[] = {"not ready", "stopped", "playing", "recording",
                                        "seeking",   "paused",  "open"};
    return names[int(mode)];
}

QString Msf(quint32 l)
{
    return QStringLiteral("%1:%2.%3")
        .arg(MsfMinutes(l), 2, 10, QLatin1Char('0'))
        .arg(MsfSeconds(l), 2, 10, QLatin1Char('0'))
        .arg(MsfFrames(l), 2, 10, QLatin1Char('0'));
}

const char* ResultName(TNotifyResult r)
{
    switch (r) {
    case TNotifyResult::Successful:
        return "successful";
    case TNotifyResult::Superseded:
        return "superseded";
    case TNotifyResult::Aborted:
        return "aborted";
    case TNotifyResult::Failure:
        break;
    }
    return "failure";
}

int Usage()
{
    std::fprintf(stderr, "usage: qlnxcd [--verbose] [--image PATH]... "
                         "[toc DRIVE | play DRIVE [FROM [TO]]]\n");
    return 2;
}

QElapsedTimer& SinceStart()
{
    static QElapsedTimer timer;
    return timer;
}

void PrintTimed(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::fprintf(stderr, "%9.3f  %s\n", double(SinceStart().nsecsElapsed()) / 1e9,
                 qPrintable(message));
}

// The drives are looked at by threads of their own; a command-line tool may wait for them.
void WaitForDrives(CdDevice& device)
{
    QElapsedTimer waited;
    waited.start();
    bool told = false;
    while (!device.DrivesSettled() && waited.elapsed() < 60'000) {
        if (!told && waited.elapsed() > 1000) {
            std::fprintf(stderr, "waiting for the drives to read their discs...\n");
            told = true;
        }
        QThread::msleep(20);
    }
}

bool Open(TCdioDevice& device, const QString& drive)
{
    try {
        device.OpenDevice(drive);
    } catch (const EMCIDeviceError&) {
        std::printf("%s: not available\n", qPrintable(drive));
        return false;
    }
    if (device.DeviceMode() == TDeviceMode::Open) {
        std::printf("%s: no disc\n", qPrintable(drive));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationVersion(ProductVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Looks at the drives as the player sees them: qlnxcd [toc DRIVE | play "
                       "DRIVE [FROM [TO]]]"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption verboseOption(QStringLiteral("verbose"),
                                           QStringLiteral("Print every call to a drive, timed."));
    const QCommandLineOption imageOption(QStringLiteral("image"),
                                         QStringLiteral("Add a disc image as a drive."),
                                         QStringLiteral("PATH"));
    parser.addOptions({verboseOption, imageOption});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("toc or play"));
    // Everything after the command is its own (a track number is never an option).
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(app.arguments())) {
        std::fprintf(stderr, "qlnxcd: %s\n", qPrintable(parser.errorText()));
        return Usage();
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    const QStringList args = parser.positionalArguments();
    const QString programDir = ProgramDirectory();
    QStringList images = DriveImagePaths(TIniFile(SettingsFileName(programDir)), programDir);
    images += parser.values(imageOption);
    const bool verbose = parser.isSet(verboseOption);
    if (verbose) {
        SinceStart().start();
        qInstallMessageHandler(PrintTimed);
        QLoggingCategory::setFilterRules(
            QStringLiteral("qlnx.drive.debug=true\nqlnx.image.info=true"));
    }
    TCdioDevice device({.ImagePaths = images, .Output = MakeSystemAudioOutput()});
    WaitForDrives(device);

    if (args.isEmpty()) {
        const QStringList drives = device.EnumerateCdDrives();
        if (drives.isEmpty())
            std::printf("no drives (settings file: %s)\n",
                        qPrintable(SettingsFileName(programDir)));
        for (const QString& drive : drives) {
            const auto serial = device.DiscSerial(drive);
            try {
                device.OpenDevice(drive);
            } catch (const EMCIDeviceError&) {
                std::printf("%-16s not available\n", qPrintable(drive));
                continue;
            }
            std::printf(
                "%-16s %-9s %2d tracks  identity %s\n", qPrintable(drive),
                ModeName(device.DeviceMode()), device.NumberOfTracks(),
                serial ? qPrintable(
                             QStringLiteral("%1").arg(*serial, 8, 16, QLatin1Char('0')).toUpper())
                       : "none");
            device.CloseDevice();
        }
        return 0;
    }

    if (args.size() < 2)
        return Usage();
    const QString command = args.at(0);
    const QString drive = args.at(1);
    if (command == QLatin1String("toc")) {
        if (!Open(device, drive))
            return 1;
        const TDiscText text = device.CdText();
        if (!text.Artist.isEmpty() || !text.Title.isEmpty())
            std::printf("CD-Text: %s / %s\n", qPrintable(text.Artist), qPrintable(text.Title));
        for (int n = 1; n <= device.NumberOfTracks(); ++n) {
            std::printf("%2d  %-5s  length %s  %s\n", n, device.IsAudioTrack(n) ? "audio" : "data",
                        qPrintable(Msf(device.TrackLength(n))),
                        qPrintable(text.TrackTitles.value(n - 1)));
        }
        return 0;
    }
    if (command != QLatin1String("play"))
        return Usage();
    if (!Open(device, drive))
        return 1;
    const int count = device.NumberOfTracks();
    const int from = args.size() > 2 ? std::clamp(args.at(2).toInt(), 1, count) : 1;
    const int to = args.size() > 3 ? std::clamp(args.at(3).toInt(), from, count) : count;
    device.SetPlayFrom(device.TrackStart(from));
    const quint32 length = device.TrackLength(to);
    device.SetPlayTo(PackTmsf(to, MsfMinutes(length), MsfSeconds(length), MsfFrames(length)));
    QObject::connect(&device, &CdDevice::Notify, &app, [&app](TNotifyResult r) {
        std::printf("play ended: %s\n", ResultName(r));
        app.quit();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &app, [&device] {
        std::printf("%s  %s\n", ModeName(device.DeviceMode()),
                    qPrintable(FormatTmsf(device.CurrentPosition())));
        std::fflush(stdout);
    });
    tick.start(1000);
    device.PlayRange();
    return app.exec();
}
