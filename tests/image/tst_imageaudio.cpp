#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <FLAC/stream_encoder.h>

#include "drive/CdioDisc.h"
#include "image/ImageFile.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

constexpr qint64 Raw = 2352;
using TResult = TCdioDisc::TOpenResult;

QByteArray Le(quint32 v, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b += char(v >> (8 * i) & 0xFF);
    return b;
}

QByteArray Be(quint32 v, int bytes)
{
    QByteArray b = Le(v, bytes);
    std::reverse(b.begin(), b.end());
    return b;
}

QByteArray Swapped(QByteArray pcm)
{
    for (qsizetype i = 0; i + 1 < pcm.size(); i += 2)
        std::swap(pcm[i], pcm[i + 1]);
    return pcm;
}

// A WAV file with a chunk of its own before the format (odd-sized, so padded) and after it.
QByteArray Wav(const QByteArray& pcm, quint32 rate = 44100, int channels = 2, int bits = 16,
               int format = 1)
{
    QByteArray fmt = Le(quint32(format), 2) + Le(quint32(channels), 2) + Le(rate, 4) +
                     Le(rate * quint32(channels * bits / 8), 4) +
                     Le(quint32(channels * bits / 8), 2) + Le(quint32(bits), 2);
    if (format == 0xFFFE)
        fmt += Le(22, 2) + Le(quint32(bits), 2) + Le(3, 4) + Le(1, 2) + QByteArray(14, 'g');
    const QByteArray body = "WAVE" + QByteArray("LIST") + Le(3, 4) + QByteArray("abc\0", 4) +
                            "fmt " + Le(quint32(fmt.size()), 4) + fmt + "fact" + Le(4, 4) +
                            Le(0, 4) + "data" + Le(quint32(pcm.size()), 4) + pcm;
    return "RIFF" + Le(quint32(body.size()), 4) + body;
}

QByteArray Aiff(const QByteArray& pcm)
{
    // 44100 as an 80-bit extended float.
    const QByteArray rate = QByteArray::fromHex("400EAC44000000000000");
    const QByteArray comm = Be(2, 2) + Be(quint32(pcm.size() / 4), 4) + Be(16, 2) + rate;
    const QByteArray body = "AIFF" + QByteArray("COMM") + Be(quint32(comm.size()), 4) + comm +
                            "SSND" + Be(quint32(pcm.size() + 8), 4) + Be(0, 4) + Be(0, 4) +
                            Swapped(pcm);
    return "FORM" + Be(quint32(body.size()), 4) + body;
}

bool WriteFlac(const QString& path, const QByteArray& pcm)
{
    FLAC__StreamEncoder* encoder = FLAC__stream_encoder_new();
    FLAC__stream_encoder_set_channels(encoder, 2);
    FLAC__stream_encoder_set_bits_per_sample(encoder, 16);
    FLAC__stream_encoder_set_sample_rate(encoder, 44100);
    FLAC__stream_encoder_set_blocksize(encoder, 1152);
    bool ok = FLAC__stream_encoder_init_file(encoder, QFile::encodeName(path).constData(), nullptr,
                                             nullptr) == FLAC__STREAM_ENCODER_INIT_STATUS_OK;
    std::vector<FLAC__int32> samples(std::size_t(pcm.size() / 2));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = qint16(quint8(pcm[qsizetype(2 * i)]) | quint8(pcm[qsizetype(2 * i + 1)]) << 8);
    ok = ok && FLAC__stream_encoder_process_interleaved(encoder, samples.data(),
                                                        unsigned(samples.size() / 2));
    ok = FLAC__stream_encoder_finish(encoder) && ok;
    FLAC__stream_encoder_delete(encoder);
    return ok;
}

QByteArray ReadAll(TCdioDisc& disc, qint32 sectors, int chunk = 25)
{
    QByteArray played(sectors * Raw, 'x');
    for (qint32 at = 0; at < sectors; at += chunk) {
        if (!disc.ReadAudio(at, std::min(chunk, sectors - at), played.data() + at * Raw))
            return {};
    }
    return played;
}

QByteArray Sheet(const QByteArray& file, const QByteArray& type)
{
    return "FILE \"" + file + "\" " + type +
           "\nTRACK 01 AUDIO\nINDEX 01 00:00:00\nTRACK 02 AUDIO\nINDEX 01 00:01:00\n";
}

} // namespace

