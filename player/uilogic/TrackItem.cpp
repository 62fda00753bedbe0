#include "uilogic/TrackItem.h"

namespace qlnx {

QString TrackItem(TTrackNumberStyle style, int track, const QString& name)
{
    switch (style) {
    case TTrackNumberStyle::Simple:
        return QString::number(track) + u'.' + name;
    case TTrackNumberStyle::Brackets1:
        return u'[' + QString::number(track) + u']' + name;
    case TTrackNumberStyle::Brackets2:
        return u'<' + QString::number(track) + u'>' + name;
    case TTrackNumberStyle::None:
        break;
    }
    return name;
}

QString TrackTitle(const QString& item, const QString& artist)
{
    return item + QStringLiteral(" - ") + artist;
}

} // namespace qlnx
