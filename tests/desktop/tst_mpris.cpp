#include <algorithm>
#include <functional>

#include <QAction>
#include <QComboBox>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "desktop/MprisService.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "settings/ProgramDirectory.h"
#include "support/PlayerRig.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"

using namespace qlnx;

namespace {

const QString Service = QStringLiteral("org.mpris.MediaPlayer2.qlnx");
const QString Path = QStringLiteral("/org/mpris/MediaPlayer2");
const QString RootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString PropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QVariantMap AsMap(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

} // namespace

// What the player's bus signals bring back through the bus daemon.
class TBusWatcher final : public QObject
{
    Q_OBJECT
public:
    QList<QVariantMap> Changes;
    QList<qlonglong> Seeks;

    explicit TBusWatcher(QObject* parent = nullptr) : QObject(parent)
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.connect(Service, Path, PropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                    SLOT(OnPropertiesChanged(QString, QVariantMap, QStringList)));
        bus.connect(Service, Path, PlayerInterface, QStringLiteral("Seeked"), this,
                    SLOT(OnSeeked(qlonglong)));
    }

    // Waits for a PropertiesChanged that carries name with a value that matches; signals of
    // earlier steps may still be on their way and come first.
    bool WaitForChange(const QString& name, const std::function<bool(const QVariant&)>& matches)
    {
        QSignalSpy spy(this, &TBusWatcher::Arrived);
        for (int round = 0; round < 20; ++round) {
            for (const QVariantMap& change : std::as_const(Changes)) {
                if (change.contains(name) && matches(change.value(name)))
                    return true;
            }
            if (!spy.wait(5000))
                break;
        }
        return false;
    }
    bool WaitForChange(const QString& name, const QVariant& value)
    {
        return WaitForChange(name, [&](const QVariant& v) { return v == value; });
    }
    bool WaitForTitle(const QString& title)
    {
        return WaitForChange(QStringLiteral("Metadata"), [&](const QVariant& v) {
            return AsMap(v).value(QStringLiteral("xesam:title")).toString() == title;
        });
    }
    bool WaitForSeek(qlonglong position)
    {
        QSignalSpy spy(this, &TBusWatcher::Arrived);
        for (int round = 0; round < 20; ++round) {
            if (Seeks.contains(position))
                return true;
            if (!spy.wait(5000))
                break;
        }
        return false;
    }
    void Clear()
    {
        Changes.clear();
        Seeks.clear();
    }

Q_SIGNALS:
    void Arrived();

public Q_SLOTS:
    void OnPropertiesChanged(const QString& interface, const QVariantMap& changed,
                             const QStringList&)
    {
        if (interface == PlayerInterface)
            Changes.append(changed);
        Q_EMIT Arrived();
    }
    void OnSeeked(qlonglong position)
    {
        Seeks.append(position);
        Q_EMIT Arrived();
    }
};

// The player on a private session bus, driven on the simulated drive and spoken to over the bus
// as a desktop shell would.
class TestMpris : public QObject
{
    Q_OBJECT

    struct TPlayer : TPlayerRig
    {
        TMprisService Mpris{Form.Controller(), Model, Drive};
        QDBusInterface Root{Service, Path, RootInterface, QDBusConnection::sessionBus()};
        QDBusInterface Player{Service, Path, PlayerInterface, QDBusConnection::sessionBus()};
        QDBusInterface Properties{Service, Path, PropertiesInterface,
                                  QDBusConnection::sessionBus()};

