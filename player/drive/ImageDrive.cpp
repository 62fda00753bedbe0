#include "drive/ImageDrive.h"

#include "drive/CdioDisc.h"

namespace qlnx {

TDriveSnapshot TImageDrive::Snapshot()
{
    if (m_trayOpen)
        return {TDriveState::Empty, nullptr};
    if (!m_disc) {
        const TCdioDisc::TOpened opened = TCdioDisc::OpenImage(m_path);
        if (opened.Result == TCdioDisc::TOpenResult::Unreadable)
            return {TDriveState::Unusable, nullptr};
        m_disc = TCdioDisc::Info(opened.Disc);
    }
    return {m_disc ? TDriveState::Ready : TDriveState::Empty, m_disc};
}

void TImageDrive::OpenTray()
{
    m_trayOpen = true;
    m_disc.reset();
}

void TImageDrive::CloseTray()
{
    m_trayOpen = false;
}

} // namespace qlnx
