// The lookups against a server in the test process that answers in the services' formats:
// what is sent, what comes back, every way a server can fail, the spacing of requests, and
// that nothing is sent while lookups are off.

#include <QtTest>

#include <QSslSocket>

#include "LocalHttpServer.h"
#include "network/NetworkTransport.h"
#include "online/HttpFetcher.h"
#include "online/Lookups.h"
#include "online/NetworkModule.h"

using namespace qlnx;

namespace {

// One track of 266 s from sector 0.
TLookupToc OneTrackToc()
{
    TLookupToc toc;
    toc.Starts = {0};
    toc.LeadOut = 19850;
    return toc;
}
const QByteArray OneTrackId = "vqTXXJKiuhBULri5fBp9_cTNgIo-";

const QByteArray OneRelease = R"({"releases":[{"title":"T","artist-credit":[{"name":"A"}],
  "media":[{"format":"CD","discs":[{"id":"vqTXXJKiuhBULri5fBp9_cTNgIo-"}],
  "tracks":[{"title":"Song","length":264666}]}]}]})";

TOnlineSettings SettingsFor(const TLocalHttpServer& server, bool enabled = true)
{
    TOnlineSettings s;
    s.Enabled = enabled;
    s.MusicBrainzUrl = s.GnudbUrl = s.LrclibUrl = server.Url();
    return s;
}

} // namespace

