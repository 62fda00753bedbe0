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

// Owns a libcdio handle. Letting go of it never ejects: cdio_eject_media on an image handle
// frees the handle's data, and the destroy that follows then corrupts memory.
struct TCdioDestroy
{
    void operator()(CdIo_t* cdio) const;
};
using TCdioHandle = std::unique_ptr<CdIo_t, TCdioDestroy>;

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

    struct TOpened
    {
        TOpenResult Result = TOpenResult::Unreadable;
        std::shared_ptr<TCdioDisc> Disc; // when Opened
    };

    // Opens an image file (CUE sheet or cdrdao TOC file).
    static TOpened OpenImage(const QString& path);
    // Opens the disc in a physical drive.
    static TOpened OpenDrive(const QString& device);

    ~TCdioDisc() override;
    TCdioDisc(const TCdioDisc&) = delete;
    TCdioDisc& operator=(const TCdioDisc&) = delete;

    const TDiscToc& Toc() const { return m_toc; }
    quint32 Serial() const { return m_serial; }

    void ReadAudio(qint32 lsn, int count, char* buffer) override;

private:
    TCdioDisc(TCdioHandle cdio, TDiscToc toc, std::unique_ptr<QTemporaryDir> staging);
    // The disc behind an open handle; none when its table of contents makes no sense.
    static std::shared_ptr<TCdioDisc> FromHandle(TCdioHandle cdio,
                                                 std::unique_ptr<QTemporaryDir> staging);
    std::optional<quint32> FileSystemSerial();

    std::mutex m_mutex;
    // Image files libcdio cannot open where they are, staged so that it can. Declared before
    // the handle, so the handle is closed before its files are removed.
    std::unique_ptr<QTemporaryDir> m_staging;
    TCdioHandle m_cdio;
    TDiscToc m_toc;
    quint32 m_serial = 0;
};

// libcdio writes its messages to stderr unless told otherwise; they go to the logging
// category "qlnx.cdio" (off by default) instead.
void InstallCdioLogHandler();

} // namespace qlnx
