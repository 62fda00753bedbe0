#pragma once

#include <optional>

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "disc/DiscModel.h"

namespace qlnx {

struct TLookupToc;

// Parsers of the three services' answers: plain functions over bytes, so that anything a
// server sends is only ever data. Each gives no value for an answer it cannot read.

enum class TCandidateSource
{
    MusicBrainz,
    Gnudb,
};

// One proposal for the disc's texts.
struct TDiscCandidate
{
    TCandidateSource Source = TCandidateSource::MusicBrainz;
    QString Artist;
    QString Title;
    QString Date; // as given: "1994-05-02", "1994" or empty
    QString Country;
    QString Format;        // "CD", or the gnudb category
    QStringList Tracks;    // one title per track of the medium
    QList<qint64> Lengths; // ms per track where the service gives them, else empty
    bool Fits = true;      // false when its tracks do not fit the disc
    QString Misfit;        // why not, for the chooser

    QString Year() const { return Date.left(4); }
};

// The releases of a disc id answer: for each release, the medium whose discs list the id
// (else its only medium); releases without such a medium are left out.
std::optional<QList<TDiscCandidate>> ParseMusicBrainzReleases(const QByteArray& json,
                                                              const QString& discId);

// One line of a "cddb query" answer.
struct TGnudbMatch
{
    QString Category;
    QString DiscId;
    QString Title; // "artist / title"
};

// "200 cat id title", "210"/"211" lists ended by ".", or "202" (no match: an empty list).
std::optional<QList<TGnudbMatch>> ParseGnudbQuery(const QByteArray& text);

// The entry of a "cddb read" answer ("210 ..." then xmcd lines up to "."): DTITLE split at
// " / " into artist and title (both the whole text without it), TTITLEn, DYEAR and DGENRE;
// lines of a keyword joined, escapes \n, \t and \\ undone (a line break becomes a space).
std::optional<TDiscCandidate> ParseGnudbRead(const QByteArray& text);

// One LRCLIB record.
struct TLyricsRecord
{
    QString Artist;
    QString Track;
    QString Album;
    double Duration = 0; // seconds
    bool Instrumental = false;
    QString PlainLyrics;
    QString SyncedLyrics; // LRC
};

std::optional<TLyricsRecord> ParseLrclibRecord(const QByteArray& json);
std::optional<QList<TLyricsRecord>> ParseLrclibSearch(const QByteArray& json);

// The record to take for a track of the given length: within 2 s of it before any other, then
// timed lyrics before untimed ones; none when no record has lyrics or says instrumental.
std::optional<TLyricsRecord> PickLyrics(const QList<TLyricsRecord>& records, int lengthSeconds);

enum class TLyricsKind
{
    Timed,
    Untimed, // rows at 00:00, to be stamped by the user
    Instrumental,
    None,
};

struct TFoundLyrics
{
    TLyricsKind Kind = TLyricsKind::None;
    TLyricList Rows;
};

// Timed lyrics through the LRC reader; untimed ones one row per non-blank line at 00:00.
TFoundLyrics LyricsOfRecord(const TLyricsRecord& record);

// Marks the candidates that do not fit the disc (another track count, or a track whose length
// differs by more than 5 s) and puts the fitting ones first, each group in the order given.
// Returns the index of the one to pre-select: the first fitting one, or -1.
int MarkCandidates(QList<TDiscCandidate>& candidates, const TLookupToc& toc);

} // namespace qlnx