        // A disc of three tracks (10 s, 65 s, 20 s) with its data file, loaded and cued; the
        // windows answer Raise and Quit as the program wires them.
        explicit TPlayer(bool withDisc = true)
        {
            QObject::connect(&Mpris, &TMprisService::RaiseRequested, &Form,
                             &TQLNXMainForm::BringToFront);
            QObject::connect(&Mpris, &TMprisService::QuitRequested, &Form, &QWidget::close);
            if (withDisc) {
                WriteData(0xBEEF, "[Artist]\r\nThe Band\r\n[Title]\r\nFirst Light\r\n"
                                  "[Track01]\r\nOpening\r\n[Track02]\r\nMiddle\r\n"
                                  "[Track03]\r\nClosing\r\n");
                Drive.InsertDisc(Drive.AddDrive(QStringLiteral("sr0")),
                                 TSimDisc::Audio({10, 65, 20}, 0xBEEF));
            }
            Form.FormCreate(1);
            [this] { QVERIFY(Mpris.Register(QDBusConnection::sessionBus())); }();
        }
        QVariant Get(const QString& interface, const QString& name)
        {
            const QDBusReply<QDBusVariant> reply =
                Properties.call(QStringLiteral("Get"), interface, name);
            return reply.isValid() ? reply.value().variant() : QVariant();
        }
        QVariant Get(const QString& name) { return Get(PlayerInterface, name); }
        bool Set(const QString& name, const QVariant& value)
        {
            const QDBusMessage reply = Properties.call(QStringLiteral("Set"), PlayerInterface, name,
                                                       QVariant::fromValue(QDBusVariant(value)));
            return reply.type() == QDBusMessage::ReplyMessage;
        }
        bool Call(const QString& method, const QVariantList& args = {})
        {
            const QDBusMessage reply = Player.callWithArgumentList(QDBus::Block, method, args);
            return reply.type() == QDBusMessage::ReplyMessage;
        }
        QString Status() { return Get(QStringLiteral("PlaybackStatus")).toString(); }
        QVariantMap Metadata() { return AsMap(Get(QStringLiteral("Metadata"))); }
        qlonglong Position() { return Get(QStringLiteral("Position")).toLongLong(); }
        QString TrackId()
        {
            return Metadata()
                .value(QStringLiteral("mpris:trackid"))
                .value<QDBusObjectPath>()
                .path();
        }
        QString LastPlay() const
        {
            const QStringList plays = Drive.Log().filter(QStringLiteral("play "));
            return plays.isEmpty() ? QString() : plays.last();
        }
    };

private Q_SLOTS:
    void theApplication()
    {
        TPlayer p;
        QCOMPARE(p.Get(RootInterface, QStringLiteral("Identity")).toString(),
                 QStringLiteral("qlnx"));
        QCOMPARE(p.Get(RootInterface, QStringLiteral("DesktopEntry")).toString(),
                 QStringLiteral("qlnx"));
        QCOMPARE(p.Get(RootInterface, QStringLiteral("CanRaise")).toBool(), true);
        QCOMPARE(p.Get(RootInterface, QStringLiteral("CanQuit")).toBool(), true);
        QCOMPARE(p.Get(RootInterface, QStringLiteral("HasTrackList")).toBool(), false);
        QCOMPARE(p.Get(QStringLiteral("CanControl")).toBool(), true);

        // Raise brings the minimised window back.
        p.Form.showMinimized();
        QVERIFY(p.Form.isMinimized());
        QCOMPARE(p.Root.call(QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!p.Form.isMinimized());
        QVERIFY(p.Form.isVisible());

        // Quit closes as Exit does: after the answer, with the settings saved.
        const QString settings = SettingsFileName(p.Dir.path());
        QVERIFY(!QFileInfo::exists(settings));
        QCOMPARE(p.Root.call(QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(p.Form.isVisible());
        QCoreApplication::sendPostedEvents();
        QVERIFY(!p.Form.isVisible());
        QVERIFY(QFileInfo::exists(settings));
    }

    void onTheBusOnlyWhenThereIsOne()
    {
        TPlayer p;
        // No bus: nothing is registered, and the player goes on without it.
        TDiscModel model;
        TSimulatedCdDrive drive;
        TQLNXMainForm form(model, drive, p.Dir.path());
        TMprisService offline(form.Controller(), model, drive);
        QVERIFY(!offline.Register(QDBusConnection(QStringLiteral("no such connection"))));
        QVERIFY(!offline.Registered());
        // The name held already: the second stays off the bus, the first still answers.
        TMprisService second(form.Controller(), model, drive);
        QVERIFY(!second.Register(QDBusConnection::sessionBus()));
        QCOMPARE(p.Status(), QStringLiteral("Stopped"));
        QCOMPARE(p.Metadata().value(QStringLiteral("xesam:title")).toString(),
                 QStringLiteral("Opening"));
    }

    void statusAndTransportThroughTheHandlers()
    {
        TPlayer p;
        QCOMPARE(p.Status(), QStringLiteral("Stopped"));
        for (const char* name : {"CanPlay", "CanPause", "CanSeek", "CanGoNext", "CanGoPrevious"})
            QVERIFY2(p.Get(QString::fromLatin1(name)).toBool(), name);

        QVERIFY(p.Call(QStringLiteral("Play")));
        QCOMPARE(p.Status(), QStringLiteral("Playing"));
        QVERIFY(p.Form.PlayButton().isHidden());
        QCOMPARE(p.LastPlay(), QStringLiteral("play 1:00:00:00-3:00:20:00"));
        p.Tick();
        p.Tick();
        // Play while playing changes nothing.
        p.Drive.ClearLog();
        QVERIFY(p.Call(QStringLiteral("Play")));
        QVERIFY(p.Drive.Log().isEmpty());

        QVERIFY(p.Call(QStringLiteral("Pause")));
        QCOMPARE(p.Status(), QStringLiteral("Paused"));
        QVERIFY(!p.Form.PlayButton().isHidden());
        QCOMPARE(p.Position(), 2'000'000);
        // Pause while paused does not resume.
        QVERIFY(p.Call(QStringLiteral("Pause")));
        QCOMPARE(p.Status(), QStringLiteral("Paused"));

        QVERIFY(p.Call(QStringLiteral("PlayPause")));
        QCOMPARE(p.Status(), QStringLiteral("Playing"));
        QCOMPARE(p.LastPlay(), QStringLiteral("play 1:00:02:00-3:00:20:00"));
        QVERIFY(p.Call(QStringLiteral("PlayPause")));
        QCOMPARE(p.Status(), QStringLiteral("Paused"));

        QVERIFY(p.Call(QStringLiteral("Stop")));
        QCOMPARE(p.Status(), QStringLiteral("Stopped"));
        QCOMPARE(p.Form.Controller().OrderIndex(), 1);
        QCOMPARE(p.Position(), 0);

        // The window's own buttons show on the bus as well.
        QTest::mouseClick(&p.Form.PlayButton(), Qt::LeftButton);
        QCOMPARE(p.Status(), QStringLiteral("Playing"));
    }

    void metadataFollowsTheTrack()
    {
        TPlayer p;
        TBusWatcher watcher;
        QVariantMap m = p.Metadata();
        QCOMPARE(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Opening"));
        QCOMPARE(m.value(QStringLiteral("xesam:artist")).toStringList(),
                 QStringList{QStringLiteral("The Band")});
        QCOMPARE(m.value(QStringLiteral("xesam:album")).toString(), QStringLiteral("First Light"));
        QCOMPARE(m.value(QStringLiteral("xesam:trackNumber")).toInt(), 1);
        QCOMPARE(m.value(QStringLiteral("mpris:length")).toLongLong(), 10'000'000);
        const QString first = p.TrackId();
        QVERIFY(first.startsWith(QStringLiteral("/org/qlnx/")));

        // Next, as the Next button does, and the change is announced.
        QVERIFY(p.Call(QStringLiteral("Next")));
        QCOMPARE(p.Form.Controller().OrderIndex(), 2);
        m = p.Metadata();
        QCOMPARE(m.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Middle"));
        QCOMPARE(m.value(QStringLiteral("xesam:trackNumber")).toInt(), 2);
        QCOMPARE(m.value(QStringLiteral("mpris:length")).toLongLong(), 65'000'000);
        QVERIFY(p.TrackId() != first);
        QVERIFY(watcher.WaitForTitle(QStringLiteral("Middle")));

        // Playing on into the next track of the run is a new track too.
        QVERIFY(p.Call(QStringLiteral("Previous")));
        QCOMPARE(p.Form.Controller().OrderIndex(), 1);
        QVERIFY(p.Call(QStringLiteral("Play")));
        QVERIFY(watcher.WaitForTitle(QStringLiteral("Opening")));
        watcher.Clear();
        for (int i = 0; i < 11; ++i)
            p.Tick();
        QCOMPARE(p.Metadata().value(QStringLiteral("xesam:title")).toString(),
                 QStringLiteral("Middle"));
        QVERIFY(watcher.WaitForTitle(QStringLiteral("Middle")));
    }

    void noDiscNothingToControl()
    {
        TPlayer p(false);
        QCOMPARE(p.Status(), QStringLiteral("Stopped"));
        QVERIFY(p.Metadata().isEmpty());
        QVERIFY(!p.Get(QStringLiteral("CanPlay")).toBool());
        QVERIFY(!p.Get(QStringLiteral("CanGoNext")).toBool());
        QVERIFY(p.Call(QStringLiteral("Play")));
        QVERIFY(p.Call(QStringLiteral("Next")));
        QVERIFY(p.Call(QStringLiteral("Seek"), {qlonglong(1'000'000)}));
        QVERIFY(p.Drive.Log().filter(QStringLiteral("play ")).isEmpty());
    }

    void seekAndSetPosition()
    {
        TPlayer p;
        TBusWatcher watcher;
        QVERIFY(p.Call(QStringLiteral("Play")));
        p.Tick();
        p.Tick();
        QCOMPARE(p.Position(), 2'000'000);

        // Forward from where the play is; the play goes on from there.
        QVERIFY(p.Call(QStringLiteral("Seek"), {qlonglong(5'000'000)}));
        QCOMPARE(p.LastPlay(), QStringLiteral("play 1:00:07:00-3:00:20:00"));
        QCOMPARE(p.Position(), 7'000'000);
        QCOMPARE(p.Status(), QStringLiteral("Playing"));
        QVERIFY(watcher.WaitForSeek(7'000'000));

        // Back past the start: the start.
        QVERIFY(p.Call(QStringLiteral("Seek"), {qlonglong(-60'000'000)}));
        QCOMPARE(p.Position(), 0);
        // Past the end of the track: the next track.
        QVERIFY(p.Call(QStringLiteral("Seek"), {qlonglong(30'000'000)}));
        QCOMPARE(p.Form.Controller().OrderIndex(), 2);

        // SetPosition for another track, or outside this one, is ignored.
        p.Drive.ClearLog();
        const QString id = p.TrackId();
        QVERIFY(p.Call(QStringLiteral("SetPosition"),
                       {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/qlnx/Other"))),
                        qlonglong(3'000'000)}));
        QVERIFY(p.Call(QStringLiteral("SetPosition"),
                       {QVariant::fromValue(QDBusObjectPath(id)), qlonglong(66'000'000)}));
        QVERIFY(p.Call(QStringLiteral("SetPosition"),
                       {QVariant::fromValue(QDBusObjectPath(id)), qlonglong(-1)}));
        QVERIFY(p.Drive.Log().isEmpty());

        // Paused, a position only moves the cue; Play goes on from there.
        QVERIFY(p.Call(QStringLiteral("Pause")));
        watcher.Clear();
        QVERIFY(p.Call(QStringLiteral("SetPosition"),
                       {QVariant::fromValue(QDBusObjectPath(id)), qlonglong(61'500'000)}));
        QCOMPARE(p.Status(), QStringLiteral("Paused"));
        QCOMPARE(p.Position(), 61'493'333);
        QVERIFY(watcher.WaitForSeek(61'493'333));
        QVERIFY(p.Call(QStringLiteral("Play")));
        QCOMPARE(p.LastPlay(), QStringLiteral("play 2:01:01:37-3:00:20:00"));
    }

    void loopStatusAndShuffleBothWays()
    {
        TPlayer p;
        TBusWatcher watcher;
        QAction& repeat1 = p.Form.OptionAction(TPlayOption::Repeat1);
        QAction& repeat = p.Form.OptionAction(TPlayOption::Repeat);
        // Repeat is on in a first start's settings.
        QVERIFY(repeat.isChecked());
        QCOMPARE(p.Get(QStringLiteral("LoopStatus")).toString(), QStringLiteral("Playlist"));
        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("None")));
        QVERIFY(!repeat.isChecked());
        QCOMPARE(p.Get(QStringLiteral("LoopStatus")).toString(), QStringLiteral("None"));

        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("Track")));
        QVERIFY(repeat1.isChecked());
        // Repeat 1's own rule holds: Repeat is greyed under it.
        QVERIFY(!repeat.isEnabled());
        QCOMPARE(p.Get(QStringLiteral("LoopStatus")).toString(), QStringLiteral("Track"));

        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("Playlist")));
        QVERIFY(!repeat1.isChecked());
        QVERIFY(repeat.isChecked());
        QVERIFY(repeat.isEnabled());
        QCOMPARE(p.Get(QStringLiteral("LoopStatus")).toString(), QStringLiteral("Playlist"));

