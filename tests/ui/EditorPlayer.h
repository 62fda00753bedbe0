#pragma once

#include <csignal>
#include <functional>

#include <sys/resource.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"
#include "ui/MainMenu.h"

namespace qlnx {

// The player's windows on a simulated drive, offscreen, with the disc editors: an editor runs
// as a shown dialog while User presses keys in it, instead of in a loop of its own.
struct TEditorPlayer
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

    TEditorPlayer()
    {
        Form.SetErrorReporter([this](const QString& m) { Errors.append(m); });
        Form.SetDiscEditorRunner([this](QDialog& editor) {
            ++Runs;
            editor.open();
            QCoreApplication::processEvents();
            if (User)
                User(editor);
            LeftOpen = editor.isVisible();
            if (LeftOpen)
                editor.reject();
            return editor.result();
        });
    }
    ~TEditorPlayer() { Form.LyricsForm().hide(); }

    // A disc of the given track lengths in seconds, with a data file when bytes are given.
    void Start(const QList<int>& seconds, quint32 serial, const QByteArray& data = {})
    {
        if (!data.isEmpty())
            WriteData(serial, data);
        Drive.InsertDisc(Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio(seconds, serial));
        Form.FormCreate(1);
    }
    void Tick(qint64 ms = 1000)
    {
        Drive.Advance(ms);
        TSimulatedCdDrive::Deliver();
        Form.Controller().TimerTimer();
    }
    QString DataFile(quint32 serial) const
    {
        return DiscDataFileName(serial, Model.DataDir(), Dir.path());
    }
    void WriteData(quint32 serial, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(DataFile(serial)).path());
        QFile file(DataFile(serial));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray ReadData(quint32 serial) const
    {
        QFile file(DataFile(serial));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The menu item as the user finds it: the menu enables it when it opens.
    void Choose(QAction& item)
    {
        Q_EMIT Form.PopupMenu().aboutToShow();
        item.trigger();
    }
    static QWidget* Focused() { return QApplication::focusWidget(); }
    static void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focused(), Qt::Key(key), modifiers);
    }
    static void Type(const QString& text) { QTest::keyClicks(Focused(), text); }
};

// Writes of more than a few bytes fail while it lives, as on a full file system.
class TFullDisk final
{
public:
    TFullDisk()
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = m_old;
        small.rlim_cur = 16;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~TFullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    TFullDisk(const TFullDisk&) = delete;
    TFullDisk& operator=(const TFullDisk&) = delete;

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace qlnx
