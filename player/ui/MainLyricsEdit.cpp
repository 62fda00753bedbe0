// The main window's side of the lyrics editor: opening it on the current track, and what
// follows its OK.

#include "ui/Main.h"

#include <utility>

#include "controls/LGauge.h"
#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyrics/LyricsSync.h"
#include "lyricsui/LyricsEdit.h"
#include "settings/ProgramDirectory.h"

namespace qlnx {

void TQLNXMainForm::SetLyricsEditForm(TLyricsEditForm* form)
{
    m_lyricsEditForm = form;
    if (!form)
        return;
    // The gauge holds the last position shown, in whole seconds.
    form->SetProgressSource([this] { return m_curTimeGauge->Progress(); });
    form->SetErrorReporter([this](const QString& message) { ReportError(message); });
    form->SetOnline(SettingsFileName(m_programDir), m_httpTransport);
    connect(form, &TLyricsEditForm::Stored, this, [this] {
        if (const auto message = SaveDiscData(m_model, m_programDir))
            ReportError(*message);
        // Depend mode shows or hides the lyrics window for the current track's new lines.
        ShowCurrentTrack(m_shownOrderIndex);
        // While stopped or paused no position comes to show them: the panels take the new
        // lines at the position the gauge shows now.
        const TLyricList* lyrics = CurrentLyrics(m_model, m_shownOrderIndex);
        const TLyricLines lines =
            lyrics ? SelectLyricLines(*lyrics, m_curTimeGauge->Progress()) : TLyricLines{};
        SetCurLyricsText(lines.Current);
        SetNextLyricsText(lines.Next);
    });
}

void TQLNXMainForm::LyricsEditClick()
{
    if (m_model.DiscID() == 0)
        return;
    // Made late, it is wired as one set at start.
    if (!m_lyricsEditForm && m_dialogMakers.LyricsEdit)
        SetLyricsEditForm(std::exchange(m_dialogMakers.LyricsEdit, {})());
    if (!m_lyricsEditForm)
        return;
    if (m_lyricsEditForm->isHidden()) {
        WarnUnreadData();
        PlaceDialog(*m_lyricsEditForm);
        m_lyricsEditForm->show();
    }
    m_lyricsEditForm->raise();
    m_lyricsEditForm->activateWindow();
    // An empty play order has no current track: the editor then starts on the first.
    int track = ShownTrack();
    if (track < 1 || track > m_model.TrackCount())
        track = 1;
    m_lyricsEditForm->StartEdit(m_model.DiscID(), track);
}

} // namespace qlnx
