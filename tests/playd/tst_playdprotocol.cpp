#include <limits>

#include <QTest>
#include <QtEndian>

#include "playd/Protocol.h"

using namespace qlnx;

namespace {

TPlayedDisc Disc()
{
    TPlayedDisc disc;
    disc.Path = QStringLiteral("/\u00fc");
    disc.Image = true;
    disc.Serial = 0x00014A00;
    disc.Toc.Tracks = {{0, true}, {1350, false}};
    disc.Toc.LeadOut = 4000;
    return disc;
}

// Disc() as the wire carries it.
const char* const DiscBytes = "00000003"
                              "2fc3bc"
                              "01"
                              "00014a00"
                              "0002"
                              "00000000"
                              "01"
                              "00000546"
                              "00"
                              "00000fa0";

// One message of every kind, and its frame byte for byte: what every version of either
// program writes and reads.
struct TKind
{
    TMessage Message;
    QByteArray Hex;
};

QList<TKind> EveryKind()
{
    QList<TKind> all;
    const auto add = [&all](TMessageType type, QByteArray hex, auto fill) {
        TMessage m;
        m.Type = type;
        fill(m);
        all.append({m, hex});
    };
    const QByteArray disc(DiscBytes);
    add(TMessageType::Hello, "00000008000151 4c50440002", [](TMessage& m) { m.Version = 2; });
    add(TMessageType::Welcome, "000000100002514c504400010000000000001092",
        [](TMessage& m) { m.Pid = 4242; });
    add(TMessageType::Retire, "000000020003", [](TMessage&) {});
    add(TMessageType::Play,
        "000000360010"
        "00000003"
        "00000009" +
            disc + "000000000002b110" + "00000000008f8e00",
        [](TMessage& m) {
            m.Seq = 3;
            m.PlayId = 9;
            m.Disc = Disc();
            m.From = 2352 * 75;
            m.To = 2352 * 4000;
        });
    add(TMessageType::Stop, "00000006001100000004", [](TMessage& m) { m.Seq = 4; });
    add(TMessageType::Pause, "00000006001200000005", [](TMessage& m) { m.Seq = 5; });
    add(TMessageType::Resume, "0000000a00130000000600000 00a", [](TMessage& m) {
        m.Seq = 6;
        m.PlayId = 10;
    });
    add(TMessageType::Forget, "000000120014000000070000 00082f6465762f737230", [](TMessage& m) {
        m.Seq = 7;
        m.Disc.Path = QStringLiteral("/dev/sr0");
    });
    add(TMessageType::Status,
        "000000370020"
        "00000007"
        "02" +
            disc + "000000000001e240" + "00000000008f8e00" + "0000000a",
        [](TMessage& m) {
            m.Seq = 7;
            m.State = TDiscPlayer::TState::Paused;
            m.Disc = Disc();
            m.Position = 123456;
            m.To = 2352 * 4000;
            m.PlayId = 10;
        });
    add(TMessageType::Completion, "00000007002100000 00a02", [](TMessage& m) {
        m.PlayId = 10;
        m.Result = TNotifyResult::Superseded;
    });
    for (TKind& kind : all)
        kind.Hex.replace(' ', QByteArray());
    return all;
}

QList<TMessage> Messages()
{
    QList<TMessage> messages;
    for (const TKind& kind : EveryKind())
        messages.append(kind.Message);
    return messages;
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
        for (const TMessage& m : Messages())
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
        QCOMPARE(got, Messages());
    }

