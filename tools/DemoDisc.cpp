// Writes a short demo disc: a CUE/BIN image of four tracks of synthetic music, its disc data
// file named by the image's identity, and, when there is none yet, a settings file that lists
// the image as the first virtual drive.
//
//   qlnx_demodisc PROGRAM_DIR

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "audio/AudioOutput.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "drive/CdioDevice.h"
#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"

using namespace qlnx;

namespace {

constexpr int Rate = 44100;
constexpr int SectorFrames = 588; // sample frames per sector

struct TSong
{
    QString Name;
    int Seconds;
    double Bpm;
    // Chords as semitones above A4 (440 Hz) of their root, and whether they are minor.
    QList<std::pair<int, bool>> Chords;
    QList<TLyricEntry> Lyrics;
};

double Frequency(double semitonesFromA4)
{
    return 440.0 * std::pow(2.0, semitonesFromA4 / 12.0);
}

// A tone with a few harmonics, a little brighter at the start of a note.
double Voice(double phase, double brightness)
{
    return std::sin(phase) + 0.35 * brightness * std::sin(2 * phase) +
           0.15 * brightness * std::sin(3 * phase);
}

// Adds one note to the left and right buffers: attack, then exponential decay.
void AddNote(std::vector<double>& left, std::vector<double>& right, double start, double length,
             double freq, double gain, double pan, double attack, double decay)
{
    const qint64 first = qint64(start * Rate);
    const qint64 count = qint64((length + decay * 3) * Rate);
    for (qint64 i = 0; i < count && first + i < qint64(left.size()); ++i) {
        const double t = double(i) / Rate;
        double env = t < attack ? t / attack : std::exp(-(t - attack) / decay);
        if (t > length)
            env *= std::exp(-(t - length) / (decay * 0.5));
        const double phase = 2 * std::numbers::pi * freq * t;
        const double v = gain * env * Voice(phase, env);
        left[std::size_t(first + i)] += v * (1 - pan);
        right[std::size_t(first + i)] += v * (1 + pan);
    }
}

QByteArray RenderSong(const TSong& song)
{
    const qint64 frames = qint64(song.Seconds) * 75 * SectorFrames;
    std::vector<double> left(static_cast<std::size_t>(frames));
    std::vector<double> right(static_cast<std::size_t>(frames));
    const double beat = 60.0 / song.Bpm;
    const double bar = 4 * beat;
    const double length = double(frames) / Rate;
    quint32 noise = 12345;
    // Melody steps through the chord tones; 7 marks a rest.
    const int pattern[8] = {0, 2, 4, 2, 7, 4, 5, 2};
    int barIndex = 0;
    for (double t = 0; t + bar <= length - 1.0; t += bar, ++barIndex) {
        const auto [root, minor] = song.Chords.at(barIndex % song.Chords.size());
        const int third = minor ? 3 : 4;
        const QList<int> tones = {root,      root + third,      root + 7,
                                  root + 12, root + 12 + third, root + 19};
        // Pad: the chord held over the bar, slightly spread.
        for (int k = 0; k < 3; ++k)
            AddNote(left, right, t, bar * 0.95, Frequency(tones.at(k) - 12), 0.10, (k - 1) * 0.3,
                    0.12, 0.9);
        // Bass on every beat.
        for (int b = 0; b < 4; ++b)
            AddNote(left, right, t + b * beat, beat * 0.8, Frequency(root - 24 + (b == 2 ? 7 : 0)),
                    0.22, 0.0, 0.01, 0.25);
        // Melody in eighths, varied from bar to bar.
        for (int e = 0; e < 8; ++e) {
            const int step = pattern[(e + barIndex * 3) % 8];
            if (step == 7 || (barIndex % 4 == 3 && e > 5))
                continue;
            const int index = std::min(int(tones.size()) - 1, step % 6);
            AddNote(left, right, t + e * beat / 2, beat / 2 * 0.9, Frequency(tones.at(index) + 12),
                    0.12, 0.35, 0.005, 0.18);
        }
        // A soft hi-hat on the off-beats.
        for (int b = 0; b < 4; ++b) {
            const qint64 first = qint64((t + b * beat + beat / 2) * Rate);
            for (qint64 i = 0; i < Rate / 20 && first + i < frames; ++i) {
                noise = noise * 1664525u + 1013904223u;
                const double v = (double(noise >> 8) / double(1 << 24) - 0.5) * 0.05 *
                                 std::exp(-double(i) / (Rate / 200.0));
                left[std::size_t(first + i)] += v * 0.7;
                right[std::size_t(first + i)] += v * 1.3;
            }
        }
    }
    double peak = 1e-9;
    for (qint64 i = 0; i < frames; ++i)
        peak = std::max({peak, std::abs(left[std::size_t(i)]), std::abs(right[std::size_t(i)])});
    QByteArray pcm(frames * 4, '\0');
    for (qint64 i = 0; i < frames; ++i) {
        const double t = double(i) / Rate;
        const double fade = std::min({1.0, t / 0.3, (length - t) / 2.0});
        const auto sample = [&](double v) { return qint16(std::lround(v / peak * fade * 26000)); };
        const qint16 l = sample(left[std::size_t(i)]);
        const qint16 r = sample(right[std::size_t(i)]);
        pcm[i * 4] = char(l & 0xFF);
        pcm[i * 4 + 1] = char(l >> 8 & 0xFF);
        pcm[i * 4 + 2] = char(r & 0xFF);
        pcm[i * 4 + 3] = char(r >> 8 & 0xFF);
    }
    return pcm;
}

QList<TSong> Songs()
{
    // Roots in semitones from A4: C = 3, D = 5, E = 7, F = 8, G = 10, A = 0, B = 2.
    return {
        {QStringLiteral("Morning Light"),
         20,
         96,
         {{3, false}, {10, false}, {0, true}, {8, false}},
         {{QStringLiteral("Morning light across the floor"), 1},
          {QStringLiteral("朝の光が窓をたたく"), 6},
          {QStringLiteral("Open up the door"), 11},
          {QStringLiteral("さあ 出かけよう"), 15}}},
        {QStringLiteral("Harbour Rain"),
         24,
         84,
         {{0, true}, {8, false}, {3, false}, {10, false}},
         {{QStringLiteral("Rain upon the harbour wall"), 2},
          {QStringLiteral("Boats that never call"), 8},
          {QStringLiteral("港に雨がふる"), 13},
          {QStringLiteral("Still I wait for you"), 19}}},
        {QStringLiteral("Quick Steps"),
         18,
         110,
         {{5, false}, {10, false}, {5, false}, {0, false}},
         {}},
        {QStringLiteral("Evening Slow"),
         28,
         72,
         {{7, true}, {0, true}, {3, false}, {2, false}},
         {{QStringLiteral("The evening comes down slow"), 3},
          {QStringLiteral("Lanterns in a row"), 10},
          {QStringLiteral("夕暮れの歌"), 17},
          {QStringLiteral("Good night"), 24}}},
    };
}

QString Msf(qint64 sectors)
{
    return QStringLiteral("%1:%2:%3")
        .arg(sectors / 4500, 2, 10, QLatin1Char('0'))
        .arg(sectors / 75 % 60, 2, 10, QLatin1Char('0'))
        .arg(sectors % 75, 2, 10, QLatin1Char('0'));
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes a demo disc image, its disc data file and, when there is none, a settings file "
        "that lists the image as a virtual drive."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("program-dir"),
                                 QStringLiteral("Where to write (default: the player's folder)."),
                                 QStringLiteral("[program-dir]"));
    // Parses rather than processes: an unknown option is an error, never a folder name.
    if (!parser.parse(app.arguments()) || parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(parser.errorText().isEmpty() ? QStringLiteral("too many arguments")
                                                             : parser.errorText()));
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    const QString programDir =
        !args.isEmpty() ? QDir(args.at(0)).absolutePath() + u'/' : ProgramDirectory();
    const QString imageDir = programDir + QStringLiteral("demo/");
    QDir().mkpath(imageDir);

