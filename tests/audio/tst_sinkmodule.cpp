#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QTemporaryDir>
#include <QTest>

#include "audio/SinkModule.h"

using namespace qlnx;

// The sound system's module, which the player loads only when it plays in its own process.
class TestSinkModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void isFoundWhereTheProgramIsAndLoads()
    {
        const QString built = QStringLiteral(QLNX_SINK_MODULE);
        const QString buildDir = QFileInfo(built).path();
        QCOMPARE(SinkModulePath(buildDir), built);
        QLibrary library(built);
        QVERIFY2(library.resolve(SinkModuleEntry), qPrintable(library.errorString()));
        // Without a sound server there is no output to make; with one, a backend to drop.
        SinkModuleBackend(built)().reset();

        // An installation keeps it in lib/qlnx beside bin/.
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("bin")));
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("lib/qlnx")));
        const QString installed = root.filePath(QStringLiteral("lib/qlnx/qlnx-audiosink.so"));
        QVERIFY(QFile::copy(built, installed));
        QCOMPARE(SinkModulePath(root.filePath(QStringLiteral("bin"))), installed);
    }

    void aMissingModuleMeansSilenceSaidOnce()
    {
        const TBackendFactory factory = SinkModuleBackend(QStringLiteral("/nonexistent/x.so"));
        const QRegularExpression warning(QStringLiteral("^no sound: "));
        QTest::ignoreMessage(QtWarningMsg, warning);
        QVERIFY(!factory());
        QTest::failOnWarning(warning);
        QVERIFY(!factory());
    }
};

QTEST_GUILESS_MAIN(TestSinkModule)
#include "tst_sinkmodule.moc"
