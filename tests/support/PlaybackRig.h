#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/PlaybackController.h"
#include "support/RecordingDisplay.h"
#include "support/SimulatedCdDrive.h"

namespace qlnx {

// The playback logic wired to simulated drives and a recording display, with a data directory
// of its own. Time passes only through Tick().
struct TPlaybackRig
{
    QTemporaryDir Dir;
    TDiscModel Model;
    TSimulatedCdDrive Drive;
    TRecordingDisplay Display;
    TPlaybackController Controller{Model, Drive, Display, Dir.path()};

    TPlaybackRig()
    {
        // The window shows the disc's title in the title row.
        QObject::connect(&Model, &TDiscModel::TitleSet,
                         [this](const QString& text) { Display.Title = text; });
        // Repeat is on in a first start's settings.
        Controller.RestoreOption(TPlayOption::Repeat, true);
    }

    // One poll interval: the clock moves on, completions arrive, then the poll tick runs.
    void Tick(qint64 ms = 1000)
    {
        Drive.Advance(ms);
        TSimulatedCdDrive::Deliver();
        Controller.TimerTimer();
    }
    void Ticks(int count, qint64 ms = 1000)
    {
        for (int i = 0; i < count; ++i)
            Tick(ms);
    }
    // The option as the settings give it: the mark only.
    void SetOption(TPlayOption option, bool checked) { Controller.RestoreOption(option, checked); }
    // The shown position as "track m:ss".
    QString Shown() const
    {
        return QStringLiteral("%1 %2:%3")
            .arg(TmsfTrack(Display.LastPosition))
            .arg(TmsfMinutes(Display.LastPosition))
            .arg(TmsfSeconds(Display.LastPosition), 2, 10, QLatin1Char('0'));
    }
    QList<int> PlayOrder() const
    {
        return QList<int>(Model.PlayOrder().begin(), Model.PlayOrder().end());
    }
};

// Writes a disc data file for the disc with the given identity into the rig's data directory.
inline void WriteDiscData(const TPlaybackRig& rig, quint32 serial, const QByteArray& bytes)
{
    const QString name = DiscDataFileName(serial, QStringLiteral("data\\"), rig.Dir.path());
    QDir().mkpath(QFileInfo(name).path());
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace qlnx
