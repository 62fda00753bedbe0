#pragma once

#include <optional>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "disc/DiscText.h"

namespace qlnx {

class TDiscModel;
class TTrackSource;

// The per-disc data file: artist, title, programme order, track names and timed lyric lines,
// named after the disc's identity in the data directory.

// <resolved data directory><8 upper-case hex digits>.dat
QString DiscDataFileName(quint32 discID, const QString& dataDir, const QString& programDir);
QString DiscDataFileName(const TDiscModel& model, const QString& programDir);

// Fills the track table from the device, sets every default, then reads the disc's file when it
// exists. Without a file, the non-empty texts of `defaults` (the disc's CD-Text, when the user
// wants it) stand in for "Artist", "Title" and "TrackNN". Returns the message to show when the
// file exists but cannot be read; the plain defaults stand then and the model is marked
// (DataUnread) until a later load reads the file. Never writes.
std::optional<QString> LoadDiscData(TDiscModel& model, TTrackSource& source,
                                    const QString& programDir, const TDiscText& defaults = {});

// Applies the lines of a disc data file to a model that holds its defaults.
void ApplyDiscDataLines(TDiscModel& model, const QStringList& lines);

// The file's lines, as written (without line ends).
QStringList DiscDataLines(const TDiscModel& model);

// Writes the file for the loaded disc, replacing the old one only once the new one is complete.
// Does nothing while no disc is loaded. Refuses a value that holds a line break (it would break
// the file into sections nobody wrote), and refuses to replace a file the last load could not
// read. Returns the message to show when the file is not written; the old file then stays as
// it was.
std::optional<QString> SaveDiscData(const TDiscModel& model, const QString& programDir);

// Parses an order line; returns the numbers within 1..trackCount (at most 100), or nothing when
// the line is not a valid order line.
std::optional<QList<int>> ParseOrderLine(const QString& line, int trackCount);

QString CannotOpenMessage(const QString& fileName);
QString CannotCreateMessage(const QString& fileName);
// A save refused because a value holds a line break, or because the file could not be read
// at the last load (it would lose whatever the file holds).
QString LineBreakMessage(const QString& fileName);
QString UnreadFileMessage(const QString& fileName);

// A stored value is one line: CR, LF and every other control character become a space.
QString OneLineValue(const QString& text);

// Whether a value equals one of the headers the reader looks for ("[Artist]", "[Title]",
// "[Order]", "[Track01]".."[Track99]", in any letter case). Such a value would be taken for its
// section at the next load, so the editors refuse it; HeaderValueMessage says so for the named
// field.
bool ReadsAsSectionHeader(const QString& value);
QString HeaderValueMessage(const QString& field, const QString& value);

} // namespace qlnx
