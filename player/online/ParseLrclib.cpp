#include "online/OnlineParse.h"

#include <algorithm>
#include <cmath>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "lyrics/Lrc.h"
#include "text/TextCodec.h"

namespace qlnx {

namespace {

constexpr double LengthSlackSeconds = 2.0;

TLyricsRecord RecordOf(const QJsonObject& o)
{
    TLyricsRecord r;
    r.Artist = o.value(QLatin1String("artistName")).toString();
    r.Track = o.value(QLatin1String("trackName")).toString();
    r.Album = o.value(QLatin1String("albumName")).toString();
    r.Duration = o.value(QLatin1String("duration")).toDouble();
    r.Instrumental = o.value(QLatin1String("instrumental")).toBool();
    r.PlainLyrics = o.value(QLatin1String("plainLyrics")).toString();
    r.SyncedLyrics = o.value(QLatin1String("syncedLyrics")).toString();
    return r;
}

bool HasAnything(const TLyricsRecord& r)
{
    return r.Instrumental || !r.SyncedLyrics.trimmed().isEmpty() ||
           !r.PlainLyrics.trimmed().isEmpty();
}

// Lower is better: near the track's length first, then timed lyrics.
int Rank(const TLyricsRecord& r, int lengthSeconds)
{
    const bool near = std::abs(r.Duration - lengthSeconds) <= LengthSlackSeconds;
    const bool timed = !r.SyncedLyrics.trimmed().isEmpty();
    return (near ? 0 : 2) + (timed ? 0 : 1);
}

} // namespace

std::optional<TLyricsRecord> ParseLrclibRecord(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return RecordOf(doc.object());
}

std::optional<QList<TLyricsRecord>> ParseLrclibSearch(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return std::nullopt;
    QList<TLyricsRecord> records;
    for (const QJsonValue& value : doc.array()) {
        if (value.isObject())
            records.append(RecordOf(value.toObject()));
    }
    return records;
}

std::optional<TLyricsRecord> PickLyrics(const QList<TLyricsRecord>& records, int lengthSeconds)
{
    const TLyricsRecord* best = nullptr;
    for (const TLyricsRecord& r : records) {
        if (HasAnything(r) && (!best || Rank(r, lengthSeconds) < Rank(*best, lengthSeconds)))
            best = &r;
    }
    return best ? std::optional<TLyricsRecord>(*best) : std::nullopt;
}

TFoundLyrics LyricsOfRecord(const TLyricsRecord& record)
{
    TFoundLyrics found;
    if (!record.SyncedLyrics.trimmed().isEmpty()) {
        found.Rows = ParseLrc(record.SyncedLyrics);
        if (!found.Rows.isEmpty()) {
            found.Kind = TLyricsKind::Timed;
            return found;
        }
    }
    for (const QString& line : SplitLines(record.PlainLyrics)) {
        if (!line.trimmed().isEmpty())
            found.Rows.append(TLyricEntry{line.trimmed(), 0});
    }
    if (!found.Rows.isEmpty())
        found.Kind = TLyricsKind::Untimed;
    else if (record.Instrumental)
        found.Kind = TLyricsKind::Instrumental;
    return found;
}

} // namespace qlnx
