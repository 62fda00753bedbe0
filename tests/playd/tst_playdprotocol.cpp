#include <QTest>
#include <QtEndian>

#include "playd/Protocol.h"

using namespace qlnx;

namespace {

TPlayedDisc Disc()
{
    TPlayedDisc disc;
    disc.Path = QStringLiteral("/home/me/Alben/Über.cue");
    disc.Image = true;
    disc.Serial = 0x00014A00;
    disc.Toc.Tracks = {{0, true}, {1350, true}, {2700, false}};
    disc.Toc.LeadOut = 4000;
    return disc;
}

QList<TMessage> EveryKind()
{
    QList<TMessage> all;
    const auto add = [&all](TMessageType type, auto fill) {
        TMessage m;
        m.Type = type;
        fill(m);
        all.append(m);
    };
    add(TMessageType::Hello, [](TMessage& m) { m.Version = 7; });
    add(TMessageType::Welcome, [](TMessage& m) { m.Pid = 4242; });
    add(TMessageType::Retire, [](TMessage&) {});
    add(TMessageType::Play, [](TMessage& m) {
        m.Seq = 3;
        m.PlayId = 9;
        m.Disc = Disc();
        m.From = 2352 * 75;
        m.To = 2352 * 4000;
    });
    add(TMessageType::Stop, [](TMessage& m) { m.Seq = 4; });
    add(TMessageType::Pause, [](TMessage& m) { m.Seq = 5; });
    add(TMessageType::Resume, [](TMessage& m) {
        m.Seq = 6;
        m.PlayId = 10;
    });
    add(TMessageType::Forget, [](TMessage& m) {
        m.Seq = 7;
        m.Disc.Path = QStringLiteral("/dev/sr0");
    });
    add(TMessageType::Status, [](TMessage& m) {
        m.Seq = 7;
        m.State = TDiscPlayer::TState::Paused;
        m.Disc = Disc();
        m.Position = 123456;
        m.To = 2352 * 4000;
        m.PlayId = 10;
    });
    add(TMessageType::Completion, [](TMessage& m) {
        m.PlayId = 10;
        m.Result = TNotifyResult::Superseded;
    });
    return all;
}

// A frame around the given message bytes.
QByteArray Frame(const QByteArray& payload)
{
    char size[4];
    qToBigEndian(quint32(payload.size()), size);
    return QByteArray(size, 4) + payload;
}

} // namespace

// The playback service's protocol: every message survives its frame, frames come whole
// however the bytes arrive, and anything that is not a frame of ours breaks the stream rather
// than being half understood.
class TestPlaydProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void everyMessageComesBackAsSent()
    {
        // All of them in one stream, fed a byte at a time.
        QByteArray stream;
        for (const TMessage& m : EveryKind())
            stream += EncodeFrame(m);
        TFrameReader reader;
        QList<TMessage> got;
        TMessage message;
        for (const char byte : stream) {
            reader.Append(QByteArray(1, byte));
            TFrameReader::TResult result;
            while ((result = reader.Next(message)) == TFrameReader::TResult::Message)
                got.append(message);
            QCOMPARE(result, TFrameReader::TResult::NeedMore);
        }
        QCOMPARE(got, EveryKind());
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray play = EncodeFrame(EveryKind().at(3)).mid(4);
        QTest::newRow("frame too large") << QByteArray("\x00\x01\x00\x01", 4);
        QTest::newRow("frame too small") << Frame(QByteArray(1, '\0'));
        QTest::newRow("unknown type") << Frame(QByteArray("\x00\x63", 2));
        QTest::newRow("field cut short") << Frame(play.left(play.size() - 1));
        QTest::newRow("bytes left over") << Frame(play + QByteArray(1, '\0'));
        QByteArray badEnum = EncodeFrame(EveryKind().at(9)).mid(4);
        badEnum[badEnum.size() - 1] = 3; // no such result
        QTest::newRow("result out of range") << Frame(badEnum);
        QByteArray badFlag = play;
        const qsizetype flag = 2 + 4 + 4 + 4 + Disc().Path.toUtf8().size();
        badFlag[flag] = 2; // neither image nor drive
        QTest::newRow("flag out of range") << Frame(badFlag);
        QByteArray tracks = play;
        qToBigEndian(quint16(100), tracks.data() + flag + 1 + 4);
        QTest::newRow("over 99 tracks") << Frame(tracks);
        QByteArray path = play;
        qToBigEndian(quint32(1'000'000), path.data() + 2 + 4 + 4);
        QTest::newRow("path running past the frame") << Frame(path);
        QTest::newRow("not ours at all") << QByteArray("GET / HTTP/1.1\r\n\r\n");
    }
    void brokenStreams()
    {
        QFETCH(QByteArray, bytes);
        TFrameReader reader;
        reader.Append(bytes);
        TMessage message;
        QCOMPARE(reader.Next(message), TFrameReader::TResult::Broken);
        // Broken for good, whatever follows.
        reader.Append(EncodeFrame(EveryKind().first()));
        QCOMPARE(reader.Next(message), TFrameReader::TResult::Broken);
    }

    void helloAndWelcomeKeepTheirLayout()
    {
        // What every version writes, byte for byte: a player or service of any version can
        // tell the other's version and retire it.
        TMessage hello;
        hello.Type = TMessageType::Hello;
        hello.Version = 2;
        QCOMPARE(EncodeFrame(hello).toHex(), QByteArray("00000008"
                                                        "0001"
                                                        "514c5044"
                                                        "0002"));
        TMessage retire;
        retire.Type = TMessageType::Retire;
        QCOMPARE(EncodeFrame(retire).toHex(), QByteArray("00000002"
                                                         "0003"));
    }
};

QTEST_GUILESS_MAIN(TestPlaydProtocol)
#include "tst_playdprotocol.moc"