    const QString artist = QStringLiteral("The qlnx Demo Ensemble");
    const QString title = QStringLiteral("Demo Disc");
    const QList<TSong> songs = Songs();
    QByteArray bin;
    QString cue = QStringLiteral("PERFORMER \"%1\"\nTITLE \"%2\"\nFILE \"qlnx-demo.bin\" BINARY\n")
                      .arg(artist, title);
    for (int n = 0; n < songs.size(); ++n) {
        cue += QStringLiteral("  TRACK %1 AUDIO\n    TITLE \"%2\"\n    PERFORMER \"%3\"\n"
                              "    INDEX 01 %4\n")
                   .arg(n + 1, 2, 10, QLatin1Char('0'))
                   .arg(songs.at(n).Name, artist, Msf(bin.size() / 2352));
        bin += RenderSong(songs.at(n));
    }
    const QString cuePath = imageDir + QStringLiteral("qlnx-demo.cue");
    if (!WriteFile(imageDir + QStringLiteral("qlnx-demo.bin"), bin) ||
        !WriteFile(cuePath, cue.toUtf8())) {
        std::fprintf(stderr, "cannot write the demo image in %s\n", qPrintable(imageDir));
        return 1;
    }

    // The identity and table of contents as the player will read them.
    TCdioDevice device(
        {.ImagePaths = {cuePath}, .PhysicalDrives = false, .Output = MakeSilentAudioOutput()});
    const QString drive = device.EnumerateCdDrives().value(0);
    const auto serial = device.DiscSerial(drive);
    if (!serial) {
        std::fprintf(stderr, "the demo image cannot be read: %s\n", qPrintable(cuePath));
        return 1;
    }
    device.OpenDevice(drive);
    TDiscModel model;
    model.SetDiscID(*serial);
    model.SetTrackCount(device.NumberOfTracks());
    model.FillTracks(device);
    model.ResetOrders();
    model.SetArtist(artist);
    model.SetTitle(title);
    for (int n = 1; n <= model.TrackCount(); ++n) {
        model.Tracks(n).Name = songs.at(n - 1).Name;
        if (!songs.at(n - 1).Lyrics.isEmpty())
            model.Tracks(n).Lyrics = songs.at(n - 1).Lyrics;
    }
    if (const auto error = SaveDiscData(model, programDir)) {
        std::fprintf(stderr, "%s\n", qPrintable(*error));
        return 1;
    }
    device.CloseDevice();

    const QString settings = SettingsFileName(programDir);
    bool settingsWritten = false;
    if (!QFileInfo::exists(settings)) {
        TIniFile ini(settings);
        ini.WriteString(QStringLiteral("Drives"), QStringLiteral("Image1"),
                        QStringLiteral("demo/qlnx-demo.cue"));
        if (const auto error = ini.Save()) {
            std::fprintf(stderr, "%s\n", qPrintable(*error));
            return 1;
        }
        settingsWritten = true;
    }

    std::printf("Demo disc image: %s (%d tracks, %lld s)\n", qPrintable(cuePath),
                model.TrackCount(), qlonglong(bin.size() / (2352 * 75)));
    std::printf("Disc identity:   %08X\n", *serial);
    std::printf("Disc data file:  %s\n", qPrintable(DiscDataFileName(model, programDir)));
    std::printf("Settings file:   %s (%s)\n", qPrintable(settings),
                settingsWritten ? "created with the demo image as drive Image1" : "kept as it was");
    return 0;
}
