// The player's entry: one instance per user, the windows in their creation order, and a close
// that always goes through the main window.

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QFileInfo>
#include <QFont>

#include "app/PoliteStop.h"
#include "app/SingleInstance.h"
#include "audiosink/AudioSinkBackend.h"
#include "base/Version.h"
#include "desktop/FirstStart.h"
#include "desktop/MprisService.h"
#include "disc/DiscModel.h"
#include "drive/CdioDevice.h"
#include "drive/ScriptedDrive.h"
#include "lyricsui/LyricsEdit.h"
#include "playd/ServicePlayer.h"
#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"
#include "ui/About.h"
#include "ui/DataEdit.h"
#include "ui/Main.h"
#include "ui/ProgramEdit.h"

using namespace qlnx;

int main(int argc, char** argv)
{
    // The two windows keep each other in place by absolute screen positions, which only X11
    // gives; on a Wayland session the player runs through XWayland.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
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
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"));

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
                        .Output = MakeSystemAudioOutput(test.OutputStallMs),
                        .BackendDrives = std::move(testDrives)});
    TDiscModel model;
    TQLNXMainForm mainForm(model, device, programDir);
    mainForm.FormCreate();
    auto* dataEdit = new TDataEditForm(&mainForm);
    mainForm.SetDataEditForm(dataEdit);
    auto* programEdit = new TProgramEditForm(&mainForm);
    mainForm.SetProgramEditForm(programEdit);
    auto* about = new TAboutForm(&mainForm);
    mainForm.SetAboutForm(about);
    mainForm.SetLyricsEditForm(new TLyricsEditForm(model, &mainForm));
    ShowNoDriveHint(mainForm.Controller(), mainForm, SettingsFileName(programDir));
    if (servicePlayer)
        QObject::connect(servicePlayer, &TServicePlayer::NameTaken, &mainForm,
                         [&mainForm](const QString& message) { mainForm.ReportError(message); });
    // On the session bus as a media player when there is one; without a bus nothing changes.
    TMprisService mpris(mainForm.Controller(), model, device);
    QObject::connect(&mpris, &TMprisService::RaiseRequested, &mainForm,
                     &TQLNXMainForm::BringToFront);
    QObject::connect(&mpris, &TMprisService::QuitRequested, &mainForm, &QWidget::close);
    mpris.Register(QDBusConnection::sessionBus());

    QObject::connect(&instance, &TSingleInstance::RaiseRequested, &mainForm,
                     &TQLNXMainForm::BringToFront);
    QObject::connect(&instance, &TSingleInstance::OpenRequested, &mainForm,
                     &TQLNXMainForm::OpenImage);
    if (!image.isEmpty())
        mainForm.OpenImage(image);
    TPoliteStop politeStop;
    QObject::connect(&politeStop, &TPoliteStop::StopRequested, &mainForm, &QWidget::close);
    return app.exec();
}