class TstOnlineFetch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nothingIsSentWhileOff()
    {
        TLocalHttpServer server;
        server.SetHandler([](const auto&) { return TLocalHttpServer::Answer(200, OneRelease); });
        THttpFetcher fetcher(SettingsFor(server, false), MakeNetworkTransport);
        TDiscLookup disc(fetcher);
        TLyricsLookup lyrics(fetcher);
        QSignalSpy discFailed(&disc, &TDiscLookup::Failed);
        QSignalSpy lyricsFailed(&lyrics, &TLyricsLookup::Failed);
        disc.Start(OneTrackToc());
        lyrics.Start({QStringLiteral("A"), QStringLiteral("T"), QStringLiteral("Song"), 266});
        QVERIFY(discFailed.wait(5000));
        QTRY_COMPARE_WITH_TIMEOUT(lyricsFailed.size(), 1, 5000);
        QVERIFY(discFailed.first().first().toString().contains(QStringLiteral("off")));
        QCOMPARE(server.Connections(), 0);
    }

    // The player reaches the HTTP library only as a module, loaded with the first lookup.
    void theModuleIsFoundAndAMissingOneIsSaid()
    {
        const QString built = QStringLiteral(QLNX_NETWORK_MODULE);
        QCOMPARE(NetworkModulePath(QFileInfo(built).path()), built);
        TLocalHttpServer server;
        server.SetHandler([](const auto&) { return TLocalHttpServer::Answer(200, "here"); });
        TFetchResult got;
        THttpFetcher fetcher(SettingsFor(server), NetworkModuleTransport(built));
        fetcher.Get(QUrl(server.Url() + QStringLiteral("/x")), [&](auto r) { got = r; });
        QTRY_VERIFY_WITH_TIMEOUT(got.Ok, 5000);
        QCOMPARE(got.Body, "here");

        const QRegularExpression warning(QStringLiteral("^no online lookups: "));
        QTest::ignoreMessage(QtWarningMsg, warning);
        THttpFetcher missing(SettingsFor(server),
                             NetworkModuleTransport(QStringLiteral("/no/x.so")));
        QList<TFetchResult> results;
        for (int i = 0; i < 2; ++i)
            missing.Get(QUrl(server.Url()), [&](auto r) { results.append(r); });
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), 2, 5000);
        QVERIFY(!results.at(1).Ok &&
                results.at(1).Error.contains(QStringLiteral("network module")));
        QCOMPARE(server.Connections(), 1);
    }

    void releasesOfTheDiscId()
    {
        TLocalHttpServer server;
        server.SetHandler([](const auto&) { return TLocalHttpServer::Answer(200, OneRelease); });
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        TDiscLookup lookup(fetcher);
        QSignalSpy found(&lookup, &TDiscLookup::Found);
        lookup.Start(OneTrackToc());
        QVERIFY(found.wait(5000));
        const auto candidates = found.first().at(0).value<QList<TDiscCandidate>>();
        QCOMPARE(candidates.size(), 1);
        QCOMPARE(candidates.first().Tracks, QStringList{QStringLiteral("Song")});
        QCOMPARE(found.first().at(1).toInt(), 0);
        QCOMPARE(server.Requests().size(), 1);
        QCOMPARE(server.Requests().first().Target,
                 "/ws/2/discid/" + OneTrackId + "?inc=recordings+artist-credits&fmt=json");
        QVERIFY(server.Requests().first().Headers.contains(
            "\r\nUser-Agent: qlnx/0.1 ( qlnx@example.org )"));
    }

    // No release for the id: the classic id's matches, each entry read; the one that does not
    // fit comes last and the one that cannot be read is left out.
    void gnudbWhenTheFirstServiceKnowsNone()
    {
        TLocalHttpServer server;
        server.SetHandler([](const TLocalHttpServer::TRequest& r) {
            if (r.Target.startsWith("/ws/2/"))
                return TLocalHttpServer::Answer(404, R"({"error":"Not Found"})");
            if (r.Target.contains("cddb+query"))
                return TLocalHttpServer::Answer(
                    200, "211 close\r\nrock 02010801 X / Two\r\nmisc 02010801 Y / One\r\n"
                         "jazz 02010801 Z / Broken\r\n.\r\n");
            if (r.Target.contains("read+rock"))
                return TLocalHttpServer::Answer(
                    200, "210 rock 02010801\r\nDTITLE=X / Two\r\nTTITLE0=a\r\nTTITLE1=b\r\n.\r\n");
            if (r.Target.contains("read+misc"))
                return TLocalHttpServer::Answer(
                    200, "210 misc 02010801\r\nDTITLE=Y / One\r\nTTITLE0=only\r\n.\r\n");
            return TLocalHttpServer::Answer(200, "401 no such entry\r\n");
        });
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        TDiscLookup lookup(fetcher);
        QSignalSpy found(&lookup, &TDiscLookup::Found);
        lookup.Start(OneTrackToc());
        QVERIFY(found.wait(5000));
        const auto candidates = found.first().at(0).value<QList<TDiscCandidate>>();
        QCOMPARE(candidates.size(), 2);
        QCOMPARE(candidates[0].Artist, QStringLiteral("Y"));
        QCOMPARE(candidates[0].Format, QStringLiteral("misc"));
        QVERIFY(!candidates[1].Fits);
        QCOMPARE(server.Requests().at(1).Target, "/~cddb/cddb.cgi?cmd=cddb+query+02010801+1+150+266"
                                                 "&hello=anonymous+localhost+qlnx+0.1&proto=6");
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("answer"); // empty: the server stays silent
        QTest::addColumn<QString>("message");
        const QByteArray big(4096, 'x');
        QTest::newRow("slow") << QByteArray() << "did not answer within 0.2 s";
        QTest::newRow("garbage") << TLocalHttpServer::Answer(200, "<html>oops")
                                 << "could not be read";
        QTest::newRow("huge, announced")
            << TLocalHttpServer::Answer(200, big) << "larger than 1 KiB";
        QTest::newRow("huge, unannounced")
            << "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + big << "larger than 1 KiB";
        QTest::newRow("rate limit")
            << TLocalHttpServer::Answer(503, "slow down", "Retry-After: 1\r\n") << "busy";
        QTest::newRow("server error") << TLocalHttpServer::Answer(500, "") << "answered HTTP 500";
        QTest::newRow("redirect elsewhere")
            << TLocalHttpServer::Answer(301, "", "Location: http://localhost:1/x\r\n")
            << "another server (localhost:1)";
    }
    void failures()
    {
        QFETCH(QByteArray, answer);
        TLocalHttpServer server;
        server.SetHandler([answer](const auto&) { return answer; });
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        fetcher.SetMaxBody(1024);
        fetcher.SetTimeoutMs(200);
        TDiscLookup lookup(fetcher);
        QSignalSpy found(&lookup, &TDiscLookup::Found);
        QSignalSpy failed(&lookup, &TDiscLookup::Failed);
        lookup.Start(OneTrackToc());
        QVERIFY(failed.wait(5000));
        QFETCH(QString, message);
        const QString shown = failed.first().first().toString();
        QVERIFY2(shown.contains(message), qPrintable(shown));
        QCOMPARE(found.size(), 0);
        QVERIFY(!fetcher.Busy());
    }

    void serverDownOrNotSecure()
    {
        TLocalHttpServer server;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        fetcher.SetTimeoutMs(3000);
        QList<TFetchResult> results;
        fetcher.Get(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)),
                    [&](const TFetchResult& r) { results.append(r); });
        // A server that answers a secure handshake with plain text.
        QTcpServer plain;
        QVERIFY(plain.listen(QHostAddress::LocalHost, 0));
        connect(&plain, &QTcpServer::newConnection, this, [&plain] {
            QTcpSocket* socket = plain.nextPendingConnection();
            socket->write("HTTP/1.1 400 Not TLS\r\n\r\n");
            socket->disconnectFromHost();
        });
        if (QSslSocket::supportsSsl()) {
            fetcher.Get(QUrl(QStringLiteral("https://127.0.0.1:%1/").arg(plain.serverPort())),
                        [&](const TFetchResult& r) { results.append(r); });
        }
        const int expected = QSslSocket::supportsSsl() ? 2 : 1;
        QTRY_COMPARE_WITH_TIMEOUT(results.size(), expected, 5000);
        QVERIFY2(results[0].Error.startsWith(QStringLiteral("Cannot reach")),
                 qPrintable(results[0].Error));
        if (expected == 2)
            QVERIFY2(results[1].Error.contains(QStringLiteral("secure connection")),
                     qPrintable(results[1].Error));
    }

    void redirectOnTheSameServerIsFollowed()
    {
        TLocalHttpServer server;
        server.SetHandler([](const TLocalHttpServer::TRequest& r) {
            return r.Target == "/moved" ? TLocalHttpServer::Answer(200, "here")
                                        : TLocalHttpServer::Answer(302, "", "Location: /moved\r\n");
        });
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        std::optional<TFetchResult> result;
        fetcher.Get(QUrl(server.Url() + QStringLiteral("/start")),
                    [&](const TFetchResult& r) { result = r; });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 5000);
        QVERIFY2(result->Ok, qPrintable(result->Error));
        QCOMPARE(result->Body, "here");
    }

    // Spaced requests start a second apart on the fetcher's clock; others at once.
    void spacing()
    {
        TLocalHttpServer server;
        qint64 now = 10000;
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport, nullptr,
                             [&now] { return now; });
        QSignalSpy scheduled(&fetcher, &THttpFetcher::Scheduled);
        const QUrl url(server.Url());
        fetcher.Get(url, {}, true);
        fetcher.Get(url, {}, true);
        fetcher.Get(url, {}, false);
        now += 1500;
        fetcher.Get(url, {}, true);
        now += 5000;
        fetcher.Get(url, {}, true);
        QList<qint64> delays;
        for (const QList<QVariant>& call : scheduled)
            delays.append(call.at(1).toLongLong());
        QCOMPARE(delays, QList<qint64>({0, 1000, 0, 500, 0}));
        fetcher.CancelAll();
        QVERIFY(!fetcher.Busy());
    }

    void cancelLeavesNoTrace()
    {
        TLocalHttpServer server; // never answers
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        TDiscLookup lookup(fetcher);
        QSignalSpy found(&lookup, &TDiscLookup::Found);
        QSignalSpy failed(&lookup, &TDiscLookup::Failed);
        lookup.Start(OneTrackToc());
        QTRY_COMPARE_WITH_TIMEOUT(server.Requests().size(), 1, 5000);
        lookup.Cancel();
        QVERIFY(!lookup.Running());
        QVERIFY(!fetcher.Busy());
        QCoreApplication::processEvents();
        QCOMPARE(found.size() + failed.size(), 0);
    }

    void lyricsExactThenSearch()
    {
        TLocalHttpServer server;
        bool exact = false;
        server.SetHandler([&exact](const TLocalHttpServer::TRequest& r) {
            if (r.Target.startsWith("/api/get"))
                return exact ? TLocalHttpServer::Answer(
                                   200, R"({"duration":266,"syncedLyrics":"[00:05.00]exact"})")
                             : TLocalHttpServer::Answer(404, R"({"code":404})");
            return TLocalHttpServer::Answer(200,
                                            R"([{"duration":300,"syncedLyrics":"[00:01.00]far"},
                         {"duration":265,"syncedLyrics":"[00:02.00]near"}])");
        });
        THttpFetcher fetcher(SettingsFor(server), MakeNetworkTransport);
        TLyricsLookup lookup(fetcher);
        QSignalSpy found(&lookup, &TLyricsLookup::Found);
        const TLyricsQuery query{QStringLiteral("A+B & C"), QStringLiteral("Album"),
                                 QStringLiteral("Song"), 266};
        lookup.Start(query);
        QVERIFY(found.wait(5000));
        auto lyrics = found.takeFirst().first().value<TFoundLyrics>();
        QCOMPARE(lyrics.Rows, TLyricList({{QStringLiteral("near"), 2}}));
        QCOMPARE(server.Requests().at(0).Target,
                 "/api/get?artist_name=A%2BB%20%26%20C&track_name=Song&album_name=Album"
                 "&duration=266");
        QVERIFY(server.Requests().at(1).Target.startsWith("/api/search?track_name=Song"));

        exact = true;
        lookup.Start(query);
        QVERIFY(found.wait(5000));
        lyrics = found.takeFirst().first().value<TFoundLyrics>();
        QCOMPARE(lyrics.Rows, TLyricList({{QStringLiteral("exact"), 5}}));
        QCOMPARE(server.Requests().size(), 3);
    }
};

QTEST_GUILESS_MAIN(TstOnlineFetch)
#include "tst_onlinefetch.moc"
