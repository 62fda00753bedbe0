#pragma once

#include <functional>

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>

#include "disc/DiscModel.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"

class QAction;
class QDialog;
class QWidget;

namespace qlnx {

// The player's windows on simulated drives, offscreen, with a data directory of their own.
// Time passes only through Tick(). Messages are collected in Errors; a disc editor runs as a
// shown dialog while User acts in it, instead of in a loop of its own.
struct TPlayerRig
{
    QTemporaryDir Dir;
    TDiscModel Model;
    TSimulatedCdDrive Drive;
    TQLNXMainForm Form{Model, Drive, Dir.path()};
    QStringList Errors;
    // What the user does while an editor is open; the editor stays open if it does not close it.
    std::function<void(QDialog&)> User;
    int Runs = 0;
    bool LeftOpen = false;

    TPlayerRig();
    ~TPlayerRig();
    TPlayerRig(const TPlayerRig&) = delete;
    TPlayerRig& operator=(const TPlayerRig&) = delete;

    TPlaybackController& Controller() { return Form.Controller(); }
    // A disc of the given track lengths in seconds in a new drive sr0, with a data file when
    // bytes are given; then the windows are created.
    void Start(const QList<int>& seconds, quint32 serial, const QByteArray& data = {});
    // One poll interval: the clock moves on, completions arrive, then the poll tick runs.
    void Tick(qint64 ms = 1000);
    void Ticks(int count, qint64 ms = 1000);

    QString DataFile(quint32 serial) const;
    void WriteData(quint32 serial, const QByteArray& bytes);
    // Empty when there is no file.
    QByteArray ReadData(quint32 serial) const;

    // The menu item as the user finds it: the menu enables it when it opens.
    void Choose(QAction& item);
    static QWidget* Focused();
    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static void Type(const QString& text);
};

} // namespace qlnx
