#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

#include "disc/DiscModel.h"

namespace qlnx {

// Timed lyrics files of the common "[mm:ss.xx]text" form, read into and written from a track's
// lyric lines. Our lines start at whole seconds, so hundredths are dropped on reading and
// written as ".00".

// Every time tag at the start of a line gives one entry with the rest of the line as its text;
// the entries come out ordered by time (lines of the same time in file order). "[offset:ms]"
// moves every line earlier by ms (later for a negative value), wherever it stands, and a line
// moved before the start is kept at 0:00. Other tags ([ar:], [ti:], ...), blank lines and lines
// that do not start with a well-formed time tag are skipped.
TLyricList ParseLrc(const QString& text);

// "[ar:artist]", "[ti:title]", then one "[mm:ss.00]text" line per entry in list order, minutes
// with at least two digits; UTF-8, CR LF after every line.
QByteArray WriteLrc(const TLyricList& lyrics, const QString& artist, const QString& title);

// Reads and decodes a file (UTF-8, else CP932). Returns the message to show when it cannot be
// read.
std::optional<QString> LoadLrcFile(const QString& fileName, TLyricList& lyrics);

// Writes the file through a temporary one that replaces the old file only once every byte is
// on disk: a failed write leaves the old file as it was. Returns the message to show then.
std::optional<QString> SaveLrcFile(const QString& fileName, const TLyricList& lyrics,
                                   const QString& artist, const QString& title);

} // namespace qlnx