    void everyKindHasItsBytes_data()
    {
        QTest::addColumn<TMessage>("message");
        QTest::addColumn<QByteArray>("hex");
        for (const TKind& kind : EveryKind())
            QTest::newRow(qPrintable(QString::number(int(kind.Message.Type))))
                << kind.Message << kind.Hex;
        // The states and results the enums carry, each on its byte.
        const QList<std::pair<TDiscPlayer::TState, const char*>> states = {
            {TDiscPlayer::TState::Idle, "00"},
            {TDiscPlayer::TState::Playing, "01"},
            {TDiscPlayer::TState::Stopped, "03"}};
        for (const auto& [state, byte] : states) {
            TKind kind = EveryKind().at(8);
            kind.Message.State = state;
            kind.Hex.replace(20, 2, byte);
            QTest::newRow(byte) << kind.Message << kind.Hex;
        }
        const QList<std::pair<TNotifyResult, const char*>> results = {
            {TNotifyResult::Successful, "01"},
            {TNotifyResult::Aborted, "04"},
            {TNotifyResult::Failure, "08"}};
        for (const auto& [result, byte] : results) {
            TKind kind = EveryKind().at(9);
            kind.Message.Result = result;
            kind.Hex.replace(20, 2, byte);
            QTest::newRow(byte) << kind.Message << kind.Hex;
        }
    }
    void everyKindHasItsBytes()
    {
        QFETCH(TMessage, message);
        QFETCH(QByteArray, hex);
        QCOMPARE(EncodeFrame(message).toHex(), hex);
        QCOMPARE(DecodeMessage(QByteArray::fromHex(hex).mid(4)), std::optional(message));
    }

    void onlyWhatIsOnTheDiscPlays_data()
    {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<qint64>("to");
        QTest::addColumn<bool>("runs");
        const qint64 leadOut = 2352 * 4000;
        QTest::newRow("the whole disc") << qint64(0) << leadOut << true;
        QTest::newRow("empty at the lead-out") << leadOut << leadOut << true;
        QTest::newRow("backward: ends at once") << qint64(2352 * 10) << qint64(0) << true;
        QTest::newRow("most negative start")
            << std::numeric_limits<qint64>::min() << qint64(2352) << false;
        QTest::newRow("before the disc") << qint64(-4) << qint64(2352) << false;
        QTest::newRow("past the lead-out") << qint64(0) << leadOut + 4 << false;
        QTest::newRow("start past it")
            << std::numeric_limits<qint64>::max() - 3 << leadOut << false;
        QTest::newRow("end between frames") << qint64(0) << qint64(2354) << false;
        QTest::newRow("start between frames") << qint64(1) << qint64(2352) << false;
    }
    void onlyWhatIsOnTheDiscPlays()
    {
        QFETCH(qint64, from);
        QFETCH(qint64, to);
        QFETCH(bool, runs);
        // As a service reads it off the wire.
        TMessage play = EveryKind().at(3).Message;
        play.From = from;
        play.To = to;
        const auto read = DecodeMessage(EncodeFrame(play).mid(4));
        QVERIFY(read);
        QCOMPARE(Runnable(*read), runs);
        TMessage status = EveryKind().at(8).Message;
        status.Position = from;
        status.To = to;
        QCOMPARE(Plausible(status), runs);
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray play = EncodeFrame(EveryKind().at(3).Message).mid(4);
        QTest::newRow("frame too large") << QByteArray("\x00\x01\x00\x01", 4);
        QTest::newRow("frame too small") << Frame(QByteArray(1, '\0'));
        QTest::newRow("unknown type") << Frame(QByteArray("\x00\x63", 2));
        QTest::newRow("field cut short") << Frame(play.left(play.size() - 1));
        QTest::newRow("bytes left over") << Frame(play + QByteArray(1, '\0'));
        QByteArray badEnum = EncodeFrame(EveryKind().at(9).Message).mid(4);
        badEnum[badEnum.size() - 1] = 3; // no such result
        QTest::newRow("result out of range") << Frame(badEnum);
        QByteArray badState = EncodeFrame(EveryKind().at(8).Message).mid(4);
        badState[2 + 4] = 4; // no such state
        QTest::newRow("state out of range") << Frame(badState);
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
        reader.Append(EncodeFrame(EveryKind().first().Message));
        QCOMPARE(reader.Next(message), TFrameReader::TResult::Broken);
    }
};

QTEST_GUILESS_MAIN(TestPlaydProtocol)
#include "tst_playdprotocol.moc"
