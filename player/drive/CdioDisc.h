#pragma once

#include <memory>
#include <mutex>
#include <optional>

#include <QList>
#include <QString>

#include "audio/PlaybackEngine.h"
#include "disc/DiscText.h"
#include "drive/DriveWatch.h"
#include "image/ImageFile.h"
#include "image/TocMath.h"

typedef struct _CdIo CdIo_t;

namespace qlnx {

// Owns a libcdio handle. Letting go of it never ejects: cdio_eject_media on an image handle
// frees the handle's data, and the destroy that follows then corrupts memory.
struct TCdioDestroy
{
    void operator()(CdIo_t* cdio) const;
};
using TCdioHandle = std::unique_ptr<CdIo_t, TCdioDestroy>;

// A disc in a drive (read through libcdio) or in an image file (read by TImageFile): its table
// of contents and identity, read once when it is opened, and its audio sectors for playback.
// Sectors of data tracks play as silence.
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

    // Opens an image file (CUE sheet or cdrdao TOC file): a missing file holds no disc, a
    // sheet that cannot be read or makes no disc, or whose data file is missing, is unreadable.
    static TOpened OpenImage(const QString& path);
    // Opens the disc in a physical drive; its CD-Text only when asked for (the drive takes a
    // while to read it).
    static TOpened OpenDrive(const QString& device, bool withText = true);

    ~TCdioDisc() override;
    TCdioDisc(const TCdioDisc&) = delete;
    TCdioDisc& operator=(const TCdioDisc&) = delete;

    const TDiscToc& Toc() const { return m_toc; }
    quint32 Serial() const { return m_serial; }
    // The sheet of an image, with its CD-Text; none for a drive.
    const TImageSheet* Sheet() const { return m_image ? &m_image->Sheet() : nullptr; }
    // The CD-Text of the disc: from the sheet of an image, from the disc in a drive.
    const TDiscText& Text() const { return m_text; }
    // What identifies the disc, with the disc itself as the source of its audio.
    static std::shared_ptr<const TDiscInfo> Info(const std::shared_ptr<TCdioDisc>& disc);

    bool ReadAudio(qint32 lsn, int count, char* buffer) override;

private:
    TCdioDisc(TCdioHandle cdio, std::unique_ptr<TImageFile> image, TDiscToc toc);
    // The disc behind an open handle; none when its table of contents makes no sense.
    static std::shared_ptr<TCdioDisc> FromHandle(TCdioHandle cdio, bool withText);
    // Reads the identity of a disc whose table of contents is set.
    void ReadSerial();
    void ReadDriveText();
    void TakeSheetText();
    std::optional<quint32> FileSystemSerial();
    std::optional<QByteArray> ReadUserData(qint32 lsn);

    std::mutex m_mutex;
    TCdioHandle m_cdio;                  // a drive's
    std::unique_ptr<TImageFile> m_image; // an image's
    TDiscToc m_toc;
    quint32 m_serial = 0;
    TDiscText m_text;
};

// libcdio writes its messages to stderr unless told otherwise; they go to the logging
// category "qlnx.cdio" (off by default) instead.
void InstallCdioLogHandler();

} // namespace qlnx
