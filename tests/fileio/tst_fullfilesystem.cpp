#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <functional>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "convert/OutputFile.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "fileio/AtomicFile.h"
#include "settings/IniFile.h"
#include "support/TestFiles.h"

using namespace qlnx;

namespace {

bool WriteProc(const char* path, const QByteArray& text)
{
    QFile file(QString::fromLatin1(path));
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// A mount namespace of this process alone, so the small file systems mounted here are seen by
// nobody else and vanish with the test. Root may mount; anyone else tries a user namespace.
bool PrivateMounts()
{
    if (geteuid() == 0)
        return unshare(CLONE_NEWNS) == 0 &&
               mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    const QByteArray uid = QByteArray::number(geteuid());
    const QByteArray gid = QByteArray::number(getegid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return false;
    WriteProc("/proc/self/setgroups", "deny");
    return WriteProc("/proc/self/uid_map", uid + ' ' + uid + " 1") &&
           WriteProc("/proc/self/gid_map", gid + ' ' + gid + " 1");
}

} // namespace

// Every save of the player and the converter on a real, full file system: 64 KiB of tmpfs with
// nothing or 8 KiB left. The old file must stay byte for byte, the failure must be reported and
// no temporary file may stay behind.
class TestFullFileSystem : public QObject
{
    Q_OBJECT

    QTemporaryDir m_base;
    QString m_mount;
    bool m_mounted = false;

    // Mounts a fresh file system, lets prepare() put the old files on it, then fills it up to
    // leaving `free` bytes.
    void Fresh(qint64 free, const std::function<void(const QString&)>& prepare)
    {
        if (m_mounted)
            umount(QFile::encodeName(m_mount).constData());
        m_mount = m_base.path() + QStringLiteral("/fs");
        QDir().mkpath(m_mount);
        QVERIFY(mount("tmpfs", QFile::encodeName(m_mount).constData(), "tmpfs", 0, "size=64k") ==
                0);
        m_mounted = true;
        prepare(m_mount);
        const QByteArray filler = QFile::encodeName(m_mount + QStringLiteral("/filler"));
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT, 0600);
        QVERIFY(fd >= 0);
        const QByteArray block(4096, 'x');
        qint64 size = 0;
        while (::write(fd, block.constData(), std::size_t(block.size())) == block.size())
            size += block.size();
        if (free > 0)
            QCOMPARE(::ftruncate(fd, size - free), 0);
        ::close(fd);
    }

    // What is in the mounted directory and its subdirectories, but the filler.
    QStringList Files(const QString& dir) const
    {
        QStringList files;
        for (const QString& name : QDir(dir).entryList(QDir::Files | QDir::Hidden))
            if (name != QStringLiteral("filler"))
                files.append(name);
        return files;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!PrivateMounts())
            QSKIP("no private mount namespace here (needs root or user namespaces)");
    }

    void cleanupTestCase()
    {
        if (m_mounted)
            umount(QFile::encodeName(m_mount).constData());
    }

    void saves_data()
    {
        QTest::addColumn<qint64>("free");
        QTest::newRow("nothing free") << qint64(0);
        QTest::newRow("8 KiB free") << qint64(8192);
    }

    void saves()
    {
        QFETCH(qint64, free);
        const QByteArray old = "old content\r\n";
        // Larger than the room left, smaller than a file buffer: a buffered write would report
        // it complete and lose it in the flush.
        const QByteArray large(12000, 'n');

        // The bare writer, and what it does when the new content fits.
        Fresh(free, [&](const QString& dir) {
            QVERIFY(WriteFileAtomically(dir + QStringLiteral("/a.bin"), old));
        });
        QVERIFY(!WriteFileAtomically(m_mount + QStringLiteral("/a.bin"), large));
        QCOMPARE(ReadFile(m_mount + QStringLiteral("/a.bin")), old);
        QCOMPARE(Files(m_mount), QStringList{"a.bin"});
        if (free > 0) {
            QVERIFY(WriteFileAtomically(m_mount + QStringLiteral("/a.bin"), "short"));
            QCOMPARE(ReadFile(m_mount + QStringLiteral("/a.bin")), QByteArray("short"));
        }

        // The disc data file.
        TDiscModel model;
        model.SetDiscID(0xABCD0001);
        model.SetTrackCount(1);
        model.Tracks(1).Name = QStringLiteral("Song");
        QString dataFile;
        Fresh(free, [&](const QString& dir) {
            QVERIFY(!SaveDiscData(model, dir + u'/'));
            dataFile = DiscDataFileName(model, dir + u'/');
        });
        const QByteArray oldData = ReadFile(dataFile);
        model.Tracks(1).Lyrics.clear();
        for (int i = 0; i < 400; ++i)
            model.Tracks(1).Lyrics.append({QStringLiteral("a line of words to sing"), i});
        const auto message = SaveDiscData(model, m_mount + u'/');
        QVERIFY(message);
        QCOMPARE(*message, CannotCreateMessage(dataFile));
        QCOMPARE(ReadFile(dataFile), oldData);
        QCOMPARE(Files(QFileInfo(dataFile).path()), QStringList{QFileInfo(dataFile).fileName()});

        // The settings file.
        const QString iniName = m_base.path() + QStringLiteral("/fs/qlnx.ini");
        Fresh(free, [&](const QString&) {
            TIniFile ini(iniName);
            ini.WriteString(QStringLiteral("Option"), QStringLiteral("DataDir"),
                            QStringLiteral("data\\\\"));
            QVERIFY(!ini.Save());
        });
        const QByteArray oldIni = ReadFile(iniName);
        TIniFile ini(iniName);
        for (int i = 0; i < 600; ++i)
            ini.WriteString(QStringLiteral("Many"), QStringLiteral("Key%1").arg(i),
                            QStringLiteral("some value"));
        QVERIFY(ini.Save());
        QCOMPARE(ReadFile(iniName), oldIni);
        QCOMPARE(Files(m_mount), QStringList{"qlnx.ini"});

        // The converter's output files.
        Fresh(free, [&](const QString& dir) {
            QVERIFY(qlnxdc::WriteFileReplacing(dir + QStringLiteral("/0000ABCD.dat"), old));
        });
        QVERIFY(!qlnxdc::WriteFileReplacing(m_mount + QStringLiteral("/0000ABCD.dat"), large));
        QCOMPARE(ReadFile(m_mount + QStringLiteral("/0000ABCD.dat")), old);
        QCOMPARE(Files(m_mount), QStringList{"0000ABCD.dat"});
    }
};

QTEST_GUILESS_MAIN(TestFullFileSystem)
#include "tst_fullfilesystem.moc"
