#include "uilogic/DroppedImage.h"

#include <QList>
#include <QMimeData>
#include <QUrl>

namespace qlnx {

QString DroppedImage(const QMimeData* data)
{
    for (const QUrl& url : data ? data->urls() : QList<QUrl>{}) {
        const QString path = url.toLocalFile();
        if (path.endsWith(u".cue", Qt::CaseInsensitive) ||
            path.endsWith(u".toc", Qt::CaseInsensitive))
            return path;
    }
    return {};
}

} // namespace qlnx
