// The main window's side of the disc editors: filling them from the disc, running them and
// applying what they return.

#include "ui/Main.h"

#include <algorithm>
#include <vector>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "ui/DataEdit.h"
#include "ui/ProgramEdit.h"

namespace qlnx {

namespace {

QStringList TrackNames(const TDiscModel& model)
{
    QStringList names;
    for (int n = 1; n <= model.TrackCount(); ++n)
        names.append(model.Tracks(n).Name);
    return names;
}

} // namespace

void TQLNXMainForm::SetDiscEditorRunner(std::function<int(QDialog&)> runner)
{
    m_discEditorRunner = std::move(runner);
}

int TQLNXMainForm::RunDiscEditor(QDialog& editor)
{
    // A nested loop: the poll timer goes on while the editor is open, so the disc may change.
    return m_discEditorRunner ? m_discEditorRunner(editor) : editor.exec();
}

void TQLNXMainForm::WarnUnreadData()
{
    // The editors still open, so that the user sees what is there, but nothing they confirm
    // may replace a file whose content was never read.
    if (m_model.DataUnread())
        ReportError(UnreadFileMessage(DiscDataFileName(m_model, m_programDir)));
}

void TQLNXMainForm::SaveEditedDisc()
{
    // The edit stays in effect when the file cannot be written; the old file stays as it was.
    if (const auto message = SaveDiscData(m_model, m_programDir))
        ReportError(*message);
}

void TQLNXMainForm::DataEditClick()
{
    if (m_model.Loaded())
        EditDiscData(m_model.Artist(), m_model.Title(), TrackNames(m_model), false);
}

void TQLNXMainForm::EditDiscData(const QString& artist, const QString& title,
                                 const QStringList& names, bool proposed)
{
    if (!m_model.Loaded() || !MadeOnce(m_dataEditForm, m_dialogMakers.DataEdit))
        return;
    WarnUnreadData();
    TDataEditForm& form = *m_dataEditForm;
    form.SetErrorReporter([this](const QString& message) { ReportError(message); });
    PlaceDialog(form);
    form.Fill(artist, title, names, ShownTrack() - 1);
    // A proposal from a lookup says so; it is stored only on OK, as if typed.
    const QString caption = form.windowTitle();
    if (proposed)
        form.setWindowTitle(caption + QStringLiteral(" (proposed)"));
    const quint32 discID = m_model.DiscID();
    const int result = RunDiscEditor(form);
    form.setWindowTitle(caption);
    if (result != QDialog::Accepted || m_model.DiscID() != discID || !m_model.Loaded())
        return;

    m_model.SetArtist(form.Artist());
    m_model.SetTitle(form.Title());
    const QStringList edited = form.TrackNames();
    const int count = std::min(m_model.TrackCount(), int(edited.size()));
    for (int n = 1; n <= count; ++n)
        m_model.Tracks(n).Name = edited[n - 1];
    FillTrackList(m_model.PlayOrder());
    ShowCurrentTrack(m_shownOrderIndex);
    SaveEditedDisc();
}

void TQLNXMainForm::ProgramEditClick()
{
    if (!m_model.Loaded() || !MadeOnce(m_programEditForm, m_dialogMakers.ProgramEdit))
        return;
    WarnUnreadData();
    TProgramEditForm& form = *m_programEditForm;
    PlaceDialog(form);
    form.Fill(TrackNames(m_model), m_model.ProgramOrder(), ShownTrack());
    const quint32 discID = m_model.DiscID();
    if (RunDiscEditor(form) != QDialog::Accepted || m_model.DiscID() != discID || !m_model.Loaded())
        return;

    const std::vector<quint8> program = form.Program();
    if (std::ranges::equal(program, m_model.ProgramOrder()))
        return;
    m_controller->InstallProgram(program);
    SaveEditedDisc();
}

} // namespace qlnx
