#pragma once

#include <algorithm>

#include <QString>
#include <QStringList>

namespace qlnx {

// What a disc says of itself (its CD-Text): the performer and title of the disc and the title
// of each track, empty where the disc gives none.
struct TDiscText
{
    QString Artist;
    QString Title;
    QStringList TrackTitles; // track n at index n - 1

    bool IsEmpty() const
    {
        return Artist.isEmpty() && Title.isEmpty() &&
               std::all_of(TrackTitles.cbegin(), TrackTitles.cend(),
                           [](const QString& t) { return t.isEmpty(); });
    }
    bool operator==(const TDiscText&) const = default;
};

} // namespace qlnx
