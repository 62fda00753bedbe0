// The local-socket connections the player and its service talk over: what arrives, in order,
// however much is written at once, and when each end hears that the other has gone.

#include <sys/stat.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "fileio/LocalSocket.h"

using namespace qlnx;

class TestLocalSocket : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString Name(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private Q_SLOTS:
    void aConversationArrivesWholeAndInOrder()
    {
        TLocalServer server;
        QVERIFY(server.Listen(Name("s")));
        struct stat info = {};
        QCOMPARE(::stat(QFile::encodeName(Name("s")).constData(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);
        QVERIFY(!TLocalServer().Listen(Name("s"))); // taken

        TLocalSocket client;
        QSignalSpy connected(&client, &TLocalSocket::Connected);
        client.ConnectToServer(Name("s"));
        QCOMPARE(connected.size(), 1);
        QTRY_VERIFY(server.findChild<TLocalSocket*>());
        TLocalSocket* peer = server.NextPendingConnection();
        QVERIFY(peer && !server.NextPendingConnection());

        // Far more than a socket buffers: the rest goes from the event loop.
        QByteArray big(8 * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = char(i * 7 % 251);
        client.Write("first line\nsecond");
        client.Write(big);
        QVERIFY(client.BytesToWrite() > 0);
        QByteArray got;
        connect(peer, &TLocalSocket::ReadyRead, this, [&] {
            if (got.isEmpty() && peer->CanReadLine())
                got = peer->ReadLine();
            else if (!got.isEmpty())
                got += peer->ReadAll();
        });
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), qsizetype(11 + 6 + big.size()), 10000);
        QCOMPARE(got.left(11), "first line\n");
        QVERIFY(got.mid(11) == "second" + big);
        QCOMPARE(client.BytesToWrite(), 0);

        QByteArray answer;
        connect(&client, &TLocalSocket::ReadyRead, this, [&] { answer += client.ReadAll(); });
        peer->Write("answer");
        QTRY_COMPARE(answer, "answer");

        server.Close();
        QVERIFY(!QFile::exists(Name("s")));
        QVERIFY(peer->IsConnected()); // a connection outlives the listener
    }

    void eachEndHearsOnceThatTheOtherHasGone()
    {
        // A name nobody listens at is known at once.
        TLocalSocket lonely;
        QSignalSpy failed(&lonely, &TLocalSocket::ErrorOccurred);
        lonely.ConnectToServer(Name("nobody"));
        QCOMPARE(failed.size(), 1);
        QVERIFY(!lonely.IsConnected() && !lonely.WaitForConnected(10));

        TLocalServer server;
        QVERIFY(server.Listen(Name("t")));
        TLocalSocket a;
        a.ConnectToServer(Name("t"));
        QTRY_VERIFY(server.findChild<TLocalSocket*>());
        TLocalSocket* b = server.NextPendingConnection();
        QSignalSpy aGone(&a, &TLocalSocket::Disconnected);
        QSignalSpy bGone(b, &TLocalSocket::Disconnected);

        // The last words come before the end.
        QByteArray last;
        connect(&a, &TLocalSocket::ReadyRead, this, [&] { last += a.ReadAll(); });
        connect(&a, &TLocalSocket::Disconnected, this, [&] { last += "|end"; });
        b->Write("bye");
        b->Abort(); // at once, and said at once
        QCOMPARE(bGone.size(), 1);
        QTRY_COMPARE(last, "bye|end");
        QCOMPARE(aGone.size(), 1);

        // Writing to an end that has gone is no error in the middle of the write: the end is
        // told from the event loop.
        TLocalSocket c;
        c.ConnectToServer(Name("t"));
        QTRY_VERIFY(server.findChildren<TLocalSocket*>().size() == 2);
        delete server.NextPendingConnection();
        QSignalSpy cGone(&c, &TLocalSocket::Disconnected);
        c.Write("anyone?");
        c.Write(QByteArray(1024 * 1024, 'x'));
        QCOMPARE(cGone.size(), 0);
        QTRY_COMPARE(cGone.size(), 1);
        c.Abort();
        QCOMPARE(cGone.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TestLocalSocket)
#include "tst_localsocket.moc"
