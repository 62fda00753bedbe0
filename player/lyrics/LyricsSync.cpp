#include "lyrics/LyricsSync.h"

#include "disc/Tmsf.h"

namespace qlnx {

QString FormatMinSec(int minutes, int seconds)
{
    // Built by hand: this runs once a second while a disc plays, and the printf machinery is
    // the costliest part of it.
    QString text = QString::number(minutes);
    text.reserve(text.size() + 4);
    text += u':';
    if (seconds >= 0 && seconds < 10)
        text += u'0';
    text += QString::number(seconds);
    return text;
}

TGaugePosition GaugePosition(quint32 position)
{
    const int m = TmsfMinutes(position);
    const int s = TmsfSeconds(position);
    return {m * 60 + s, FormatMinSec(m, s)};
}

int CurrentLyricIndex(const TLyricList& lyrics, int position)
{
    const int n = int(lyrics.size());
    for (int i = 0; i < n; ++i) {
        if (lyrics[i].Time > position)
            return i == 0 ? 0 : i - 1;
    }
    return n - 1;
}

TLyricLines SelectLyricLines(const TLyricList& lyrics, int position)
{
    const int c = CurrentLyricIndex(lyrics, position);
    if (c < 0)
        return {};
    TLyricLines lines;
    lines.Current = lyrics[c].Text;
    if (c + 1 < int(lyrics.size()))
        lines.Next = lyrics[c + 1].Text;
    return lines;
}

const TLyricList* CurrentLyrics(const TDiscModel& model, int orderIndex)
{
    if (orderIndex < 1 || orderIndex > model.OrderCount())
        return nullptr;
    const int track = model.PlayOrder()[std::size_t(orderIndex - 1)];
    if (track < 1 || track > model.TrackCount())
        return nullptr;
    return &model.Tracks(track).Lyrics;
}

bool DependShowsLyricsForm(const TDiscModel& model, int orderIndex)
{
    if (model.DiscID() == 0)
        return false;
    const TLyricList* lyrics = CurrentLyrics(model, orderIndex);
    return lyrics && !lyrics->isEmpty() && !IsNoLyrics(*lyrics);
}

void SyncPosition(const TDiscModel& model, int orderIndex, quint32 position, TPositionSink& sink)
{
    const TGaugePosition gauge = GaugePosition(position);
    sink.SetGauge(gauge);

    if (!sink.LyricsVisible())
        return;

    const TLyricList* lyrics = CurrentLyrics(model, orderIndex);
    const TLyricLines wanted = lyrics ? SelectLyricLines(*lyrics, gauge.Progress) : TLyricLines{};
    if (sink.CurLyricsText() == wanted.Current && sink.NextLyricsText() == wanted.Next)
        return;
    sink.SetCurLyricsText(wanted.Current);
    sink.SetNextLyricsText(wanted.Next);
}

} // namespace qlnx
