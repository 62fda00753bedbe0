// The lyrics editor's timed lyrics files: a file read into the grid, the grid written out.

#include "lyricsui/LyricsEdit.h"

#include "disc/DiscModel.h"
#include "lyrics/Lrc.h"

namespace qlnx {

void TLyricsEditForm::ImportButtonClick()
{
    const QString name = m_openDialog(*this, QString());
    if (name.isEmpty())
        return;
    TLrcText text;
    if (const auto message = LoadLrcFile(name, text)) {
        Report(*message);
        return;
    }
    // An empty grid would delete the track's lyrics at OK: without timed lines the grid stays,
    // unless the user takes plain lines to stamp them with Get Time.
    TLyricList& lyrics = text.Lyrics;
    if (lyrics.isEmpty()) {
        if (text.PlainLines.isEmpty()) {
            Report(QStringLiteral("ファイル %1 には時刻付きの行がありません").arg(name));
            return;
        }
        if (!Ask(QStringLiteral("ファイル %1 には時刻付きの行がありません。"
                                "%2 行を 00:00 の行として読み込みますか？")
                     .arg(name)
                     .arg(text.PlainLines.size())))
            return;
        for (const QString& line : text.PlainLines)
            lyrics.append(TLyricEntry{line, 0});
    }
    // Into the grid only: as with typed lines, nothing is stored before OK.
    const int clamped = ClampToEditorTimes(lyrics);
    LoadRows(lyrics);
    if (clamped > 0)
        Report(QStringLiteral("%1 行の時刻が 99:59 を超えるので 99:59 にしました").arg(clamped));
}

void TLyricsEditForm::ExportButtonClick()
{
    // The file gets what OK would store, so it holds no blank line left behind by Enter.
    const TRowsToLyrics rows = LyricsFromRows(Rows());
    if (rows.BadRow >= 0) {
        ReportBadRow(rows.BadRow);
        return;
    }
    // The names belong to the disc the grid was loaded from; after a disc change they are not
    // known any more.
    const bool sameDisc = m_model.DiscID() == m_editDiscID;
    const QString artist = sameDisc ? m_model.Artist() : QString();
    const QString title = sameDisc ? m_model.Tracks(m_editTrack).Name : QString();
    QString suggested = title.isEmpty() ? QStringLiteral("lyrics") : title;
    suggested.replace(u'/', u'_');
    const QString name = m_saveDialog(*this, suggested + QStringLiteral(".lrc"));
    if (name.isEmpty())
        return;
    if (const auto message = SaveLrcFile(name, rows.Lyrics, artist, title)) {
        Report(*message);
    }
}

} // namespace qlnx