// Audio files behind sheets, decoded to the very sample: WAV, AIFF, big-endian raw and FLAC,
// one file for the disc or one per track, and what they refuse.
class TestImageAudio : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    const QByteArray m_pcm = AudioPattern(0, 200, 7);

    QString Path(const QString& name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void filesPlayAsTheirSamples_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("type");
        QTest::newRow("WAV") << "a.wav" << QByteArray("WAVE");
        QTest::newRow("WAV extensible") << "x.wav" << QByteArray("WAVE");
        QTest::newRow("AIFF") << "a.aiff" << QByteArray("AIFF");
        QTest::newRow("big-endian raw") << "a.raw" << QByteArray("MOTOROLA");
        QTest::newRow("FLAC under WAVE") << "a.flac" << QByteArray("WAVE");
        QTest::newRow("WAV under AIFF") << "b.wav" << QByteArray("AIFF");
    }
    void filesPlayAsTheirSamples()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, type);
        const QString file = Path(name);
        if (name == QLatin1String("a.flac"))
            QVERIFY(WriteFlac(file, m_pcm));
        else if (type == "MOTOROLA")
            WriteFile(file, Swapped(m_pcm));
        else if (name == QLatin1String("a.aiff"))
            WriteFile(file, Aiff(m_pcm));
        else
            WriteFile(file, Wav(m_pcm, 44100, 2, 16, name == QLatin1String("x.wav") ? 0xFFFE : 1));
        WriteFile(file + QStringLiteral(".cue"), Sheet(name.toUtf8(), type));

        const auto opened = TCdioDisc::OpenImage(file + QStringLiteral(".cue"));
        QCOMPARE(opened.Result, TResult::Opened);
        TCdioDisc& disc = *opened.Disc;
        QCOMPARE(disc.Toc(), (TDiscToc{{{0, true}, {75, true}}, 200}));
        // The whole disc in reads as the engine makes them, then reads that seek back and on.
        QCOMPARE(ReadAll(disc, 200), m_pcm);
        QByteArray part(10 * Raw, 'x');
        for (const qint32 at : {130, 3, 190, 77}) {
            QVERIFY(disc.ReadAudio(at, 10, part.data()));
            QCOMPARE(part, m_pcm.mid(at * Raw, 10 * Raw));
        }
    }

    void oneFilePerTrackMakesTheDiscsTableOfContents()
    {
        // A disc of three tracks, the second with a second of INDEX 00: as one file, with the
        // gaps appended to the track before, and with the gaps left out (PREGAP instead).
        const QByteArray single = "FILE \"all.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                                  "TRACK 02 AUDIO\nINDEX 00 00:01:00\nINDEX 01 00:02:00\n"
                                  "TRACK 03 AUDIO\nINDEX 01 00:02:25\n";
        WriteFile(Path(QStringLiteral("all.wav")), Wav(m_pcm));
        WriteFile(Path(QStringLiteral("single.cue")), single);
        WriteFile(Path(QStringLiteral("t1.wav")), Wav(m_pcm.left(150 * Raw)));
        WriteFile(Path(QStringLiteral("t1short.wav")), Wav(m_pcm.left(75 * Raw)));
        QVERIFY(WriteFlac(Path(QStringLiteral("t2.flac")), m_pcm.mid(150 * Raw, 25 * Raw)));
        WriteFile(Path(QStringLiteral("t3.wav")), Wav(m_pcm.mid(175 * Raw)));
        WriteFile(Path(QStringLiteral("appended.cue")),
                  "FILE \"t1.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                  "TRACK 02 AUDIO\nINDEX 00 00:01:00\nFILE \"t2.flac\" WAVE\nINDEX 01 00:00:00\n"
                  "FILE \"t3.wav\" WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n");
        WriteFile(Path(QStringLiteral("left-out.cue")),
                  "FILE \"t1short.wav\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n"
                  "FILE \"t2.flac\" WAVE\nTRACK 02 AUDIO\nPREGAP 00:01:00\nINDEX 01 00:00:00\n"
                  "FILE \"t3.wav\" WAVE\nTRACK 03 AUDIO\nINDEX 01 00:00:00\n");
        const auto one = TCdioDisc::OpenImage(Path(QStringLiteral("single.cue")));
        QVERIFY(one.Disc);
        QCOMPARE(one.Disc->Toc(), (TDiscToc{{{0, true}, {150, true}, {175, true}}, 200}));
        for (const char* name : {"appended.cue", "left-out.cue"}) {
            const auto opened = TCdioDisc::OpenImage(Path(QString::fromLatin1(name)));
            QVERIFY2(opened.Disc, name);
            QCOMPARE(opened.Disc->Toc(), one.Disc->Toc());
            QCOMPARE(opened.Disc->Serial(), one.Disc->Serial());
        }
        // Gaps appended: every sample is the single file's; gaps left out: the gap is silence.
        const auto appended = TCdioDisc::OpenImage(Path(QStringLiteral("appended.cue")));
        QCOMPARE(ReadAll(*appended.Disc, 200, 33), m_pcm);
        const auto leftOut = TCdioDisc::OpenImage(Path(QStringLiteral("left-out.cue")));
        QByteArray expected = m_pcm;
        expected.replace(75 * Raw, 75 * Raw, QByteArray(75 * Raw, '\0'));
        QCOMPARE(ReadAll(*leftOut.Disc, 200), expected);
    }

    void badFilesMakeNoDisc_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("reason");
        const QByteArray pcm = m_pcm.left(100 * Raw);
        QTest::newRow("48 kHz") << Wav(pcm, 48000) << "48000 Hz";
        QTest::newRow("mono") << Wav(pcm, 44100, 1) << "1 channel";
        QTest::newRow("24 bits") << Wav(pcm, 44100, 2, 24) << "24 bits";
        QTest::newRow("float") << Wav(pcm, 44100, 2, 32, 3) << "no PCM";
        QTest::newRow("truncated header") << Wav(pcm).left(30) << "no readable";
        QTest::newRow("neither WAV nor FLAC") << QByteArray(5000, 'z') << "no WAV";
        QTest::newRow("FLAC header only") << QByteArray("fLaC\x80\0\0\x22", 8) << "FLAC";
        QTest::newRow("shorter than the sheet says") << Wav(pcm.left(20 * Raw)) << "shorter";
    }
    void badFilesMakeNoDisc()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, reason);
        WriteFile(Path(QStringLiteral("bad.wav")), file);
        WriteFile(Path(QStringLiteral("bad.cue")), Sheet("bad.wav", "WAVE"));
        QString why;
        QVERIFY(!TImageFile::Open(Path(QStringLiteral("bad.cue")), &why));
        QVERIFY2(why.contains(reason), qPrintable(why));
        QCOMPARE(TCdioDisc::OpenImage(Path(QStringLiteral("bad.cue"))).Result, TResult::Unreadable);
    }

    void namesLeadingToNoRegularFile()
    {
        // Missing, a FIFO, a device by an absolute path, a directory up through "..": refused
        // without being opened (a FIFO would never answer).
        QVERIFY(QDir().mkpath(Path(QStringLiteral("sub"))));
        QCOMPARE(mkfifo(QFile::encodeName(Path(QStringLiteral("fifo.wav"))).constData(), 0600), 0);
        for (const QByteArray& name :
             {QByteArray("gone.wav"), QByteArray("fifo.wav"), QByteArray("/dev/zero"),
              QByteArray("../" + QFile::encodeName(QFileInfo(m_dir.path()).fileName()))}) {
            WriteFile(Path(QStringLiteral("sub/x.cue")),
                      Sheet(name.startsWith('/') ? name : "../" + name, "WAVE"));
            QString why;
            QVERIFY(!TImageFile::Open(Path(QStringLiteral("sub/x.cue")), &why));
            QVERIFY2(why.contains(QLatin1String("missing")) ||
                         why.contains(QLatin1String("regular")),
                     qPrintable(why));
        }
        // A WAV file beside the sheet's folder is followed.
        WriteFile(Path(QStringLiteral("up.wav")), Wav(m_pcm));
        WriteFile(Path(QStringLiteral("sub/up.cue")), Sheet("../up.wav", "WAVE"));
        QVERIFY(TImageFile::Open(Path(QStringLiteral("sub/up.cue"))));
    }

    void aCorruptFlacFrameFailsTheRead()
    {
        const QString file = Path(QStringLiteral("broken.flac"));
        QVERIFY(WriteFlac(file, m_pcm));
        QFile flac(file);
        QVERIFY(flac.open(QIODevice::ReadWrite));
        QByteArray bytes = flac.readAll();
        for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
            bytes[i] = char(bytes[i] ^ 0x5A);
        QVERIFY(flac.seek(0));
        flac.write(bytes);
        flac.close();
        WriteFile(file + QStringLiteral(".cue"), Sheet("broken.flac", "WAVE"));
        const auto opened = TCdioDisc::OpenImage(file + QStringLiteral(".cue"));
        QVERIFY(opened.Disc);
        // The start still plays; a read over the broken frame fails instead of giving silence.
        QByteArray part(25 * Raw, 'x');
        QVERIFY(opened.Disc->ReadAudio(0, 25, part.data()));
        QCOMPARE(part, m_pcm.left(25 * Raw));
        QVERIFY(ReadAll(*opened.Disc, 200).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestImageAudio)
#include "tst_imageaudio.moc"
