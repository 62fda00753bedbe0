#include "disc/Tmsf.h"

namespace qlnx {

QString FormatTmsf(quint32 tmsf)
{
    return QStringLiteral("%1:%2:%3:%4")
        .arg(TmsfTrack(tmsf))
        .arg(TmsfMinutes(tmsf), 2, 10, QLatin1Char('0'))
        .arg(TmsfSeconds(tmsf), 2, 10, QLatin1Char('0'))
        .arg(TmsfFrames(tmsf), 2, 10, QLatin1Char('0'));
}

} // namespace qlnx
