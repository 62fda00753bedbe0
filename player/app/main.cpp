// The player's entry: one instance per user, the windows in their creation order, and a close
// that always goes through the main window.

#include <functional>
#include <thread>

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>

#include <fontconfig/fontconfig.h>

#include "app/PoliteStop.h"
#include "app/SingleInstance.h"
#include "audio/SinkModule.h"
#include "base/Log.h"
#include "base/Version.h"
#include "controls/FontName.h"
#include "desktop/FirstStart.h"
#include "desktop/MprisService.h"
#include "disc/DiscModel.h"
#include "drive/CdioDevice.h"
#include "drive/ScriptedDrive.h"
#include "lyricsui/LyricsEdit.h"
#include "online/NetworkModule.h"
#include "playd/ServicePlayer.h"
#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"
#include "ui/About.h"
#include "ui/DataEdit.h"
#include "ui/Main.h"
#include "ui/ProgramEdit.h"

using namespace qlnx;

namespace {

// Runs what can wait until the window is on the screen: once its first paint has been handed
// to the window system, or after a second when no paint comes (a window started minimised).
class TAfterFirstPaint final : public QObject
{
public:
    TAfterFirstPaint(QWidget& window, std::function<void()> then)
        : QObject(&window), m_then(std::move(then))
    {
        window.installEventFilter(this);
        QTimer::singleShot(1000, this, &TAfterFirstPaint::Run);
    }
    void Run()
    {
        if (m_then)
            std::exchange(m_then, {})();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            qCDebug(lcStartup, "main window painted");
            // The paint and its flush come first; this runs right after them.
            QTimer::singleShot(0, this, &TAfterFirstPaint::Run);
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

int main(int argc, char** argv)
{
    // The two windows keep each other in place by absolute screen positions, which only X11
    // gives; on a Wayland session the player runs through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The windows are small: shared-memory images save nothing on their copies to the X server,
    // and every paint through one first waits for the server to be done with the last (a
    // round trip and two wake-ups, once a second while a disc plays).
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Reading the font configuration is the longest part of the first layout; it runs beside
    // the connection to the window system rather than after it.
    std::thread fontConfiguration([] { FcInit(); });
    QApplication app(argc, argv);
    fontConfiguration.join();
    app.setApplicationName(QStringLiteral("qlnx"));
    app.setApplicationVersion(ProductVersion());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Audio CD player with timed lyrics."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("image"),
                                 QStringLiteral("A disc image (CUE sheet or TOC file) to play."),
                                 QStringLiteral("[image]"));
    parser.process(app); // --help and --version end here; unknown options end with a message
    const QStringList images = parser.positionalArguments();
    Q_UNUSED(images); // taken up by the disc images' start-up handling

    // A disc image named on the command line (a double click on it in a file manager).
    QString image;
    for (const QString& argument : app.arguments().mid(1)) {
        if (!argument.startsWith(u'-') && (argument.endsWith(u".cue", Qt::CaseInsensitive) ||
                                           argument.endsWith(u".toc", Qt::CaseInsensitive)))
            image = QFileInfo(argument).absoluteFilePath();
    }

    // A player already running is brought to the front (opening the image); this start then
    // ends quietly.
    TSingleInstance instance(TSingleInstance::DefaultName());
    if (instance.HandOver(image))
        return 0;

    // The stored font names are those of the Windows Japanese fonts; the IPA fonts stand in.
    InstallFontStandIns();

    const QString programDir = ProgramDirectory();
    const TIniFile settings(SettingsFileName(programDir));
    // Drives and an output that misbehave on purpose, when the settings ask for them.
    const TTestSettings test = ReadTestSettings(settings, programDir);
    std::vector<TBackendDrive> testDrives;
    for (const TTestDrive& drive : test.Drives) {
        testDrives.push_back(
            {QStringLiteral("test%1").arg(testDrives.size() + 1),
             MakeScriptedDriveBackend(drive.ImagePath, {.SpinUpMs = drive.SpinUpMs,
                                                        .TocReadMs = drive.TocReadMs,
                                                        .SlowReadMs = drive.SlowReadMs})});
    }
    // Plays go through the playback service beside the player, so that a disc left playing at
    // close plays on; without it they play in this process.
    const QString playd = QCoreApplication::applicationDirPath() + QStringLiteral("/qlnx-playd");
    std::unique_ptr<TDiscPlayer> player;
    TServicePlayer* servicePlayer = nullptr;
    // (Without a private place for its socket, nobody's service is trusted: plays stay here.)
    const QString name = DefaultServiceName();
    if (QFileInfo(playd).isExecutable() && !name.isEmpty()) {
        QStringList arguments{QStringLiteral("--socket"), name};
        if (test.OutputStallMs > 0)
            arguments << QStringLiteral("--stall-output") << QString::number(test.OutputStallMs);
        auto service = std::make_unique<TServicePlayer>(
            TServiceSetup{.SocketName = name, .Start = StartServiceProgram(playd, arguments)});
        servicePlayer = service.get();
        player = std::move(service);
    }
    TCdioDevice device({.ImagePaths = DriveImagePaths(settings, programDir),
                        .Player = std::move(player),
                        .Output = MakeAudioOutput(SinkModuleBackend(SinkModulePath(
                                                      QCoreApplication::applicationDirPath())),
                                                  test.OutputStallMs),
                        .BackendDrives = std::move(testDrives)});
    TDiscModel model;
    TQLNXMainForm mainForm(model, device, programDir);
    mainForm.SetHttpTransport(
        NetworkModuleTransport(NetworkModulePath(QCoreApplication::applicationDirPath())));
    // The window paints first; the drives, the dialogs and the bus come right after.
    mainForm.ShowForm();
    if (servicePlayer)
        QObject::connect(servicePlayer, &TServicePlayer::NameTaken, &mainForm,
                         [&mainForm](const QString& message) { mainForm.ReportError(message); });
    // On the session bus as a media player when there is one; without a bus nothing changes.
    TMprisService mpris(mainForm.Controller(), model, device);
    QObject::connect(&mpris, &TMprisService::RaiseRequested, &mainForm,
                     &TQLNXMainForm::BringToFront);
    QObject::connect(&mpris, &TMprisService::QuitRequested, &mainForm, &QWidget::close);
    // Images handed over by later starts open only once the drives are known; one that comes
    // before waits for them.
    bool started = false;
    QStringList handedOver;
    QObject::connect(&instance, &TSingleInstance::RaiseRequested, &mainForm,
                     &TQLNXMainForm::BringToFront);
    QObject::connect(&instance, &TSingleInstance::OpenRequested, &mainForm,
                     [&](const QString& path) {
                         if (started)
                             mainForm.OpenImage(path);
                         else
                             handedOver.append(path);
                     });
    new TAfterFirstPaint(mainForm, [&] {
        mainForm.StartPlayback();
        // The display operations repaint at once: a disc found is on the screen by now.
        if (model.DiscID() != 0)
            qCDebug(lcStartup, "disc shown");
        ShowNoDriveHint(mainForm.Controller(), mainForm, SettingsFileName(programDir));
        mainForm.SetDialogMakers(
            {.DataEdit = [&mainForm] { return new TDataEditForm(&mainForm); },
             .ProgramEdit = [&mainForm] { return new TProgramEditForm(&mainForm); },
             .About = [&mainForm] { return new TAboutForm(&mainForm); },
             .LyricsEdit = [&] { return new TLyricsEditForm(model, &mainForm); }});
        mpris.Register(QDBusConnection::sessionBus());
        started = true;
        if (!image.isEmpty())
            mainForm.OpenImage(image);
        for (const QString& path : std::as_const(handedOver))
            mainForm.OpenImage(path);
    });
    TPoliteStop politeStop;
    QObject::connect(&politeStop, &TPoliteStop::StopRequested, &mainForm, &QWidget::close);
    return app.exec();
}
