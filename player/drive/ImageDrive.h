#pragma once

#include <QString>

#include "drive/DriveWatch.h"

namespace qlnx {

// A disc image as a drive with a tray of its own. Reading an image is fast, so it is read
// when asked: a closed tray holds the disc read when it was first asked for after closing, so a
// replaced file is a new disc only after the tray has moved. A missing file (or a directory in
// its place) is an empty drive and is looked for again at every question; an image that
// cannot be read makes the drive unusable.
class TImageDrive final : public TDriveWatch
{
public:
    explicit TImageDrive(QString path) : m_path(std::move(path)) {}

    TDriveSnapshot Snapshot() override;
    void OpenTray() override;
    void CloseTray() override;
    bool MovesOnlyWhenTold() const override { return true; }

private:
    QString m_path;
    bool m_trayOpen = false;
    std::shared_ptr<const TDiscInfo> m_disc;
};

} // namespace qlnx
