#pragma once

#include <QDir>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

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
    TRecordingDisplay Display{Model, [this] { return Controller.OrderIndex(); }};
    TPlaybackController Controller{Model, Drive, Display, Dir.path()};

    TPlaybackRig()
    {
        // The window shows the disc's title in the title row.
        QObject::connect(&Model, &TDiscModel::TitleSet,
                         [this](const QString& text) { Display.Title = text; });
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
    void SetOption(TPlayOption option, bool checked) { Display.Checked[option] = checked; }
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
        QList<int> order;
        for (int i = 0; i < Model.OrderCount(); ++i)
            order.append(Model.PlayOrder()[std::size_t(i)]);
        return order;
    }
};

// Writes a disc data file for the disc with the given identity into the rig's data directory.
inline void WriteDiscData(const TPlaybackRig& rig, quint32 serial, const QByteArray& bytes)
{
    const QString dir = rig.Dir.path() + QStringLiteral("/data/");
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("%1").arg(serial, 8, 16, QLatin1Char('0')).toUpper() +
               QStringLiteral(".dat"));
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace qlnx
