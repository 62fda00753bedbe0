#include <csignal>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include "app/PoliteStop.h"
#include "app/SingleInstance.h"
#include "support/Stranger.h"

using namespace qlnx;

// Two starts of the player in one process, each through its own rendezvous name.
class TestSingleInstance : public QObject
{
    Q_OBJECT

    static QString UniqueName()
    {
        return QStringLiteral("qlnx-test-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    }

private Q_SLOTS:
    void aSecondStartHandsOverAndEnds()
    {
        const QString name = UniqueName();
        TSingleInstance first(name);
        QVERIFY(!first.HandOver());
        QVERIFY(first.Listening());
        QSignalSpy raised(&first, &TSingleInstance::RaiseRequested);

        TSingleInstance second(name);
        QVERIFY(second.HandOver());
        QVERIFY(!second.Listening());
        QVERIFY(raised.wait(5000));
        QCOMPARE(raised.count(), 1);

        // A start with an image hands its path over before the raise.
        QSignalSpy opened(&first, &TSingleInstance::OpenRequested);
        TSingleInstance third(name);
        QVERIFY(third.HandOver(QStringLiteral("/m/Ä album.cue")));
        QVERIFY(opened.wait(5000));
        QCOMPARE(opened.at(0).at(0).toString(), QStringLiteral("/m/Ä album.cue"));
    }

    void aRendezvousLeftByACrashIsTakenOver()
    {
        // A socket bound and abandoned without removing its file, as a killed process leaves it.
        const QString name = UniqueName();
        const QByteArray path = QFile::encodeName(QDir::tempPath() + u'/' + name);
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(fd >= 0);
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, path.constData(), sizeof address.sun_path);
        QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
        QVERIFY(QFile::exists(QFile::decodeName(path)));

        TSingleInstance next(name);
        QVERIFY(!next.HandOver());
        QVERIFY(next.Listening());
        TSingleInstance later(name);
        QVERIFY(later.HandOver());
    }

    void aNameNotOursIsLeftAlone()
    {
        // A file at the name: this start runs on its own and leaves it be.
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("file"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        TSingleInstance beside(file);
        QVERIFY(!beside.HandOver());
        QVERIFY(QFileInfo(file).isFile());

        if (::getuid() != 0)
            QSKIP("another user's listener needs a test run as root");
        // Another user listening at the name is neither asked to come forward nor removed.
        QVERIFY(::chmod(QFile::encodeName(dir.path()).constData(), 0777) == 0);
        const QString squatted = dir.filePath(QStringLiteral("squatted"));
        TStranger listener(TStranger::TRole::Listen, squatted);
        QTRY_COMPARE(listener.Told(), QByteArray("r"));
        TSingleInstance mine(squatted);
        QVERIFY(!mine.HandOver());
        QVERIFY(QFileInfo::exists(squatted));
        QCOMPARE(listener.Told(), QByteArray("r"));
    }

    void aPoliteStopSignalArrivesOnTheEventLoop()
    {
        TPoliteStop stop;
        QSignalSpy requested(&stop, &TPoliteStop::StopRequested);
        raise(SIGTERM);
        QVERIFY(requested.wait(5000));
        QCOMPARE(requested.first().first().toInt(), SIGTERM);
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
