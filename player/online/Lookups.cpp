#include "online/Lookups.h"

#include <QUrl>

#include "base/Version.h"
#include "online/HttpFetcher.h"

namespace qlnx {

namespace {

// Query texts percent-encoded whole: a "+" or "&" in a title must arrive as itself.
QString Encoded(const QString& text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QUrl ServiceUrl(const QString& base, const QString& path, const QString& query)
{
    QUrl url(base + path);
    url.setQuery(query);
    return url;
}

QString Hex8(quint32 n)
{
    return QStringLiteral("%1").arg(n, 8, 16, QLatin1Char('0'));
}

QString GnudbCommand(const QString& command)
{
    return QStringLiteral("cmd=") + command + QStringLiteral("&hello=anonymous+localhost+qlnx+") +
           ProductVersion() + QStringLiteral("&proto=6");
}

} // namespace

QString UnreadableAnswerMessage(const QString& service)
{
    return QStringLiteral("The answer of %1 could not be read.").arg(service);
}

TDiscLookup::TDiscLookup(THttpFetcher& fetcher, QObject* parent)
    : QObject(parent), m_fetcher(fetcher)
{
}

void TDiscLookup::Start(const TLookupToc& toc)
{
    Cancel();
    m_toc = toc;
    m_discId = MusicBrainzDiscId(toc);
    m_candidates.clear();
    m_matches.clear();
    if (m_discId.isEmpty()) {
        Q_EMIT Failed(QStringLiteral("The table of contents of this disc cannot be looked up."));
        return;
    }
    const QUrl url =
        ServiceUrl(m_fetcher.Settings().MusicBrainzUrl, QStringLiteral("/ws/2/discid/") + m_discId,
                   QStringLiteral("inc=recordings+artist-credits&fmt=json"));
    m_request = m_fetcher.Get(
        url, [this](const TFetchResult& r) { Releases(r); }, true);
}

void TDiscLookup::Cancel()
{
    if (m_request)
        m_fetcher.Cancel(m_request);
    m_request = 0;
}

void TDiscLookup::Releases(const TFetchResult& result)
{
    m_request = 0;
    // 404 is the service's "no disc of that id".
    if (!result.Ok && result.Status != 404)
        return Fail(result.Error);
    if (result.Ok) {
        const auto releases = ParseMusicBrainzReleases(result.Body, m_discId);
        if (!releases)
            return Fail(UnreadableAnswerMessage(QStringLiteral("MusicBrainz")));
        m_candidates = *releases;
        if (!m_candidates.isEmpty())
            return Finish();
    }
    QString command = QStringLiteral("cddb+query+") + Hex8(FreedbDiscId(m_toc)) + u'+' +
                      QString::number(m_toc.TrackCount());
    for (qint32 start : m_toc.Starts)
        command += u'+' + QString::number(start + 150);
    command += u'+' + QString::number((m_toc.LeadOut + 150) / 75);
    m_request = m_fetcher.Get(ServiceUrl(m_fetcher.Settings().GnudbUrl,
                                         QStringLiteral("/~cddb/cddb.cgi"), GnudbCommand(command)),
                              [this](const TFetchResult& r) { Matches(r); });
}

void TDiscLookup::Matches(const TFetchResult& result)
{
    m_request = 0;
    if (!result.Ok)
        return Fail(result.Error);
    const auto matches = ParseGnudbQuery(result.Body);
    if (!matches)
        return Fail(UnreadableAnswerMessage(QStringLiteral("gnudb")));
    m_matches = matches->mid(0, MaxGnudbEntries);
    ReadNext();
}

void TDiscLookup::ReadNext()
{
    if (m_matches.isEmpty())
        return Finish();
    const TGnudbMatch match = m_matches.takeFirst();
    const QString command = QStringLiteral("cddb+read+") + match.Category + u'+' + match.DiscId;
    m_request = m_fetcher.Get(
        ServiceUrl(m_fetcher.Settings().GnudbUrl, QStringLiteral("/~cddb/cddb.cgi"),
                   GnudbCommand(command)),
        [this, category = match.Category](const TFetchResult& r) { Entry(r, category); });
}

void TDiscLookup::Entry(const TFetchResult& result, const QString& category)
{
    m_request = 0;
    if (!result.Ok)
        return Fail(result.Error);
    // An entry that cannot be read is one proposal less, not the end of the lookup.
    if (auto entry = ParseGnudbRead(result.Body)) {
        if (entry->Format.isEmpty())
            entry->Format = category;
        m_candidates.append(*entry);
    }
    ReadNext();
}

void TDiscLookup::Finish()
{
    const int preselect = MarkCandidates(m_candidates, m_toc);
    Q_EMIT Found(m_candidates, preselect);
}

void TDiscLookup::Fail(const QString& message)
{
    m_matches.clear();
    Q_EMIT Failed(message);
}

TLyricsLookup::TLyricsLookup(THttpFetcher& fetcher, QObject* parent)
    : QObject(parent), m_fetcher(fetcher)
{
}

void TLyricsLookup::Start(const TLyricsQuery& query)
{
    Cancel();
    m_query = query;
    const QString q = QStringLiteral("artist_name=") + Encoded(query.Artist) +
                      QStringLiteral("&track_name=") + Encoded(query.Track) +
                      QStringLiteral("&album_name=") + Encoded(query.Album) +
                      QStringLiteral("&duration=") + QString::number(query.LengthSeconds);
    m_request =
        m_fetcher.Get(ServiceUrl(m_fetcher.Settings().LrclibUrl, QStringLiteral("/api/get"), q),
                      [this](const TFetchResult& r) { Exact(r); });
}

void TLyricsLookup::Cancel()
{
    if (m_request)
        m_fetcher.Cancel(m_request);
    m_request = 0;
}

void TLyricsLookup::Exact(const TFetchResult& result)
{
    m_request = 0;
    if (!result.Ok && result.Status != 404)
        return Q_EMIT Failed(result.Error);
    if (result.Ok) {
        const auto record = ParseLrclibRecord(result.Body);
        if (!record)
            return Q_EMIT Failed(UnreadableAnswerMessage(QStringLiteral("LRCLIB")));
        const TFoundLyrics found = LyricsOfRecord(*record);
        if (found.Kind != TLyricsKind::None)
            return Q_EMIT Found(found);
    }
    const QString q = QStringLiteral("track_name=") + Encoded(m_query.Track) +
                      QStringLiteral("&artist_name=") + Encoded(m_query.Artist) +
                      QStringLiteral("&album_name=") + Encoded(m_query.Album);
    m_request =
        m_fetcher.Get(ServiceUrl(m_fetcher.Settings().LrclibUrl, QStringLiteral("/api/search"), q),
                      [this](const TFetchResult& r) { Searched(r); });
}

void TLyricsLookup::Searched(const TFetchResult& result)
{
    m_request = 0;
    if (!result.Ok)
        return Q_EMIT Failed(result.Error);
    const auto records = ParseLrclibSearch(result.Body);
    if (!records)
        return Q_EMIT Failed(UnreadableAnswerMessage(QStringLiteral("LRCLIB")));
    const auto best = PickLyrics(*records, m_query.LengthSeconds);
    Q_EMIT Found(best ? LyricsOfRecord(*best) : TFoundLyrics{});
}

} // namespace qlnx
