#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "online/LookupToc.h"
#include "online/OnlineParse.h"

namespace qlnx {

class THttpFetcher;
struct TFetchResult;

// The disc's texts from the services: the releases of its disc id first; when that service
// knows none, the matches of its classic id, each entry read in turn. One lookup at a time:
// a new Start cancels the one before.
class TDiscLookup final : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxGnudbEntries = 5;

    explicit TDiscLookup(THttpFetcher& fetcher, QObject* parent = nullptr);

    void Start(const TLookupToc& toc);
    void Cancel();
    bool Running() const { return m_request != 0; }

Q_SIGNALS:
    // Candidates ordered and marked against the disc (maybe none); preselect is -1 when no
    // candidate fits.
    void Found(const QList<qlnx::TDiscCandidate>& candidates, int preselect);
    void Failed(const QString& message);

private:
    void Releases(const TFetchResult& result);
    void Matches(const TFetchResult& result);
    void ReadNext();
    void Entry(const TFetchResult& result, const QString& category);
    void Finish();
    void Fail(const QString& message);

    THttpFetcher& m_fetcher;
    TLookupToc m_toc;
    QString m_discId;
    quint64 m_request = 0;
    QList<TGnudbMatch> m_matches;
    QList<TDiscCandidate> m_candidates;
};

struct TLyricsQuery
{
    QString Artist;
    QString Album;
    QString Track;
    int LengthSeconds = 0;
};

// A track's lyrics: the exact record first, a search when there is none.
class TLyricsLookup final : public QObject
{
    Q_OBJECT
public:
    explicit TLyricsLookup(THttpFetcher& fetcher, QObject* parent = nullptr);

    void Start(const TLyricsQuery& query);
    void Cancel();
    bool Running() const { return m_request != 0; }

Q_SIGNALS:
    void Found(const qlnx::TFoundLyrics& lyrics);
    void Failed(const QString& message);

private:
    void Exact(const TFetchResult& result);
    void Searched(const TFetchResult& result);

    THttpFetcher& m_fetcher;
    TLyricsQuery m_query;
    quint64 m_request = 0;
};

// The message for an answer that is not in the service's format.
QString UnreadableAnswerMessage(const QString& service);

} // namespace qlnx
