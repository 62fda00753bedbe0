#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/SettingsValues.h"

using namespace qlnx;

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// The file a first start writes: every key in the order of the table, with its default.
const QByteArray FirstStartFile = "[MainForm]\n"
                                  "Left=0\n"
                                  "Top=0\n"
                                  "Width=1\n"
                                  "Height=1\n"
                                  "[LyricsForm]\n"
                                  "Left=0\n"
                                  "Top=1\n"
                                  "Width=1\n"
                                  "Height=1\n"
                                  "[MainFont]\n"
                                  "Name=ＭＳ Ｐゴシック\n"
                                  "Size=10\n"
                                  "Color=clWindowText\n"
                                  "Style=0\n"
                                  "[CurLyricsFont]\n"
                                  "Name=ＭＳ Ｐゴシック\n"
                                  "Size=10\n"
                                  "Color=clWindowText\n"
                                  "Style=0\n"
                                  "[NextLyricsFont]\n"
                                  "Name=ＭＳ Ｐゴシック\n"
                                  "Size=10\n"
                                  "Color=clGrayText\n"
                                  "Style=0\n"
                                  "[TimeGauge]\n"
                                  "ForeColor=clBtnFace\n"
                                  "BackColor=clWindow\n"
                                  "InvertText=0\n"
                                  "[Option]\n"
                                  "Repeat=1\n"
                                  "Shuffle=0\n"
                                  "MultiDrive=0\n"
                                  "StopAtClose=1\n"
                                  "StayOnTop=0\n"
                                  "LyricsForm=2\n"
                                  "LyricsFormSync=0\n"
                                  "TrackNumber=0\n"
                                  "DataDir=data\\\n"
                                  "Interval=1000\n"
                                  "CDText=0\n";

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void colorsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("color"); // -1: not a colour
        QTest::newRow("fixed") << "clRed" << qint64(clRed);
        QTest::newRow("any letter case") << "CLmaroon" << qint64(clMaroon);
        QTest::newRow("first system") << "clScrollBar" << qint64(0x80000000);
        QTest::newRow("last system") << "clinfobk" << qint64(0x80000018);
        QTest::newRow("3D names") << "cl3DDkShadow" << qint64(0x80000015);
        QTest::newRow("none") << "clNone" << qint64(0x1FFFFFFF);
        QTest::newRow("dollar") << "$00C08040" << qint64(0x00C08040);
        QTest::newRow("0x") << "0x80000005" << qint64(clWindow);
        QTest::newRow("decimal") << "255" << qint64(clRed);
        QTest::newRow("unknown name") << "clPink" << qint64(-1);
        QTest::newRow("name and more") << "clRed2" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }
    void colorsRead()
    {
        QFETCH(QString, text);
        QFETCH(qint64, color);
        const auto parsed = ParseColor(text);
        QCOMPARE(parsed.has_value(), color >= 0);
        if (parsed)
            QCOMPARE(qint64(*parsed), color);
    }

    void colorsWritten()
    {
        QCOMPARE(FormatColor(RgbColor(0x40, 0x80, 0xC0)), QStringLiteral("$00C08040"));
        QCOMPARE(FormatColor(0xFF00000Au), QStringLiteral("$FF00000A"));
        QCOMPARE(FormatColor(RgbColor(255, 0, 0)), QStringLiteral("clRed"));
        QCOMPARE(FormatColor(clBlack), QStringLiteral("clBlack"));
        QCOMPARE(FormatColor(clInactiveCaptionText), QStringLiteral("clInactiveCaptionText"));
        QCOMPARE(FormatColor(clNone), QStringLiteral("clNone"));
        // A system colour index without a name is kept as a number.
        QCOMPARE(FormatColor(SystemColorFlag | 25), QStringLiteral("$80000019"));
        // Every name written reads back as its colour.
        for (quint32 i = 0; i <= 24; ++i)
            QCOMPARE(ParseColor(FormatColor(SystemColorFlag | i)), SystemColorFlag | i);
    }

    void firstStartWritesEveryKeyWithItsDefault()
    {
        const QString path = Path(QStringLiteral("first/qlnx.ini"));
        TIniFile ini(path);
        const TSettings s = ReadSettings(ini);
        QVERIFY(!s.LyricsBounds.Top);
        QVERIFY(s == TSettings());
        QCOMPARE(s.NextLyricsFont.Color, clGrayText);
        QVERIFY(!WriteSettings(ini, s));
        QCOMPARE(ReadBytes(path), FirstStartFile);

        // The second start reads what the first wrote; the lyrics window's top is now set.
        TSettings expected;
        expected.LyricsBounds.Top = 1;
        QVERIFY(ReadSettings(TIniFile(path)) == expected);
    }

    void valuesWrittenReadBack()
    {
        const QString path = Path(QStringLiteral("roundtrip.ini"));
        TSettings s;
        s.MainBounds = {-20, 40, 300, 120};
        s.LyricsBounds = {5, -7, 400, 90};
        s.MainFont = {QStringLiteral("IPAGothic"), 12, RgbColor(0x40, 0x80, 0xC0),
                      FontStyleBold | FontStyleItalic};
        s.CurLyricsFont.Color = RgbColor(255, 0, 0);
        s.CurLyricsFont.Style = FontStyleUnderline | FontStyleStrikeOut;
        s.GaugeForeColor = clNone;
        s.GaugeBackColor = clBlue;
        s.GaugeInvertText = true;
        s.Repeat = false;
        s.Shuffle = s.MultiDrive = s.StayOnTop = true;
        s.StopAtClose = false;
        s.LyricsFormMode = 0;
        s.LyricsFormSyncMode = 3;
        s.TrackNumberStyle = 2;
        s.DataDir = QStringLiteral("/srv/歌詞/");
        s.Interval = 250;
        // Only 1 turns CD-Text on; anything else is kept as it was.
        s.CdText = 7;
        TIniFile ini(path);
        QVERIFY(!WriteSettings(ini, s));

        const TIniFile written(path);
        QCOMPARE(written.Value(QStringLiteral("MainFont"), QStringLiteral("Color")),
                 QStringLiteral("$00C08040"));
        QCOMPARE(written.Value(QStringLiteral("MainFont"), QStringLiteral("Style")),
                 QStringLiteral("3"));
        QCOMPARE(written.Value(QStringLiteral("CurLyricsFont"), QStringLiteral("Color")),
                 QStringLiteral("clRed"));
        QCOMPARE(written.Value(QStringLiteral("TimeGauge"), QStringLiteral("ForeColor")),
                 QStringLiteral("clNone"));
        QCOMPARE(written.Value(QStringLiteral("LyricsForm"), QStringLiteral("Top")),
                 QStringLiteral("-7"));
        QVERIFY(!written.Value(QStringLiteral("Option"), QStringLiteral("Repeat1")));
        QCOMPARE(written.Keys(QStringLiteral("Option")).size(), 11);
        QCOMPARE(written.Value(QStringLiteral("Option"), QStringLiteral("CDText")),
                 QStringLiteral("7"));
        QVERIFY(ReadSettings(written) == s);
    }

    void valuesEditedByHand()
    {
        const QString path = Path(QStringLiteral("edited.ini"));
        WriteBytes(path, "[MAINFORM]\n"
                         "left=$10\n"
                         "TOP=0X20\n"
                         "Width=wide\n"
                         "[LyricsForm]\n"
                         "Top=below\n"
                         "[MainFont]\n"
                         "Color=clrED\n"
                         "Size=\n"
                         "[CurLyricsFont]\n"
                         "Color=pink\n"
                         "[NextLyricsFont]\n"
                         "Color=16711680\n"
                         "[TimeGauge]\n"
                         "ForeColor=\n"
                         "InvertText=-1\n"
                         "[Option]\n"
                         "Interval=0x1F4\n"
                         "cdtext=$1\n"
                         "StayOnTop=1\n"
                         "Repeat=0\n"
                         "StopAtClose=yes\n"
                         "Shuffle=2\n"
                         "LyricsForm=258\n"
                         "LyricsFormSync=-1\n"
                         "TrackNumber=$1FF\n");
        TSettings s = ReadSettings(TIniFile(path));
        QCOMPARE(s.MainBounds.Left, 16);
        QCOMPARE(s.MainBounds.Top, 32);
        QCOMPARE(s.MainBounds.Width, 1);
        QVERIFY(!s.LyricsBounds.Top);
        QCOMPARE(s.MainFont.Color, clRed);
        QCOMPARE(s.MainFont.Size, 10);
        // A colour that is neither a name nor a number keeps the default.
        QCOMPARE(s.CurLyricsFont.Color, clWindowText);
        QCOMPARE(s.NextLyricsFont.Color, clBlue);
        QCOMPARE(s.GaugeForeColor, clBtnFace);
        QCOMPARE(s.GaugeInvertText, true);
        QCOMPARE(s.Interval, 500);
        QCOMPARE(s.CdText, 1);
        QCOMPARE(s.StayOnTop, true);
        QCOMPARE(s.Repeat, false);
        QCOMPARE(s.StopAtClose, true);
        QCOMPARE(s.Shuffle, true);
        // Mode numbers are passed on as their low byte.
        QCOMPARE(s.LyricsFormMode, quint8(2));
        QCOMPARE(s.LyricsFormSyncMode, quint8(255));
        QCOMPARE(s.TrackNumberStyle, quint8(255));

        WriteBytes(path, "[Option]\nInterval=$1F4\n");
        QCOMPARE(ReadSettings(TIniFile(path)).Interval, 500);
    }

    void restOfTheFileKept()
    {
        const QString path = Path(QStringLiteral("kept.ini"));
        WriteBytes(path, "; my settings\r\n"
                         "[Drives]\r\n"
                         "Image1=demo.cue\r\n"
                         "\r\n"
                         "[mainform]\r\n"
                         "LEFT=3\r\n"
                         "; keep me\r\n"
                         "Extra=kept\r\n"
                         "top=4\r\n"
                         "\r\n"
                         "[OPTION]\r\n"
                         "interval=$1F4\r\n"
                         "Unknown=1\r\n");
        TIniFile ini(path);
        TSettings s = ReadSettings(ini);
        s.MainBounds.Left = 30;
        QVERIFY(!WriteSettings(ini, s));
        // The sections the file lacks come out as on a first start, below a main window at 4.
        QByteArray added = FirstStartFile.mid(FirstStartFile.indexOf("[LyricsForm]"));
        added.truncate(added.indexOf("[Option]"));
        added.replace("Top=1\n", "Top=5\n").replace("\n", "\r\n");
        // Keys there keep their place and spelling, new ones end their section, new sections
        // follow in the order of the table; the line ends stay those of the file.
        QCOMPARE(ReadBytes(path), QByteArray("; my settings\r\n"
                                             "[Drives]\r\n"
                                             "Image1=demo.cue\r\n"
                                             "\r\n"
                                             "[mainform]\r\n"
                                             "LEFT=30\r\n"
                                             "; keep me\r\n"
                                             "Extra=kept\r\n"
                                             "top=4\r\n"
                                             "Width=1\r\n"
                                             "Height=1\r\n"
                                             "\r\n"
                                             "[OPTION]\r\n"
                                             "interval=500\r\n"
                                             "Unknown=1\r\n"
                                             "Repeat=1\r\n"
                                             "Shuffle=0\r\n"
                                             "MultiDrive=0\r\n"
                                             "StopAtClose=1\r\n"
                                             "StayOnTop=0\r\n"
                                             "LyricsForm=2\r\n"
                                             "LyricsFormSync=0\r\n"
                                             "TrackNumber=0\r\n"
                                             "DataDir=data\\\r\n"
                                             "CDText=0\r\n") +
                                      added);
    }

    void failedSaveReportedAndOldFileKept()
    {
        // A directory that cannot be made: a plain file stands where it should be.
        WriteBytes(Path(QStringLiteral("plain")), "not a directory");
        const QString nowhere = Path(QStringLiteral("plain/sub/qlnx.ini"));
        TIniFile ini(nowhere);
        QCOMPARE(WriteSettings(ini, ReadSettings(ini)),
                 QStringLiteral("%1 に書き込めません").arg(nowhere));
        QCOMPARE(ReadBytes(Path(QStringLiteral("plain"))), QByteArray("not a directory"));

        // A read-only directory and file.
        const QString dir = Path(QStringLiteral("locked"));
        QVERIFY(QDir().mkpath(dir));
        const QString path = dir + QStringLiteral("/qlnx.ini");
        WriteBytes(path, "[Option]\nInterval=$1F4\n");
        QFile::setPermissions(path, QFile::ReadOwner);
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner);
        const bool ignoresPermissions = QFileInfo(path).isWritable();
        TIniFile locked(path);
        const auto result = WriteSettings(locked, ReadSettings(locked));
        QFile::setPermissions(dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (ignoresPermissions)
            QSKIP("running with rights that ignore file permissions");
        QCOMPARE(result, QStringLiteral("%1 に書き込めません").arg(path));
        QCOMPARE(ReadBytes(path), QByteArray("[Option]\nInterval=$1F4\n"));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
