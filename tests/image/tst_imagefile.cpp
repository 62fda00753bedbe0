#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "discid/DiscIdentity.h"
#include "drive/CdioDisc.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

constexpr qint64 Raw = 2352;
using TResult = TCdioDisc::TOpenResult;

QByteArray Terminator()
{
    QByteArray d(2048, '\0');
    d[0] = char(255);
    d.replace(1, 5, "CD001");
    d[6] = 1;
    return d;
}

} // namespace

// Disc images opened from the file system: what makes an empty drive or an unreadable disc,
// and sectors read from the data file as the sheet lays them out.
class TestImageFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    static TResult Result(const QString& path) { return TCdioDisc::OpenImage(path).Result; }

private Q_SLOTS:
    void emptyDriveOrUnreadable()
    {
        const QString dir = Path(QStringLiteral("open"));
        WriteCueImage(dir, QStringLiteral("disc"), {{150}, {150}});
        QCOMPARE(Result(dir + QStringLiteral("/disc.cue")), TResult::Opened);

        // No sheet, or a directory or device where it should be: an empty drive.
        QCOMPARE(Result(dir + QStringLiteral("/gone.cue")), TResult::NoDisc);
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/folder.cue")));
        QCOMPARE(Result(dir + QStringLiteral("/folder.cue")), TResult::NoDisc);
        QCOMPARE(Result(QStringLiteral("/dev/zero")), TResult::NoDisc);

        // A sheet naming a missing file, a directory or a device; a sheet of an unknown kind.
        const auto sheetOf = [&dir](const QString& name, const QByteArray& file) -> QString {
            WriteFile(dir + u'/' + name,
                      "FILE \"" + file + "\" BINARY\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n");
            return dir + u'/' + name;
        };
        QCOMPARE(Result(sheetOf(QStringLiteral("missing.cue"), "missing.bin")),
                 TResult::Unreadable);
        QVERIFY(QDir().mkpath(dir + QStringLiteral("/sub.bin")));
        QCOMPARE(Result(sheetOf(QStringLiteral("dir.cue"), "sub.bin")), TResult::Unreadable);
        QCOMPARE(Result(sheetOf(QStringLiteral("device.cue"), "/dev/zero")), TResult::Unreadable);
        QVERIFY(QFile::copy(dir + QStringLiteral("/disc.cue"), dir + QStringLiteral("/disc.txt")));
        QCOMPARE(Result(dir + QStringLiteral("/disc.txt")), TResult::Unreadable);
    }

    void oversizedSheets()
    {
        // A good sheet, padded with remarks: read up to 1 MB, refused beyond, 10 MB as well.
        const QString dir = Path(QStringLiteral("big"));
        WriteCueImage(dir, QStringLiteral("disc"), {{150}});
        QFile file(dir + QStringLiteral("/disc.cue"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray sheet = file.readAll();
        file.close();
        const QByteArray remark("REM padding padding padding padding padding padding\n");
        const auto padded = [&](qint64 size) {
            QByteArray bytes = sheet;
            while (bytes.size() + remark.size() <= size)
                bytes += remark;
            WriteFile(dir + QStringLiteral("/disc.cue"), bytes);
            return TCdioDisc::OpenImage(dir + QStringLiteral("/disc.cue")).Result;
        };
        QCOMPARE(padded(MaxSheetBytes), TResult::Opened);
        QCOMPARE(padded(MaxSheetBytes + remark.size()), TResult::Unreadable);
        QCOMPARE(padded(10 * 1024 * 1024), TResult::Unreadable);
    }

    void tocImageReadThroughItsLayout()
    {
        // A data track of cooked sectors with a volume descriptor set, then audio after a
        // pregap of silence, from a file whose audio starts at a byte offset.
        const QString dir = Path(QStringLiteral("toc"));
        QByteArray data(20 * 2048, char(0x11));
        data.replace(16 * 2048, 2048, TestVolumeDescriptor());
        data.replace(17 * 2048, 2048, Terminator());
        const QByteArray audio = AudioPattern(0, 40);
        WriteFile(dir + QStringLiteral("/mixed.img"), data + audio);
        WriteFile(dir + QStringLiteral("/mixed.toc"),
                  "CD_ROM\n"
                  "TRACK MODE1\nDATAFILE \"MIXED.IMG\" 00:00:20\n"
                  "TRACK AUDIO\nPREGAP 00:00:05\nFILE \"MIXED.IMG\" #40960 0\n");
        const auto opened = TCdioDisc::OpenImage(dir + QStringLiteral("/mixed.toc"));
        QCOMPARE(opened.Result, TResult::Opened);
        const auto& disc = opened.Disc;
        QCOMPARE(disc->Toc(), (TDiscToc{{{0, false}, {25, true}}, 65}));
        QCOMPARE(disc->Serial(), VolumeDescriptorSerial(TestVolumeDescriptor()));
        QVERIFY(disc->Sheet());

        // The data track and the pregap play as silence, the audio as it is in the file; past
        // the lead-out nothing.
        QByteArray played(70 * Raw, 'x');
        disc->ReadAudio(0, 70, played.data());
        QCOMPARE(played.left(25 * Raw), QByteArray(25 * Raw, '\0'));
        QCOMPARE(played.mid(25 * Raw, 40 * Raw), audio);
        QCOMPARE(played.mid(65 * Raw), QByteArray(5 * Raw, '\0'));

        // A file cut short after the disc was read: the missing part plays as silence.
        QVERIFY(QFile::resize(dir + QStringLiteral("/mixed.img"), 40960 + 10 * Raw + 100));
        played.fill('x');
        disc->ReadAudio(25, 20, played.data());
        QCOMPARE(played.left(10 * Raw + 100), audio.left(10 * Raw + 100));
        QCOMPARE(played.mid(10 * Raw + 100, 10 * Raw - 100), QByteArray(10 * Raw - 100, '\0'));
    }

    void cdTextFromTheSheet()
    {
        const QString dir = Path(QStringLiteral("text"));
        WriteFile(dir + QStringLiteral("/t.bin"), QByteArray(10 * Raw, '\0'));
        WriteFile(dir + QStringLiteral("/t.cue"),
                  "PERFORMER \"Band\"\nTITLE \"Album\"\nFILE \"t.bin\" BINARY\n"
                  "  TRACK 01 AUDIO\n    TITLE \"One\"\n    INDEX 01 00:00:00\n");
        const auto opened = TCdioDisc::OpenImage(dir + QStringLiteral("/t.cue"));
        QVERIFY(opened.Disc);
        const TImageSheet* sheet = opened.Disc->Sheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->Title, QStringLiteral("Album"));
        QCOMPARE(sheet->Performer, QStringLiteral("Band"));
        QCOMPARE(sheet->Tracks.at(0).Title, QStringLiteral("One"));
    }
};

QTEST_GUILESS_MAIN(TestImageFile)
#include "tst_imagefile.moc"
