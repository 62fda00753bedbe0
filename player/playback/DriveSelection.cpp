// Choosing the drive, recognising its disc and loading the disc's data.

#include "playback/PlaybackController.h"

#include <QDateTime>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "playback/PlaybackDisplay.h"

namespace qlnx {

namespace {
const QString NotAvailableText = QStringLiteral("Not available");
const QString NoCdText = QStringLiteral("No CD");
const QString NotAudioText = QStringLiteral("Not audio CD");
// What the title row shows after a reset of the display.
const QString ResetTitleText = QStringLiteral("Please wait...");
} // namespace

void TPlaybackController::Startup(std::optional<quint32> seed)
{
    const TAnnouncer announce(*this);
    m_drives = m_device.EnumerateCdDrives();
    m_display.SetDriveList(m_drives);
    m_display.SetDriveItemIndex(0);
    m_random.seed(seed.value_or(quint32(QDateTime::currentMSecsSinceEpoch())));
    m_inTimer = false;
    ResetDisplay();
    m_display.EnableButtons(false);
    m_probePending = true;
    m_settleTicks = 0;
    if (m_device.DrivesSettled()) {
        ProbeDrives();
    } else {
        // A drive whose disc is still being read might be the one to choose.
        m_timer.setInterval(SettleInterval);
    }
    m_timer.start();
}

void TPlaybackController::ProbeDrives()
{
    m_probePending = false;
    for (int i = 0; i < m_drives.size(); ++i) {
        m_display.SetDriveItemIndex(i);
        if (OpenDrive(i))
            break;
    }
    m_timer.setInterval(m_interval);
}

void TPlaybackController::ResetDisplay()
{
    m_model.SetDiscID(0);
    m_display.ResetDisplay();
    m_titleText = ResetTitleText;
    m_shownPosition = 0;
}

void TPlaybackController::ShowStateText(const QString& text)
{
    // The poll says the same state at every tick: the row is set only when it changes.
    if (m_titleText == text)
        return;
    m_titleText = text;
    m_display.SetTitlePanelText(text);
}

QString TPlaybackController::DriveHint(int index) const
{
    QStringList parts;
    for (int i = 0; i < m_drives.size(); ++i)
        parts.append(i == index ? u'[' + m_drives.at(i) + u']' : m_drives.at(i));
    return parts.join(u' ');
}

bool TPlaybackController::OpenImage(const QString& path)
{
    const std::optional<QString> label = m_device.AddImageDrive(path);
    if (!label)
        return false;
    m_drives = m_device.EnumerateCdDrives();
    m_display.SetDriveList(m_drives);
    const int index = int(m_drives.indexOf(*label));
    m_display.SetDriveItemIndex(index);
    // As a drive the user chose: not overruled by the start-up probe.
    DriveComboChange(index);
    return true;
}

bool TPlaybackController::OpenDrive(int index)
{
    const TAnnouncer announce(*this);
    const QString drive = index >= 0 && index < m_drives.size() ? m_drives.at(index) : QString();
    const std::optional<quint32> serial = m_device.DiscSerial(drive);
    if (m_device.DeviceOpen()) {
        if (index == m_driveIndex && serial && *serial == m_model.DiscID())
            return false;
        StopDrive();
        m_device.CloseDevice();
        ResetDisplay();
        m_display.EnableButtons(false);
    }
    m_driveIndex = index;
    try {
        m_device.OpenDevice(drive);
    } catch (const EMCIDeviceError&) {
        ShowStateText(NotAvailableText);
        return false;
    }
    m_display.SetTitlePanelHint(DriveHint(index));
    if (m_device.DeviceMode() == TDeviceMode::Open) {
        ShowStateText(NoCdText);
        m_display.EnableEjectButton(true);
        return false;
    }
    // A disc whose identity cannot be read yet is not ready: leave the disc unknown so the
    // poll looks again, instead of loading it under a made-up identity.
    if (!serial)
        return false;
    m_model.SetDiscID(*serial);

    const int tracks = m_device.NumberOfTracks();
    bool audio = false;
    for (int n = 1; n <= tracks && !audio; ++n)
        audio = m_device.IsAudioTrack(n);
    if (!audio) {
        // The identity stays (so the poll does not reload the disc at every tick), but nothing
        // of the previous disc may stay with it: no tracks, no order, nothing to edit or save.
        m_model.SetTrackCount(0);
        m_model.SetProgramOrder({});
        m_orderIndex = 0;
        ShowStateText(NotAudioText);
        m_display.EnableEjectButton(true);
        return false;
    }

    m_model.SetTrackCount(tracks);
    const TDiscText defaults = m_cdTextDefaults ? m_device.CdText() : TDiscText{};
    if (const auto error = LoadDiscData(m_model, m_device, m_programDir, defaults))
        m_display.ReportError(*error);
    m_display.EnableButtons(true);

    if (m_device.DeviceMode() == TDeviceMode::Playing) {
        ShowPlayButton(false);
        if (Option(TPlayOption::Shuffle))
            ShufflePlayOrder();
        m_display.FillTrackList(m_model.PlayOrder());
        // Only a play whose track the order holds goes on; otherwise SyncOrderIndex has
        // stopped the drive and cued entry 1, and starting it would contradict the Play
        // button it shows.
        if (SyncOrderIndex())
            PlayCurrent();
    } else {
        ShowPlayButton(true);
        if (Option(TPlayOption::Shuffle))
            ShufflePlayOrder();
        m_display.FillTrackList(m_model.PlayOrder());
        SetOrderIndex(HasOrder() ? 1 : 0);
        if (HasOrder())
            SetStartPosition(EntryStart(1));
    }
    return true;
}

bool TPlaybackController::TryOtherDrives()
{
    const TAnnouncer announce(*this);
    const int current = m_driveIndex;
    for (int i = current + 1; i < m_drives.size(); ++i) {
        m_display.SetDriveItemIndex(i);
        if (OpenDrive(i))
            return true;
    }
    for (int i = 0; i <= current && i < m_drives.size(); ++i) {
        m_display.SetDriveItemIndex(i);
        if (OpenDrive(i))
            return true;
    }
    return false;
}

void TPlaybackController::DriveComboChange(int index)
{
    const TAnnouncer announce(*this);
    // A drive the user chose is not overruled by the start-up probe.
    if (m_probePending) {
        m_probePending = false;
        m_timer.setInterval(m_interval);
    }
    if (index != m_driveIndex)
        OpenDrive(index);
}

} // namespace qlnx
