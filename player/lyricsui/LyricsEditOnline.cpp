// The lyrics editor's lookup: the edited track's lyrics from the lyrics service, into the grid
// the way Import... puts a file there.

#include "lyricsui/LyricsEdit.h"

#include <QPushButton>

#include "disc/DiscModel.h"
#include "online/HttpFetcher.h"
#include "online/Lookups.h"
#include "online/OnlineSettings.h"
#include "onlineui/OnlineChooser.h"
#include "settings/IniFile.h"

namespace qlnx {

void TLyricsEditForm::FindOnlineButtonClick()
{
    if (m_onlineSettingsFile.isEmpty() || m_model.DiscID() != m_editDiscID)
        return;
    if (!AskOnlineConsent(this, m_onlineSettingsFile,
                          QStringLiteral("the artist, the disc title, the track title and the "
                                         "length of the track")))
        return;
    // A fresh client each time, so that changed settings count.
    delete m_lyricsLookup;
    delete m_fetcher;
    m_fetcher =
        new THttpFetcher(ReadOnlineSettings(TIniFile(m_onlineSettingsFile)), m_transport, this);
    m_lyricsLookup = new TLyricsLookup(*m_fetcher, this);
    const TTrackData& track = m_model.Tracks(m_editTrack);
    const TLyricsQuery query{m_model.Artist(), m_model.Title(), track.Name,
                             track.LengthMin * 60 + track.LengthSec +
                                 (track.LengthFrame >= 38 ? 1 : 0)};
    const quint32 discID = m_editDiscID;
    const int edited = m_editTrack;
    connect(m_lyricsLookup, &TLyricsLookup::Found, this,
            [this, discID, edited](const TFoundLyrics& found) {
                m_findOnlineButton->setEnabled(true);
                OnlineLyricsFound(found, discID, edited);
            });
    connect(m_lyricsLookup, &TLyricsLookup::Failed, this, [this](const QString& message) {
        m_findOnlineButton->setEnabled(true);
        Report(message);
    });
    // Closing the editor drops a lookup still under way.
    connect(this, &QDialog::finished, m_lyricsLookup, &TLyricsLookup::Cancel);
    connect(this, &QDialog::finished, m_findOnlineButton,
            [this] { m_findOnlineButton->setEnabled(true); });
    m_findOnlineButton->setEnabled(false);
    m_lyricsLookup->Start(query);
}

void TLyricsEditForm::OnlineLyricsFound(const TFoundLyrics& found, quint32 discID, int track)
{
    // The answer belongs to the track it was asked for; the grid may show another by now.
    if (discID != m_editDiscID || track != m_editTrack)
        return;
    switch (found.Kind) {
    case TLyricsKind::Timed:
    case TLyricsKind::Untimed:
        // Into the grid only: nothing is stored before OK.
        LoadRows(found.Rows);
        if (found.Kind == TLyricsKind::Untimed)
            Report(QStringLiteral("Only untimed lyrics were found: every line is at 00:00, "
                                  "ready to be stamped with Get Time."));
        break;
    case TLyricsKind::Instrumental:
        Report(QStringLiteral("This track is listed as an instrumental."));
        break;
    case TLyricsKind::None:
        Report(QStringLiteral("No lyrics were found for this track."));
        break;
    }
}

} // namespace qlnx
