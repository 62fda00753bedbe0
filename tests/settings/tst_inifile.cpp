#include <csignal>

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"
#include "support/TestFiles.h"

using namespace qlnx;

namespace {

} // namespace

// The private-profile layer: files from Windows read as written there, and a write changes
// only the key written.
class TestIniFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void lookupIgnoresCaseAndTakesTheFirst()
    {
        WriteFile(Path(QStringLiteral("read.ini")), "; a comment=1\n"
                                                    "top=outside any section\n"
                                                    "[MainForm]\n"
                                                    "  Left = 12 \n"
                                                    "left=99\n"
                                                    "Name=\"quoted text\"\n"
                                                    "Empty=\n"
                                                    "no equals sign\n"
                                                    "[mainform]\n"
                                                    "Top=7\n"
                                                    "[Other]\n"
                                                    "Top=8\n");
        const TIniFile ini(Path(QStringLiteral("read.ini")));
        QCOMPARE(ini.Value(QStringLiteral("MAINFORM"), QStringLiteral("LEFT")),
                 QStringLiteral("12"));
        QCOMPARE(ini.ReadString(QStringLiteral("mainForm"), QStringLiteral("name"), {}),
                 QStringLiteral("quoted text"));
        QCOMPARE(ini.Value(QStringLiteral("MainForm"), QStringLiteral("Empty")), QString());
        // The second section of the same name is not looked at.
        QVERIFY(!ini.Value(QStringLiteral("MainForm"), QStringLiteral("Top")));
        QVERIFY(!ini.Value(QStringLiteral("MainForm"), QStringLiteral("no equals sign")));
        QVERIFY(!ini.Value(QStringLiteral("Missing"), QStringLiteral("Top")));
        QCOMPARE(ini.ReadInteger(QStringLiteral("Other"), QStringLiteral("Top"), 0), 8);
        QCOMPARE(
            ini.Keys(QStringLiteral("mainform")),
            (QStringList{QStringLiteral("Left"), QStringLiteral("Name"), QStringLiteral("Empty")}));
        // A missing file reads as empty.
        const TIniFile none(Path(QStringLiteral("none.ini")));
        QVERIFY(none.Lines().isEmpty());
        QCOMPARE(none.ReadBool(QStringLiteral("Option"), QStringLiteral("Repeat"), true), true);
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "1000" << 1000;
        QTest::newRow("negative") << "-25" << -25;
        QTest::newRow("dollar hex") << "$1F4" << 500;
        QTest::newRow("0x hex") << "0x1F4" << 500;
        QTest::newRow("0X hex") << "0X1f4" << 500;
        QTest::newRow("system colour") << "$80000005" << int(0x80000005u);
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("too large") << "2147483648" << -1;
        QTest::newRow("nine hex digits") << "$100000000" << -1;
        QTest::newRow("text") << "abc" << -1;
        QTest::newRow("trailing junk") << "12px" << -1;
        QTest::newRow("bare prefix") << "$" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        TIniFile ini(Path(QStringLiteral("int.ini")));
        ini.WriteString(QStringLiteral("Option"), QStringLiteral("Interval"), text);
        QCOMPARE(ini.ReadInteger(QStringLiteral("Option"), QStringLiteral("Interval"), -1), value);
    }

    void writingReplacesInPlaceAndKeepsTheRest()
    {
        const QByteArray original = "; written on Windows\r\n"
                                    "[MainForm]\r\n"
                                    "Left=1\r\n"
                                    "Top=2\r\n"
                                    "\r\n"
                                    "[Unknown]\r\n"
                                    "Keep=this\r\n"
                                    "garbage line\r\n";
        const QString path = Path(QStringLiteral("write.ini"));
        WriteFile(path, original);
        TIniFile ini(path);
        ini.WriteInteger(QStringLiteral("mainform"), QStringLiteral("LEFT"), -5);
        ini.WriteBool(QStringLiteral("MainForm"), QStringLiteral("Width"), true);
        ini.WriteString(QStringLiteral("Option"), QStringLiteral("DataDir"),
                        QStringLiteral("data\\"));
        QVERIFY(!ini.Save());
        // Line ends as the file had them; the new key ends its section, before the blank line.
        QCOMPARE(ReadFile(path), QByteArray("; written on Windows\r\n"
                                            "[MainForm]\r\n"
                                            "LEFT=-5\r\n"
                                            "Top=2\r\n"
                                            "Width=1\r\n"
                                            "\r\n"
                                            "[Unknown]\r\n"
                                            "Keep=this\r\n"
                                            "garbage line\r\n"
                                            "[Option]\r\n"
                                            "DataDir=data\\\r\n"));
        const TIniFile again(path);
        QCOMPARE(again.ReadString(QStringLiteral("Option"), QStringLiteral("DataDir"), {}),
                 QStringLiteral("data\\"));

        // A new file has LF line ends and its directory is made.
        TIniFile fresh(Path(QStringLiteral("sub/dir/new.ini")));
        fresh.WriteString(QStringLiteral("Drives"), QStringLiteral("Image1"),
                          QStringLiteral("demo.cue"));
        QVERIFY(!fresh.Save());
        QCOMPARE(ReadFile(Path(QStringLiteral("sub/dir/new.ini"))),
                 QByteArray("[Drives]\nImage1=demo.cue\n"));
    }

    void textFromWindowsAndBack()
    {
        const QString text = QStringLiteral("ＭＳ Ｐゴシック");
        QStringEncoder cp932("CP932");
        QVERIFY(cp932.isValid());
        const QString path = Path(QStringLiteral("cp932.ini"));
        WriteFile(path, "[MainFont]\r\nName=" + QByteArray(cp932.encode(text)) + "\r\n");
        TIniFile ini(path);
        QCOMPARE(ini.ReadString(QStringLiteral("MainFont"), QStringLiteral("Name"), {}), text);
        ini.WriteInteger(QStringLiteral("MainFont"), QStringLiteral("Size"), 10);
        QVERIFY(!ini.Save());
        // Written back as UTF-8, without a byte-order mark.
        QCOMPARE(ReadFile(path), "[MainFont]\r\nName=" + text.toUtf8() + "\r\nSize=10\r\n");
        QCOMPARE(TIniFile(path).ReadString(QStringLiteral("MainFont"), QStringLiteral("Name"), {}),
                 text);
    }

    void unwritableFileIsReported()
    {
        const QString dir = Path(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/qlnx.ini");
        WriteFile(path, "[A]\nB=1\n");
        QFile::setPermissions(path, QFile::ReadOwner);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(path).isWritable())
            QSKIP("running with rights that ignore file permissions");
        TIniFile ini(path);
        ini.WriteInteger(QStringLiteral("A"), QStringLiteral("B"), 2);
        QCOMPARE(ini.Save(), QStringLiteral("%1 に書き込めません").arg(path));
        QCOMPARE(ReadFile(path), QByteArray("[A]\nB=1\n"));
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // A write the file system cuts short (a full disk; here the process's file-size limit)
    // must be reported and must not replace the old file with the part that was written.
    void shortWriteIsReported()
    {
        const QString path = Path(QStringLiteral("short.ini"));
        const QByteArray original = "[Option]\nInterval=1000\n";
        WriteFile(path, original);
        TIniFile ini(path);
        ini.WriteString(QStringLiteral("Option"), QStringLiteral("DataDir"), QString(200, u'x'));

        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        rlimit small = old;
        small.rlim_cur = 64;
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const auto result = ini.Save();
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(result, QStringLiteral("%1 に書き込めません").arg(path));
        QCOMPARE(ReadFile(path), original);
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("short.ini*")}, QDir::Files),
                 QStringList{QStringLiteral("short.ini")});
    }

    void programDirectory()
    {
        QCOMPARE(ChooseProgramDirectory(QStringLiteral("/opt/qlnx/bin"), true, {},
                                        QStringLiteral("/home/u")),
                 QStringLiteral("/opt/qlnx/bin/"));
        QCOMPARE(ChooseProgramDirectory(QStringLiteral("/usr/bin"), false,
                                        QStringLiteral("/home/u/cfg"), QStringLiteral("/home/u")),
                 QStringLiteral("/home/u/cfg/qlnx/"));
        // A relative XDG_CONFIG_HOME does not count.
        QCOMPARE(ChooseProgramDirectory(QStringLiteral("/usr/bin"), false, QStringLiteral("cfg"),
                                        QStringLiteral("/home/u")),
                 QStringLiteral("/home/u/.config/qlnx/"));
        QCOMPARE(SettingsFileName(QStringLiteral("/home/u/.config/qlnx/")),
                 QStringLiteral("/home/u/.config/qlnx/qlnx.ini"));
    }

    void driveImages()
    {
        WriteFile(Path(QStringLiteral("drives.ini")), "[drives]\n"
                                                      "Image10=/abs/ten.cue\n"
                                                      "Image2=sub\\two.cue\n"
                                                      "image1=one.toc\n"
                                                      "Image3=\n"
                                                      "Image=none.cue\n"
                                                      "ImageX=none.cue\n"
                                                      "Image0=none.cue\n"
                                                      "Image4=~/four.cue\n");
        const TIniFile ini(Path(QStringLiteral("drives.ini")));
        QCOMPARE(
            DriveImagePaths(ini, QStringLiteral("/etc/q")),
            (QStringList{QStringLiteral("/etc/q/one.toc"), QStringLiteral("/etc/q/sub/two.cue"),
                         QDir::homePath() + QStringLiteral("/four.cue"),
                         QStringLiteral("/abs/ten.cue")}));
        // An image opened is remembered after the highest number, once.
        TIniFile opened(Path(QStringLiteral("drives.ini")));
        QVERIFY(
            !RememberDriveImage(opened, QStringLiteral("/etc/q"), QStringLiteral("/abs/ten.cue")));
        QVERIFY(RememberDriveImage(opened, QStringLiteral("/etc/q"), QStringLiteral("/m/new.cue")));
        QCOMPARE(DriveImagePaths(opened, QStringLiteral("/etc/q")).last(),
                 QStringLiteral("/m/new.cue"));
        QVERIFY(opened.ReadString(QStringLiteral("Drives"), QStringLiteral("Image11"), {}) ==
                QStringLiteral("/m/new.cue"));

        // The drives for trying the player out take the same paths, each with its timings.
        WriteFile(Path(QStringLiteral("test.ini")), "[Test]\n"
                                                    "Drive2=slow.cue\n"
                                                    "Drive2SpinUp=2000\n"
                                                    "drive2tocread=$1388\n"
                                                    "Drive1=/fast.cue\n"
                                                    "Drive1SlowRead=-5\n"
                                                    "DriveX=none.cue\n"
                                                    "OutputStall=3000\n");
        const TTestSettings test =
            ReadTestSettings(TIniFile(Path(QStringLiteral("test.ini"))), QStringLiteral("/etc/q"));
        QCOMPARE(test.Drives.size(), 2);
        QCOMPARE(test.Drives.at(0).ImagePath, QStringLiteral("/fast.cue"));
        QCOMPARE(test.Drives.at(0).SlowReadMs, 0);
        QCOMPARE(test.Drives.at(1).ImagePath, QStringLiteral("/etc/q/slow.cue"));
        QCOMPARE(test.Drives.at(1).SpinUpMs, 2000);
        QCOMPARE(test.Drives.at(1).TocReadMs, 5000);
        QCOMPARE(test.OutputStallMs, 3000);
        QCOMPARE(ReadTestSettings(ini, QStringLiteral("/etc/q")).Drives.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_inifile.moc"
