#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "disc/Tmsf.h"
#include "drive/CdioDevice.h"
#include "drive/ScriptedDrive.h"
#include "playd/ServicePlayer.h"
#include "service/PlaybackService.h"
#include "support/CaptureOutput.h"
#include "support/SimulatedCdDrive.h"
#include "support/TestImage.h"

using namespace qlnx;

namespace {

// A CD device with a few drives, and time for it that passes only when the test says so.
class TDeviceUnderTest
{
public:
    virtual ~TDeviceUnderTest() = default;
    virtual CdDevice& Device() = 0;
    virtual void Run(qint64 ms) = 0;
    // Waits until every drive has had its first look.
    virtual void Settle() {}
    // Lets what was asked of the device reach wherever it plays, and its answers come back;
    // completions then arrive while it waits, not only from the event loop afterwards.
    virtual bool Sync() { return false; }
};

// The drives' discs as track lengths in frames; an empty list is an empty drive.
using TDrives = QList<QList<qint32>>;

class TSimulated final : public TDeviceUnderTest
{
public:
    explicit TSimulated(const TDrives& drives)
    {
        for (qsizetype i = 0; i < drives.size(); ++i) {
            const int drive = m_device.AddDrive(QStringLiteral("sr%1").arg(i));
            if (drives.at(i).isEmpty())
                continue;
            TSimDisc disc;
            for (const qint32 frames : drives.at(i))
                disc.Tracks.append(TSimTrack{frames, true});
            disc.Serial = quint32(i + 1);
            m_device.InsertDisc(drive, disc);
        }
    }
    CdDevice& Device() override { return m_device; }
    void Run(qint64 ms) override { m_device.Advance(ms); }

private:
    TSimulatedCdDrive m_device;
};

// The drives' discs as images in dir; an empty drive is an image file that is not there.
QStringList WriteImages(const QTemporaryDir& dir, const TDrives& drives)
{
    QStringList images;
    for (qsizetype i = 0; i < drives.size(); ++i) {
        QList<TTestTrack> tracks;
        for (const qint32 frames : drives.at(i))
            tracks.append(TTestTrack{frames});
        const QString name = QStringLiteral("disc%1").arg(i);
        images.append(tracks.isEmpty() ? dir.filePath(name + QStringLiteral(".cue"))
                                       : WriteCueImage(dir.path(), name, tracks));
    }
    return images;
}

// Disc images read directly.
class TLibcdio final : public TDeviceUnderTest
{
public:
    explicit TLibcdio(const TDrives& drives)
    {
        const QStringList images = WriteImages(m_dir, drives);
        auto output = std::make_unique<TCaptureOutput>();
        m_output = output.get();
        m_device = std::make_unique<TCdioDevice>(TCdioDeviceSetup{.ImagePaths = images,
                                                                  .PhysicalDrives = false,
                                                                  .Output = std::move(output),
                                                                  .ReadAhead = TReadAhead::Inline});
    }
    CdDevice& Device() override { return *m_device; }
    void Run(qint64 ms) override { m_output->Run(ms); }

private:
    QTemporaryDir m_dir;
    TCaptureOutput* m_output = nullptr;
    std::unique_ptr<TCdioDevice> m_device;
};

// The same images behind the calls of physical drives, each watched by a monitor thread.
class TMonitored final : public TDeviceUnderTest
{
public:
    explicit TMonitored(const TDrives& drives)
    {
        std::vector<TBackendDrive> backends;
        const QStringList images = WriteImages(m_dir, drives);
        for (qsizetype i = 0; i < images.size(); ++i)
            backends.push_back(
                {QStringLiteral("sr%1").arg(i), MakeScriptedDriveBackend(images.at(i), {})});
        auto output = std::make_unique<TCaptureOutput>();
        m_output = output.get();
        m_device =
            std::make_unique<TCdioDevice>(TCdioDeviceSetup{.PhysicalDrives = false,
                                                           .Output = std::move(output),
                                                           .ReadAhead = TReadAhead::Inline,
                                                           .BackendDrives = std::move(backends),
                                                           .Monitor = {.PollMs = 10}});
    }
    CdDevice& Device() override { return *m_device; }
    void Run(qint64 ms) override { m_output->Run(ms); }
    void Settle() override
    {
        QVERIFY(QTest::qWaitFor([this] { return m_device->DrivesSettled(); }));
    }

private:
    QTemporaryDir m_dir;
    TCaptureOutput* m_output = nullptr;
    std::unique_ptr<TCdioDevice> m_device;
};

// The configuration that ships: the libcdio device playing through the playback service,
// here in this process over a real local socket, its audio and the player's clock one.
class TThroughService final : public TDeviceUnderTest
{
public:
    explicit TThroughService(const TDrives& drives)
    {
        const QStringList images = WriteImages(m_dir, drives);
        const QString socket = m_dir.filePath(QStringLiteral("playd"));
        auto output = std::make_unique<TCaptureOutput>();
        m_output = output.get();
        m_service =
            std::make_unique<TPlaybackService>(TServiceConfig{.SocketName = socket,
                                                              .Output = std::move(output),
                                                              .ReadAhead = TReadAhead::Inline,
                                                              .IdleExitMs = 3'600'000});
        QVERIFY(m_service->Listen());
        auto player = std::make_unique<TServicePlayer>(
            TServiceSetup{.SocketName = socket, .Clock = m_output->Clock()});
        m_player = player.get();
        m_device = std::make_unique<TCdioDevice>(TCdioDeviceSetup{
            .ImagePaths = images, .PhysicalDrives = false, .Player = std::move(player)});
    }
    CdDevice& Device() override { return *m_device; }
    void Run(qint64 ms) override
    {
        Sync();
        m_output->Run(ms);
        Sync();
    }
    void Settle() override
    {
        QVERIFY(QTest::qWaitFor([this] { return m_device->DrivesSettled(); }));
    }
    bool Sync() override
    {
        // Everything asked has been answered, and everything the service said has been read,
        // for a few turns of the event loop in a row: an answer may still be on its way in a
        // posted event or the socket.
        const auto synced = [this] {
            return m_player->Connected() && m_player->Answered() &&
                   m_player->Heard() == m_service->Sent();
        };
        for (int stable = 0; stable < 3;) {
            QCoreApplication::processEvents();
            stable = synced() ? stable + 1 : 0;
            if (stable == 0 && !QTest::qWaitFor(synced))
                QTest::qFail("the service did not answer", __FILE__, __LINE__);
        }
        return true;
    }

private:
    QTemporaryDir m_dir;
    TCaptureOutput* m_output = nullptr;
    std::unique_ptr<TPlaybackService> m_service;
    TServicePlayer* m_player = nullptr;
    std::unique_ptr<TCdioDevice> m_device;
};

enum class TKind
{
    Simulated,
    Libcdio,
    Monitored,
    Service
};

constexpr qint32 Seconds = FramesPerSecond;

// The end of a track as the player gives it: the track at its own length.
quint32 EndOf(CdDevice& device, int track)
{
    const quint32 length = device.TrackLength(track);
    return PackTmsf(track, MsfMinutes(length), MsfSeconds(length), MsfFrames(length));
}

} // namespace

