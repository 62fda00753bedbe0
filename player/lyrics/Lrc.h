#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "disc/DiscModel.h"

namespace qlnx {

// Timed lyrics files of the common "[mm:ss.xx]text" form, read into and written from a track's
// lyric lines. Our lines start at whole seconds, so hundredths are dropped on reading and
// written as ".00".

// Every time tag at the start of a line gives one entry with the rest of the line as its text;
// the entries come out ordered by time (lines of the same time in file order). A malformed
// tag among them ("[02:83.37]") is passed over, the others count. Word times of the
// word-timed form ("<00:04.44>", or a time tag after the text has begun) are taken out of the
// text: the words belong to the line's time. "[offset:ms]" moves every line earlier by ms
// (later for a negative value), wherever it stands, and a line moved before the start is kept
// at 0:00. Other tags ([ar:], [ti:], ...), blank lines and lines without a well-formed time tag
// are skipped.
TLyricList ParseLrc(const QString& text);

struct TLrcText
{
    TLyricList Lyrics;
    // The non-blank lines outside any tag, in file order, when nothing is timed (plain lyrics
    // the user may want to stamp); empty for a file that holds control characters, which is no
    // text at all.
    QStringList PlainLines;
};

TLrcText ReadLrcText(const QString& text);

// "[ar:artist]", "[ti:title]", then one "[mm:ss.00]text" line per entry in list order, minutes
// with at least two digits; UTF-8, CR LF after every line.
QByteArray WriteLrc(const TLyricList& lyrics, const QString& artist, const QString& title);

// Reads and decodes a file (UTF-8, else CP932). Returns the message to show when it cannot be
// read.
std::optional<QString> LoadLrcFile(const QString& fileName, TLyricList& lyrics);
std::optional<QString> LoadLrcFile(const QString& fileName, TLrcText& text);

// Writes the file through a temporary one that replaces the old file only once every byte is
// on disk: a failed write leaves the old file as it was. Returns the message to show then.
std::optional<QString> SaveLrcFile(const QString& fileName, const TLyricList& lyrics,
                                   const QString& artist, const QString& title);

} // namespace qlnx
