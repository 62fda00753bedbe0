#pragma once

#include <array>
#include <span>

#include <QList>
#include <QObject>
#include <QString>

namespace qlnx {

class TTrackSource;

// One timed lyric line: Time is whole seconds from the start of the track.
struct TLyricEntry
{
    QString Text;
    int Time = 0;

    bool operator==(const TLyricEntry&) const = default;
};

// A track's lyric lines in stored order. The single entry (empty text, time 0) means the track
// has no lyrics; it is the default content of every list.
using TLyricList = QList<TLyricEntry>;

bool IsNoLyrics(const TLyricList& lyrics);
void SetNoLyrics(TLyricList& lyrics);

struct TTrackData
{
    QString Name;
    quint32 StartPos = 0; // TMSF of the track's start
    quint8 LengthMin = 0;
    quint8 LengthSec = 0;
    quint8 LengthFrame = 0;
    TLyricList Lyrics;
};

// The disc the player holds: its identity, track table, texts and the two play orders.
// One instance lives as long as the main window; loading a disc refills it in place.
class TDiscModel final : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxTracks = 99;
    static constexpr int MaxOrder = 100;
    using TOrder = std::array<quint8, MaxOrder>;

    explicit TDiscModel(QObject* parent = nullptr);

    quint32 DiscID() const { return m_discID; }
    // A disc with audio tracks is loaded: the only kind the editors and the data file know.
    bool Loaded() const { return m_discID != 0 && m_trackCount > 0; }
    void SetDiscID(quint32 id) { m_discID = id; }

    const QString& DataDir() const { return m_dataDir; }
    void SetDataDir(const QString& dir) { m_dataDir = dir; }

    int TrackCount() const { return m_trackCount; }
    void SetTrackCount(int count);

    // The disc's data file exists but the last load could not read it: what the model holds
    // are defaults, and saving them would replace everything the file holds.
    bool DataUnread() const { return m_dataUnread; }
    void SetDataUnread(bool unread) { m_dataUnread = unread; }

    // Track n, 1..99. Slots above TrackCount hold what an earlier disc left there.
    TTrackData& Tracks(int n);
    const TTrackData& Tracks(int n) const;

    // The two orders share OrderCount; both are read as the first OrderCount entries.
    int OrderCount() const { return m_orderCount; }
    std::span<const quint8> PlayOrder() const { return {m_playOrder.data(), Count()}; }
    std::span<const quint8> ProgramOrder() const { return {m_programOrder.data(), Count()}; }
    // The track of play-order entry index (1-based), 0 outside the order.
    int PlayOrderTrack(int index) const;

    // A new play order of at most MaxOrder entries (more are dropped); the programme keeps its
    // entries but shares the new count.
    void SetPlayOrder(std::span<const quint8> order);
    // A new programme, copied to the play order as well.
    void SetProgramOrder(std::span<const quint8> order);

    // Artist and title: every set is announced, also when the text is unchanged, so that the
    // window showing it can re-align its row.
    const QString& Artist() const { return m_artist; }
    void SetArtist(const QString& text);
    const QString& Title() const { return m_title; }
    void SetTitle(const QString& text);

    // Fills Tracks[1..TrackCount] from the device: default names, starts, lengths and the
    // no-lyrics entry.
    void FillTracks(TTrackSource& source);
    // OrderCount := TrackCount, play order 1..TrackCount, copied to the programme.
    void ResetOrders();
    void CopyPlayToProgram();
    void CopyProgramToPlay();

    static QString DefaultTrackName(int n);

Q_SIGNALS:
    void ArtistSet(const QString& text);
    void TitleSet(const QString& text);

private:
    std::size_t Count() const { return std::size_t(m_orderCount); }

    quint32 m_discID = 0;
    QString m_dataDir = QStringLiteral("data\\");
    int m_trackCount = 0;
    bool m_dataUnread = false;
    std::array<TTrackData, MaxTracks> m_tracks;
    int m_orderCount = 0;
    TOrder m_playOrder{};
    TOrder m_programOrder{};
    QString m_artist = QStringLiteral("Artist");
    QString m_title = QStringLiteral("Title");
};

// The directory the disc data files live in: a DataDir beginning with "/" is used as it is,
// any other is put behind programDir. Backslashes count as separators. Nothing is added at the
// end: a DataDir without a closing separator makes the file names run on from its last part.
QString ResolveDataDir(const QString& dataDir, const QString& programDir);

} // namespace qlnx
