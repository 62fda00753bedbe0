// The main window's side of the disc lookup: asking, choosing, and handing the chosen texts
// to the disc data editor as a proposal.

#include "ui/Main.h"

#include "disc/DiscModel.h"
#include "lyricsui/LyricsEdit.h"
#include "online/LookupToc.h"
#include "onlineui/OnlineChooser.h"
#include "playback/PlaybackController.h"
#include "settings/ProgramDirectory.h"

namespace qlnx {

void TQLNXMainForm::SetHttpTransport(TTransportFactory transport)
{
    m_httpTransport = std::move(transport);
    if (m_lyricsEditForm)
        m_lyricsEditForm->SetOnline(SettingsFileName(m_programDir), m_httpTransport);
}

void TQLNXMainForm::LookUpDiscClick()
{
    if (!m_model.Loaded())
        return;
    const QString settingsFile = SettingsFileName(m_programDir);
    if (!AskOnlineConsent(this, settingsFile,
                          QStringLiteral("the table of contents of the disc (its track starts "
                                         "and length)")))
        return;
    if (!m_onlineChooser)
        m_onlineChooser = new TOnlineChooserForm(this);
    const quint32 discID = m_model.DiscID();
    const auto chosen = m_onlineChooser->Choose(settingsFile, m_httpTransport,
                                                LookupTocOf(m_controller->Device().DiscToc()));
    if (!chosen || m_model.DiscID() != discID || !m_model.Loaded())
        return;
    QStringList names = chosen->Tracks.mid(0, m_model.TrackCount());
    for (int n = int(names.size()) + 1; n <= m_model.TrackCount(); ++n)
        names.append(m_model.Tracks(n).Name);
    EditDiscData(chosen->Artist, chosen->Title, names, true);
}

} // namespace qlnx
