#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscModel.h"
#include "settings/ProgramDirectory.h"

using namespace qlnx;

// Where an installed player keeps its settings and disc data, and how it tells an installation
// from a build tree or a portable copy.
class TestProgramDirectory : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString MakeTree(const QString& name, bool withDesktopEntry)
    {
        const QString root = m_dir.path() + u'/' + name;
        QDir().mkpath(root + QStringLiteral("/bin"));
        if (withDesktopEntry) {
            QDir().mkpath(root + QStringLiteral("/share/applications"));
            QFile entry(root + QStringLiteral("/share/applications/qlnx.desktop"));
            entry.open(QIODevice::WriteOnly);
        }
        return root + QStringLiteral("/bin");
    }

private Q_SLOTS:
    void installationRecognised()
    {
        // A staged or home-directory installation is writable, yet still an installation.
        QVERIFY(InstalledProgramDirectory(MakeTree(QStringLiteral("usr"), true)));
        QVERIFY(InstalledProgramDirectory(MakeTree(QStringLiteral("usr"), true) + u'/'));
        // A build tree or a portable copy has no desktop entry beside it.
        QVERIFY(!InstalledProgramDirectory(MakeTree(QStringLiteral("build"), false)));
        QVERIFY(!InstalledProgramDirectory(QString()));
        // Another program's entries do not make an installation of this one.
        const QString other = MakeTree(QStringLiteral("other"), false);
        QDir().mkpath(other + QStringLiteral("/../share/applications"));
        QFile entry(other + QStringLiteral("/../share/applications/qlnxdc.desktop"));
        QVERIFY(entry.open(QIODevice::WriteOnly));
        QVERIFY(!InstalledProgramDirectory(other));
    }

    void installedPlayerKeepsEverythingInTheConfigDirectory()
    {
        // Not writable (or installed): the settings and the default data directory go under
        // XDG_CONFIG_HOME, else ~/.config.
        const QString withXdg =
            ChooseProgramDirectory(QStringLiteral("/usr/bin"), false,
                                   QStringLiteral("/home/u/.cfg"), QStringLiteral("/home/u"));
        QCOMPARE(SettingsFileName(withXdg), QStringLiteral("/home/u/.cfg/qlnx/qlnx.ini"));
        QCOMPARE(ResolveDataDir(QStringLiteral("data\\"), withXdg),
                 QStringLiteral("/home/u/.cfg/qlnx/data/"));
        const QString withoutXdg = ChooseProgramDirectory(QStringLiteral("/usr/bin"), false,
                                                          QString(), QStringLiteral("/home/u/"));
        QCOMPARE(SettingsFileName(withoutXdg), QStringLiteral("/home/u/.config/qlnx/qlnx.ini"));
        QCOMPARE(ResolveDataDir(QStringLiteral("cd\\data\\"), withoutXdg),
                 QStringLiteral("/home/u/.config/qlnx/cd/data/"));
        // An absolute data directory stays where the user put it.
        QCOMPARE(ResolveDataDir(QStringLiteral("/srv/cd/"), withoutXdg),
                 QStringLiteral("/srv/cd/"));
    }

    void thisTestRunsFromABuildTree()
    {
        // The test executables sit in the build tree's bin/, which is no installation: the
        // player run from there keeps using its own directory.
        QVERIFY(!InstalledProgramDirectory(QCoreApplication::applicationDirPath()));
        QCOMPARE(ProgramDirectory(), QCoreApplication::applicationDirPath() + u'/');
    }
};

QTEST_GUILESS_MAIN(TestProgramDirectory)
#include "tst_programdirectory.moc"