// The rules of CdDevice.h, held against every implementation: the simulated drive the
// playback tests run on, and the libcdio device on disc images, read directly, behind the
// calls of physical drives, and playing through the playback service.
class TestCdDeviceContract : public QObject
{
    Q_OBJECT

    std::unique_ptr<TDeviceUnderTest> m_dut;
    std::unique_ptr<QSignalSpy> m_spy;

    CdDevice& Open(const TDrives& drives, int drive = 0)
    {
        QFETCH_GLOBAL(TKind, kind);
        m_spy.reset();
        if (kind == TKind::Simulated)
            m_dut = std::make_unique<TSimulated>(drives);
        else if (kind == TKind::Libcdio)
            m_dut = std::make_unique<TLibcdio>(drives);
        else if (kind == TKind::Service)
            m_dut = std::make_unique<TThroughService>(drives);
        else
            m_dut = std::make_unique<TMonitored>(drives);
        m_dut->Settle();
        m_spy = std::make_unique<QSignalSpy>(&m_dut->Device(), &CdDevice::Notify);
        m_dut->Device().OpenDevice(Label(drive));
        return m_dut->Device();
    }
    QString Label(int drive) { return m_dut->Device().EnumerateCdDrives().value(drive); }
    void Play(std::optional<quint32> from, std::optional<quint32> to)
    {
        if (from)
            m_dut->Device().SetPlayFrom(*from);
        if (to)
            m_dut->Device().SetPlayTo(*to);
        m_dut->Device().PlayRange();
    }
    // The completions delivered once the event loop has run.
    QList<TNotifyResult> Results()
    {
        m_dut->Sync();
        QCoreApplication::sendPostedEvents();
        QList<TNotifyResult> results;
        for (const auto& args : *m_spy)
            results.append(args.at(0).value<TNotifyResult>());
        return results;
    }

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<TKind>("kind");
        QTest::newRow("simulated") << TKind::Simulated;
        QTest::newRow("libcdio") << TKind::Libcdio;
        QTest::newRow("monitored") << TKind::Monitored;
        QTest::newRow("service") << TKind::Service;
    }
    void cleanup()
    {
        m_spy.reset();
        m_dut.reset();
    }

    void openingAndTheTableOfContents()
    {
        CdDevice& dev = Open({{3 * Seconds, 4 * Seconds + 10}, {}});
        QCOMPARE(dev.EnumerateCdDrives().size(), 2);
        QVERIFY(dev.DeviceOpen());
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        QCOMPARE(dev.NumberOfTracks(), 2);
        QVERIFY(dev.IsAudioTrack(1));
        QVERIFY(dev.IsAudioTrack(2));
        QCOMPARE(dev.TrackStart(2), PackTmsf(2, 0, 0, 0));
        QCOMPARE(dev.TrackLength(1), PackMsf(0, 3, 0));
        QCOMPARE(dev.TrackLength(2), PackMsf(0, 4, 10));
        QCOMPARE(dev.CurrentPosition(), PackTmsf(1, 0, 0, 0));
        QVERIFY(dev.DiscSerial(Label(0)));

        // An empty drive opens, with its door open and nothing to play.
        dev.OpenDevice(Label(1));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Open);
        QCOMPARE(dev.NumberOfTracks(), 0);
        QVERIFY(!dev.DiscSerial(Label(1)));
        Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Failure});

        // Failing to open leaves no device open.
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, dev.OpenDevice(QString()));
        QVERIFY(!dev.DeviceOpen());
        dev.OpenDevice(Label(0));
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, dev.OpenDevice(QStringLiteral("no such")));
        QVERIFY(!dev.DeviceOpen());
        QCOMPARE(dev.DeviceMode(), TDeviceMode::NotReady);
        QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, dev.PauseDevice());
    }

    void oneCompletionPerPlay()
    {
        CdDevice& dev = Open({{10 * Seconds, 20 * Seconds, 30 * Seconds}});

        // Ends exactly at the end of track 2, given as track 2 at its own length.
        Play(PackTmsf(1, 0, 5, 0), EndOf(dev, 2));
        m_dut->Run(24'000);
        QVERIFY(Results().isEmpty());
        QCOMPARE(dev.CurrentPosition(), PackTmsf(2, 0, 19, 0));
        m_dut->Run(1'000);
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        if (!m_dut->Sync())
            QVERIFY(m_spy->isEmpty()); // delivered only from the event loop
        QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Successful});
        QCOMPARE(dev.NotifyResult(), TNotifyResult::Successful);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(3, 0, 0, 0));

        // Superseded, then stopped: neither is Successful, each play reports once.
        m_spy->clear();
        Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        m_dut->Run(500);
        Play(PackTmsf(3, 0, 0, 0), std::nullopt);
        if (!m_dut->Sync())
            QVERIFY(m_spy->isEmpty());
        QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Superseded});
        m_dut->Run(500);
        dev.StopDevice();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        dev.StopDevice();
        m_dut->Run(60'000);
        QCOMPARE(Results(),
                 (QList<TNotifyResult>{TNotifyResult::Superseded, TNotifyResult::Aborted}));

        // Pause ends the play; resuming goes on to the old end and reports once more.
        m_spy->clear();
        Play(PackTmsf(3, 0, 0, 0), std::nullopt);
        m_dut->Run(10'000);
        dev.PauseDevice();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Paused);
        QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Aborted});
        m_dut->Run(10'000);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(3, 0, 10, 0));
        QCOMPARE(Results().size(), 1);
        dev.PauseDevice();
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Playing);
        m_dut->Run(20'000);
        QCOMPARE(Results(),
                 (QList<TNotifyResult>{TNotifyResult::Aborted, TNotifyResult::Successful}));

        // A play that starts at its end is over at once.
        m_spy->clear();
        Play(PackTmsf(2, 0, 3, 0), PackTmsf(2, 0, 3, 0));
        QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Successful});
        m_dut->Run(1'000);
        QCOMPARE(Results().size(), 1);
    }

    void playToTheEndOfEachTrack()
    {
        CdDevice& dev = Open({{2 * Seconds, 3 * Seconds + 30, Seconds}});
        const QList<quint32> after = {PackTmsf(2, 0, 0, 0), PackTmsf(3, 0, 0, 0),
                                      PackTmsf(3, 0, 1, 0)};
        const QList<qint64> lengthsMs = {2000, 3400, 1000};
        for (int t = 1; t <= 3; ++t) {
            m_spy->clear();
            Play(dev.TrackStart(t), EndOf(dev, t));
            m_dut->Run(lengthsMs.at(t - 1) - 20);
            QVERIFY2(Results().isEmpty(), qPrintable(QStringLiteral("track %1").arg(t)));
            m_dut->Run(20);
            QCOMPARE(Results(), QList<TNotifyResult>{TNotifyResult::Successful});
            QCOMPARE(FormatTmsf(dev.CurrentPosition()), FormatTmsf(after.at(t - 1)));
        }
    }

    void playWithoutAStartGoesOnFromThePosition()
    {
        CdDevice& dev = Open({{5 * Seconds, 5 * Seconds}});
        // Nothing played yet: from the start of the disc.
        dev.PlayRange();
        m_dut->Run(1'000);
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Playing);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(1, 0, 1, 0));
        Play(PackTmsf(2, 0, 1, 0), std::nullopt);
        m_dut->Run(1'000);
        dev.StopDevice();
        QCOMPARE(dev.CurrentPosition(), PackTmsf(2, 0, 2, 0));
        Play(std::nullopt, PackTmsf(2, 0, 4, 0));
        m_dut->Run(1'000);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(2, 0, 3, 0));
        m_dut->Run(1'000);
        QCOMPARE(Results(), (QList<TNotifyResult>{TNotifyResult::Superseded, TNotifyResult::Aborted,
                                                  TNotifyResult::Successful}));
        QCOMPARE(dev.CurrentPosition(), PackTmsf(2, 0, 4, 0));
    }

    void closingLeavesThePlayRunning()
    {
        CdDevice& dev = Open({{3 * Seconds, 4 * Seconds, 2 * Seconds}, {4 * Seconds}});
        Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        m_dut->Run(1'000);
        dev.CloseDevice();
        QVERIFY(!dev.DeviceOpen());
        m_dut->Run(1'000);
        dev.OpenDevice(Label(1));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        dev.OpenDevice(Label(0));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Playing);
        QCOMPARE(dev.CurrentPosition(), PackTmsf(1, 0, 2, 0));
        // The play started before the close reports to nobody, not even when replaced.
        m_dut->Run(10'000);
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Stopped);
        QVERIFY(Results().isEmpty());
        Play(PackTmsf(3, 0, 0, 0), std::nullopt);
        m_dut->Run(1'000);
        dev.CloseDevice();
        dev.OpenDevice(Label(0));
        QCOMPARE(dev.DeviceMode(), TDeviceMode::Playing);
        Play(PackTmsf(1, 0, 0, 0), std::nullopt);
        QVERIFY(Results().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCdDeviceContract)
#include "tst_cddevicecontract.moc"