        // Track over Playlist, then None clears both.
        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("Track")));
        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("None")));
        QVERIFY(!repeat1.isChecked());
        QVERIFY(!repeat.isChecked());
        // A value the bus does not know changes nothing.
        QVERIFY(p.Set(QStringLiteral("LoopStatus"), QStringLiteral("Forever")));
        QCOMPARE(p.Get(QStringLiteral("LoopStatus")).toString(), QStringLiteral("None"));

        // The menu's own click is announced.
        watcher.Clear();
        p.Form.Controller().OptRepeatClick();
        QVERIFY(watcher.WaitForChange(QStringLiteral("LoopStatus"), QStringLiteral("Playlist")));

        // Shuffle goes through the menu's handler: the order is reshuffled and listed again.
        QVERIFY(p.Set(QStringLiteral("Shuffle"), true));
        QVERIFY(p.Form.OptionAction(TPlayOption::Shuffle).isChecked());
        QCOMPARE(p.Get(QStringLiteral("Shuffle")).toBool(), true);
        const QList<quint8> shuffled(p.Model.PlayOrder().begin(), p.Model.PlayOrder().end());
        QList<quint8> sorted = shuffled;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(sorted, (QList<quint8>{1, 2, 3}));
        QCOMPARE(p.Form.TrackCombo().count(), 3);
        // The cued track stays the current one, at its new place in the order.
        QCOMPARE(p.Metadata().value(QStringLiteral("xesam:trackNumber")).toInt(), 1);
        QCOMPARE(shuffled.at(p.Form.Controller().OrderIndex() - 1), 1);
        QVERIFY(p.Set(QStringLiteral("Shuffle"), false));
        QVERIFY(!p.Form.OptionAction(TPlayOption::Shuffle).isChecked());
        QCOMPARE(QList<quint8>(p.Model.PlayOrder().begin(), p.Model.PlayOrder().end()),
                 (QList<quint8>{1, 2, 3}));
        QVERIFY(watcher.WaitForChange(QStringLiteral("Shuffle"), true));
        QVERIFY(watcher.WaitForChange(QStringLiteral("Shuffle"), false));
    }
};

QTEST_MAIN(TestMpris)
#include "tst_mpris.moc"
