#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>

namespace qlnx {

// Text helpers for the sheet files of disc images (CUE sheets, cdrdao TOC files): text in,
// text out, no file system. The device itself reads images with ImageSheet.h and no longer
// uses these.

// A data file named by a CUE sheet's FILE line.
struct TCueFile
{
    QString Name; // as written, without quotes
    QString Type; // in capitals: "BINARY", "WAVE", ...
    bool operator==(const TCueFile&) const = default;
};

// The FILE lines of a CUE sheet in order; names quoted or bare, keywords in any letter case.
QList<TCueFile> CueSheetFiles(const QString& text);

// The file libcdio takes a CUE sheet's data from whatever the sheet names: the sheet's path
// with the extension "cue" made "bin" ("CUE" made "BIN"). No value for other extensions.
std::optional<QString> ImpliedCueDataPath(const QString& sheetPath);

// A cdrdao TOC file with the relative names of its FILE, AUDIOFILE and DATAFILE statements
// replaced by what resolve makes of them; absolute names and "-" (standard input) stay as
// they are, and so does every other byte of the text. Names reach resolve without the TOC
// file's escapes (\" and \\) and are escaped again when written. No value when no name was
// replaced.
std::optional<QString> RewriteTocFileNames(const QString& text,
                                           const std::function<QString(const QString&)>& resolve);

} // namespace qlnx
