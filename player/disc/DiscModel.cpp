#include "disc/DiscModel.h"

#include <algorithm>

#include "disc/Tmsf.h"
#include "disc/TrackSource.h"

namespace qlnx {

bool IsNoLyrics(const TLyricList& lyrics)
{
    return lyrics.size() == 1 && lyrics.front().Text.isEmpty() && lyrics.front().Time == 0;
}

void SetNoLyrics(TLyricList& lyrics)
{
    lyrics.clear();
    lyrics.append(TLyricEntry{});
}

TDiscModel::TDiscModel(QObject* parent) : QObject(parent)
{
    for (TTrackData& track : m_tracks)
        SetNoLyrics(track.Lyrics);
}

void TDiscModel::SetTrackCount(int count)
{
    m_trackCount = std::clamp(count, 0, MaxTracks);
}

TTrackData& TDiscModel::Tracks(int n)
{
    Q_ASSERT(n >= 1 && n <= MaxTracks);
    return m_tracks[std::size_t(std::clamp(n, 1, MaxTracks) - 1)];
}

const TTrackData& TDiscModel::Tracks(int n) const
{
    Q_ASSERT(n >= 1 && n <= MaxTracks);
    return m_tracks[std::size_t(std::clamp(n, 1, MaxTracks) - 1)];
}

int TDiscModel::PlayOrderTrack(int index) const
{
    if (index < 1 || index > m_orderCount)
        return 0;
    return m_playOrder[std::size_t(index - 1)];
}

void TDiscModel::SetPlayOrder(std::span<const quint8> order)
{
    m_orderCount = int(std::min(order.size(), std::size_t(MaxOrder)));
    std::copy_n(order.begin(), m_orderCount, m_playOrder.begin());
}

void TDiscModel::SetProgramOrder(std::span<const quint8> order)
{
    SetPlayOrder(order);
    CopyPlayToProgram();
}

void TDiscModel::SetArtist(const QString& text)
{
    m_artist = text;
    Q_EMIT ArtistSet(text);
}

void TDiscModel::SetTitle(const QString& text)
{
    m_title = text;
    Q_EMIT TitleSet(text);
}

QString TDiscModel::DefaultTrackName(int n)
{
    return QStringLiteral("Track%1").arg(n, 2, 10, QLatin1Char('0'));
}

void TDiscModel::FillTracks(TTrackSource& source)
{
    for (int n = 1; n <= m_trackCount; ++n) {
        TTrackData& track = Tracks(n);
        track.Name = DefaultTrackName(n);
        track.StartPos = source.TrackStart(n);
        const quint32 length = source.TrackLength(n);
        track.LengthMin = quint8(MsfMinutes(length));
        track.LengthSec = quint8(MsfSeconds(length));
        track.LengthFrame = quint8(MsfFrames(length));
        SetNoLyrics(track.Lyrics);
    }
}

void TDiscModel::ResetOrders()
{
    m_orderCount = m_trackCount;
    for (int i = 0; i < m_orderCount; ++i)
        m_playOrder[std::size_t(i)] = quint8(i + 1);
    CopyPlayToProgram();
}

void TDiscModel::CopyPlayToProgram()
{
    std::copy_n(m_playOrder.begin(), m_orderCount, m_programOrder.begin());
}

void TDiscModel::CopyProgramToPlay()
{
    std::copy_n(m_programOrder.begin(), m_orderCount, m_playOrder.begin());
}

QString ResolveDataDir(const QString& dataDir, const QString& programDir)
{
    QString dir = dataDir;
    dir.replace(u'\\', u'/');
    if (dir.startsWith(u'/'))
        return dir;
    QString base = programDir;
    base.replace(u'\\', u'/');
    if (!base.isEmpty() && !base.endsWith(u'/'))
        base += u'/';
    return base + dir;
}

} // namespace qlnx
