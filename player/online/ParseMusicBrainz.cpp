#include "online/OnlineParse.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace qlnx {

namespace {

QString CreditText(const QJsonArray& credit)
{
    QString text;
    for (const QJsonValue& part : credit) {
        const QJsonObject o = part.toObject();
        text += o.value(QLatin1String("name")).toString() +
                o.value(QLatin1String("joinphrase")).toString();
    }
    return text;
}

bool ListsDisc(const QJsonObject& medium, const QString& discId)
{
    for (const QJsonValue& disc : medium.value(QLatin1String("discs")).toArray()) {
        if (disc.toObject().value(QLatin1String("id")).toString() == discId)
            return true;
    }
    return false;
}

std::optional<QJsonObject> MediumOf(const QJsonArray& media, const QString& discId)
{
    for (const QJsonValue& medium : media) {
        if (ListsDisc(medium.toObject(), discId))
            return medium.toObject();
    }
    if (media.size() == 1)
        return media.first().toObject();
    return std::nullopt;
}

} // namespace

std::optional<QList<TDiscCandidate>> ParseMusicBrainzReleases(const QByteArray& json,
                                                              const QString& discId)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonValue releases = doc.object().value(QLatin1String("releases"));
    if (releases.isUndefined())
        return QList<TDiscCandidate>();
    if (!releases.isArray())
        return std::nullopt;

    QList<TDiscCandidate> candidates;
    for (const QJsonValue& value : releases.toArray()) {
        const QJsonObject release = value.toObject();
        const auto medium = MediumOf(release.value(QLatin1String("media")).toArray(), discId);
        if (!medium)
            continue;
        TDiscCandidate c;
        c.Source = TCandidateSource::MusicBrainz;
        c.Artist = CreditText(release.value(QLatin1String("artist-credit")).toArray());
        c.Title = release.value(QLatin1String("title")).toString();
        c.Date = release.value(QLatin1String("date")).toString();
        c.Country = release.value(QLatin1String("country")).toString();
        c.Format = medium->value(QLatin1String("format")).toString();
        bool allLengths = true;
        for (const QJsonValue& t : medium->value(QLatin1String("tracks")).toArray()) {
            const QJsonObject track = t.toObject();
            c.Tracks.append(track.value(QLatin1String("title")).toString());
            // In milliseconds; a length beyond a day is no length a disc can have, and would
            // not fit the integer either.
            const QJsonValue length = track.value(QLatin1String("length"));
            const double ms = length.toDouble(-1);
            const bool known = length.isDouble() && ms >= 0 && ms <= 86'400'000.0;
            allLengths = allLengths && known;
            c.Lengths.append(known ? qint64(ms) : 0);
        }
        if (!allLengths)
            c.Lengths.clear();
        candidates.append(c);
    }
    return candidates;
}

} // namespace qlnx
