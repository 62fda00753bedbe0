#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include "cdio/PlaybackEngine.h"
#include "cdio/TocMath.h"

typedef struct _CdIo CdIo_t;

namespace qlnx {

// A disc as libcdio reads it from a drive or an image: its table of contents and identity,
// read once when it is opened, and its audio sectors for playback. Sectors of data tracks play
// as silence.
class TCdioDisc final : public TSectorSource
{
public:
    enum class TOpenResult
    {
        Opened,
        NoDisc,    // an empty drive, or a missing image file
        Unreadable // the drive or the image cannot be opened, or its contents make no sense
    };

    // Opens an image file (CUE sheet or cdrdao TOC file).
    static std::shared_ptr<TCdioDisc> OpenImage(const QString& path, TOpenResult& result);
    // Opens the disc in a physical drive.
    static std::shared_ptr<TCdioDisc> OpenDrive(const QString& device, TOpenResult& result);

    ~TCdioDisc() override;
    TCdioDisc(const TCdioDisc&) = delete;
    TCdioDisc& operator=(const TCdioDisc&) = delete;

    const TDiscToc& Toc() const { return m_toc; }
    quint32 Serial() const { return m_serial; }

    void ReadAudio(qint32 lsn, int count, char* buffer) override;

private:
    TCdioDisc(CdIo_t* cdio, TDiscToc toc, std::unique_ptr<QTemporaryDir> staging);
    static std::shared_ptr<TCdioDisc>
    FromHandle(CdIo_t* cdio, std::unique_ptr<QTemporaryDir> staging, TOpenResult& result);
    std::optional<quint32> FileSystemSerial();

    std::mutex m_mutex;
    CdIo_t* m_cdio = nullptr;
    TDiscToc m_toc;
    quint32 m_serial = 0;
    // Image files libcdio cannot open where they are, staged so that it can.
    std::unique_ptr<QTemporaryDir> m_staging;
};

// libcdio writes its messages to stderr unless told otherwise; they go to the logging
// category "qlnx.cdio" (off by default) instead.
void InstallCdioLogHandler();

} // namespace qlnx
