#include "support/PlayerRig.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "lyricsui/LyricsForm.h"

namespace qlnx {

TPlayerRig::TPlayerRig()
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

TPlayerRig::~TPlayerRig()
{
    Form.LyricsForm().hide();
}

void TPlayerRig::Start(const QList<int>& seconds, quint32 serial, const QByteArray& data)
{
    if (!data.isEmpty())
        WriteData(serial, data);
    Drive.InsertDisc(Drive.AddDrive(QStringLiteral("sr0")), TSimDisc::Audio(seconds, serial));
    Form.FormCreate(1);
}

void TPlayerRig::Tick(qint64 ms)
{
    Drive.Advance(ms);
    TSimulatedCdDrive::Deliver();
    Form.Controller().TimerTimer();
}

void TPlayerRig::Ticks(int count, qint64 ms)
{
    for (int i = 0; i < count; ++i)
        Tick(ms);
}

QString TPlayerRig::DataFile(quint32 serial) const
{
    return DiscDataFileName(serial, Model.DataDir(), Dir.path());
}

void TPlayerRig::WriteData(quint32 serial, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(DataFile(serial)).path());
    QFile file(DataFile(serial));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray TPlayerRig::ReadData(quint32 serial) const
{
    QFile file(DataFile(serial));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TPlayerRig::Choose(QAction& item)
{
    Q_EMIT Form.PopupMenu().aboutToShow();
    item.trigger();
}

QWidget* TPlayerRig::Focused()
{
    return QApplication::focusWidget();
}

void TPlayerRig::Key(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(Focused(), Qt::Key(key), modifiers);
}

void TPlayerRig::Type(const QString& text)
{
    QTest::keyClicks(Focused(), text);
}

} // namespace qlnx
