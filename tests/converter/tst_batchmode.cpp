#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "convert/BatchMode.h"

using namespace qlnxdc;

namespace {

struct TBatchOutcome
{
    int Status = -1;
    QString Out;
    QString Err;
};

} // namespace

class TestBatchMode : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString Dest() const { return m_tmp.path() + QStringLiteral("/out"); }

    QString Source(const QByteArray& bytes)
    {
        const QString path = m_tmp.path() + QStringLiteral("/source.ini");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the source");
        return path;
    }

    TBatchOutcome Run(const QStringList& arguments)
    {
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        TBatchOutcome outcome;
        outcome.Status = RunBatch(arguments, out, err);
        outcome.Out = QString::fromUtf8(out.data());
        outcome.Err = QString::fromUtf8(err.data());
        return outcome;
    }

private Q_SLOTS:
    void init()
    {
        QDir(Dest()).removeRecursively();
        QDir().mkpath(Dest());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no format") << QStringList{"a", "b"};
        QTest::newRow("unknown format") << QStringList{"--format", "ini", "a", "b"};
        QTest::newRow("format without value") << QStringList{"a", "b", "--format"};
        QTest::newRow("one path") << QStringList{"--format", "kvt", "a"};
        QTest::newRow("three paths") << QStringList{"--format", "kvt", "a", "b", "c"};
        QTest::newRow("empty path") << QStringList{"--format", "win", "a", ""};
        QTest::newRow("unknown option") << QStringList{"--format", "kvt", "--force", "a", "b"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        const TBatchOutcome outcome = Run(arguments);
        QCOMPARE(outcome.Status, 2);
        QVERIFY(outcome.Out.isEmpty());
        QVERIFY(outcome.Err.startsWith(QStringLiteral("qlnxdc: ")));
        QVERIFY(outcome.Err.contains(QStringLiteral("Usage: ")));
    }

    void help()
    {
        const TBatchOutcome outcome = Run({"--help"});
        QCOMPARE(outcome.Status, 0);
        QVERIFY(outcome.Out.contains(QStringLiteral("--format kvt|win|cddb")));
        QVERIFY(outcome.Out.contains(QStringLiteral("--skip-track-zero")));
        QVERIFY(outcome.Err.isEmpty());
        const TBatchOutcome version = Run({"--version"});
        QCOMPARE(version.Status, 0);
        QCOMPARE(version.Out, QStringLiteral("qlnxdc " QLNX_VERSION "\n"));
    }

    void logOnStandardOutput()
    {
        const QString source = Source("[0a1b2c3d]\nartist=A\n1=x\n3=z\n[00000002]\ntitle=T\n");
        const TBatchOutcome outcome = Run({"--format", "kvt", source, Dest()});
        QCOMPARE(outcome.Status, 0);
        QCOMPARE(outcome.Out, QStringLiteral("0a1b2c3d\n"
                                             "Artist : A\n"
                                             "! Title  : <Not found>\n"
                                             "! Order  : <Not found>\n"
                                             "! Tracks : 3 (Track 2 not found)\n"
                                             "\n"
                                             "00000002\n"
                                             "! Artist : <Not found>\n"
                                             "Title  : T\n"
                                             "! Order  : <Not found>\n"
                                             "! Tracks : <Not found>\n"
                                             "\n"));
        QVERIFY(outcome.Err.isEmpty());
        QCOMPARE(QDir(Dest()).entryList(QDir::Files),
                 (QStringList{"00000002.dat", "0A1B2C3D.dat"}));
    }

    void failures()
    {
        const QString missing = m_tmp.path() + QStringLiteral("/missing.dat");
        TBatchOutcome outcome = Run({"--format", "kvt", missing, Dest()});
        QCOMPARE(outcome.Status, 1);
        QVERIFY(outcome.Out.isEmpty());
        QCOMPARE(outcome.Err, QStringLiteral("ファイル %1 は開けません\n").arg(missing));

        const QString source = Source("[00000001]\nartist=A\n");
        const QString noDir = m_tmp.path() + QStringLiteral("/no such dir");
        outcome = Run({"--format", "kvt", source, noDir});
        QCOMPARE(outcome.Status, 1);
        QVERIFY(outcome.Out.startsWith(QStringLiteral("00000001\nArtist : A\n")));
        QCOMPARE(outcome.Err,
                 QStringLiteral("ファイル %1/00000001.dat を作成できません\n").arg(noDir));
    }

    void trackZero()
    {
        const QString source = Source("[00000001]\n1=a\n[00000002]\n0=b\n1=c\n");
        TBatchOutcome outcome = Run({"--format", "kvt", source, Dest()});
        QCOMPARE(outcome.Status, 3);
        QVERIFY(outcome.Err.contains(QStringLiteral("Win標準")));
        QVERIFY(outcome.Err.contains(QStringLiteral("--format win")));
        QCOMPARE(QDir(Dest()).entryList(QDir::Files), QStringList{"00000001.dat"});
        QVERIFY(!outcome.Out.contains(QStringLiteral("00000002")));

        outcome = Run({"--skip-track-zero", "--format", "kvt", source, Dest()});
        QCOMPARE(outcome.Status, 0);
        QVERIFY(outcome.Out.contains(QStringLiteral("00000002\n! Artist : <Not found>")));
        QVERIFY(outcome.Out.endsWith(QStringLiteral("Tracks : 1\n\n")));

        outcome = Run({"--format=win", source, Dest()});
        QCOMPARE(outcome.Status, 0);
        QVERIFY(outcome.Out.endsWith(QStringLiteral("Tracks : 2\n\n")));
    }

    void cddbFolder()
    {
        const QString folder = m_tmp.path() + QStringLiteral("/cddb");
        QDir().mkpath(folder + QStringLiteral("/rock"));
        const auto write = [&](const QString& name, const QByteArray& bytes) {
            QFile f(folder + name);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        };
        write(QStringLiteral("/rock/0a00000f"), "# xmcd\n# Track frame offsets:\n# 150\n# 301\n"
                                                "# 377\n#\nDTITLE=A / T\nTTITLE0=x\n");
        write(QStringLiteral("/single"), "# xmcd\n# Track frame offsets:\n# 150\n#\n");
        write(QStringLiteral("/readme"), "not a disc\n");
        const TBatchOutcome outcome = Run({"--format", "CDDB", folder, Dest()});
        QCOMPARE(outcome.Status, 0);
        QCOMPARE(outcome.Out, QStringLiteral("00000B03\n"
                                             "Artist : A\n"
                                             "Title  : T\n"
                                             "! Order  : <Not found>\n"
                                             "! Tracks : 3 (Track 2,3 not found)\n"
                                             "\n"
                                             "single\n"
                                             "! Not written: the identity of a disc of 1 track "
                                             "cannot be derived (its lead-out is given in whole "
                                             "seconds only)\n"
                                             "\n"));
        QCOMPARE(QDir(Dest()).entryList(QDir::Files), QStringList{"00000B03.dat"});
    }

    // The program itself: no display is needed, and the status reaches the shell.
    void program()
    {
        const QString source = Source("[00000001]\n0=a\n");
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(QLNXDC_PROGRAM), {"--format", "win", source, Dest()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
                 QStringLiteral("00000001\n! Artist : <Not found>\n! Title  : <Not found>\n"
                                "! Order  : <Not found>\nTracks : 1\n\n"));

        process.start(QStringLiteral(QLNXDC_PROGRAM), {"--format", "kvt", source, Dest()});
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 3);
    }
};

QTEST_GUILESS_MAIN(TestBatchMode)
#include "tst_batchmode.moc"
