#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/LogFile.h"

using namespace qlnx;

// The service's log must stay bounded however long it runs, and keep the lines just before a
// rotation.
class TestLogFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rotatesAtTheBoundKeepingOneOldFile()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("state/qlnx/playd.log"));
        TRotatingLog log(name, 100, false);
        QVERIFY(log.Open());
        const QByteArray line(39, 'a'); // 40 bytes with its line break
        for (int i = 0; i < 10; ++i)
            log.Append(line);
        log.Append("last");
        QVERIFY(QFile(name).size() <= 100);
        QVERIFY(QFile(name + QStringLiteral(".1")).size() <= 140);
        QVERIFY(!QFile::exists(name + QStringLiteral(".2")));
        QFile current(name);
        QVERIFY(current.open(QIODevice::ReadOnly));
        QVERIFY(current.readAll().endsWith("last\n"));
    }

    void aFileAlreadyOverTheBoundIsRotatedOnOpen()
    {
        QTemporaryDir dir;
        const QString name = dir.filePath(QStringLiteral("playd.log"));
        QFile old(name);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(200, 'x'));
        old.close();
        TRotatingLog log(name, 100, false);
        QVERIFY(log.Open());
        log.Append("new");
        QCOMPARE(QFile(name).size(), 4);
        QCOMPARE(QFile(name + QStringLiteral(".1")).size(), 200);
    }
};

QTEST_GUILESS_MAIN(TestLogFile)
#include "tst_logfile.moc"
