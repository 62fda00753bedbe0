#pragma once

#include <QList>
#include <QString>

#include "convert/Conversion.h"

namespace qlnxdc {

// A CDDB source is one entry file, or a folder of them such as the cache of a CD player or
// ripper: one file per disc, often in a folder per category.

struct TCddbFile
{
    QString Path;  // to open
    QString Shown; // as the log names it: the path below the chosen folder
};

// The regular files below folder, searched recursively and sorted by their path below it.
// A symbolic link is followed only when it leads to a place inside the folder, and a file or
// folder reached twice that way is taken once.
QList<TCddbFile> FilesBelow(const QString& folder);

// A run over a CDDB source. In a folder every file that begins with "# xmcd" is a disc and
// every other file is passed over; a disc that cannot be written is logged with a red line
// saying why. The log is not emptied here (ConvertFile does that).
TConversionResult ConvertCddbSource(const QString& sourcePath, const QString& destDir,
                                    TConversionLog& log);

} // namespace qlnxdc
