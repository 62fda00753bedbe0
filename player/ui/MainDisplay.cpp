// The main window's display operations: what the playback logic and the position sync show.

#include "ui/Main.h"

#include <algorithm>

#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>

#include "controls/AndPanel.h"
#include "controls/Common.h"
#include "controls/LGauge.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "ui/MainMenu.h"

namespace qlnx {

namespace {
const QString ProductName = QStringLiteral("Quellon");
} // namespace

// --- Track list --------------------------------------------------------------------------------

void TQLNXMainForm::SetTrackNumberStyle(TTrackNumberStyle style)
{
    m_trackNumberStyle = style;
    m_menu->CheckTrackNumberStyle(int(style));
    const int selected = m_trackCombo->currentIndex();
    FillTrackList(m_model.PlayOrder());
    m_trackCombo->setCurrentIndex(selected);
    ShowCurrentTrack(m_shownOrderIndex);
}

// --- Display operations -----------------------------------------------------------------------

void TQLNXMainForm::ResetDisplay()
{
    setWindowTitle(ProductName);
    m_artistPanel->SetCaption(QString());
    SetPanelText(*m_titlePanel, QStringLiteral("Please wait..."));
    m_trackPanel->SetCaption(QString());
    m_trackCombo->clear();
    // The disc is forgotten: no entry of its order is current any more.
    m_listedOrder.clear();
    m_shownOrderIndex = 0;
    m_curTimeGauge->SetText(QString());
    m_curTimeGauge->SetProgress(0);
    m_trackPanel->setToolTip(QString());
    m_curTimeGauge->setToolTip(QString());
    m_lyricsForm->CurLyricsPanel().SetCaption(QString());
    m_lyricsForm->NextLyricsPanel().SetCaption(QString());
    m_menu->EnableEditors(false);
    UpdateLyricsFormVisibility();
    repaint();
    if (m_lyricsForm->isVisible())
        m_lyricsForm->repaint();
}

void TQLNXMainForm::FillTrackList(std::span<const quint8> playOrder)
{
    m_trackCombo->clear();
    m_listedOrder.assign(playOrder.begin(), playOrder.end());
    for (const int track : m_listedOrder)
        m_trackCombo->addItem(TrackItem(m_trackNumberStyle, track, m_model.Tracks(track).Name));
    m_trackCombo->setMaxVisibleItems(std::max(1, int(m_listedOrder.size())));
}

void TQLNXMainForm::ShowCurrentTrack(int index)
{
    m_shownOrderIndex = index;
    if (m_model.DiscID() == 0)
        return;
    if (index < 1 || index > m_trackCombo->count() || index > int(m_listedOrder.size()))
        return;
    const QString item = m_trackCombo->itemText(index - 1);
    setWindowTitle(TrackTitle(item, m_artistPanel->Caption()));
    SetPanelText(*m_trackPanel, item);
    const int track = m_listedOrder[std::size_t(index - 1)];
    const TTrackData& length = m_model.Tracks(track);
    m_trackPanel->setToolTip(QStringLiteral("Track %1/%2").arg(track).arg(m_model.TrackCount()));
    m_curTimeGauge->SetMaxValue(length.LengthMin * 60 + length.LengthSec);
    m_curTimeGauge->setToolTip(FormatMinSec(length.LengthMin, length.LengthSec));
    m_trackCombo->setCurrentIndex(index - 1);
    UpdateLyricsFormVisibility();
    repaint();
}

int TQLNXMainForm::ShownTrack() const
{
    const int index = m_shownOrderIndex;
    return index >= 1 && index <= int(m_listedOrder.size()) ? m_listedOrder[std::size_t(index - 1)]
                                                            : 0;
}

void TQLNXMainForm::ShowPosition(quint32 tmsf, int orderIndex)
{
    SyncPosition(m_model, orderIndex, tmsf, *this);
}

void TQLNXMainForm::SetTitlePanelText(const QString& text)
{
    SetPanelText(*m_titlePanel, text);
}

void TQLNXMainForm::SetTitlePanelHint(const QString& hint)
{
    m_titlePanel->setToolTip(hint);
}

void TQLNXMainForm::EnableButtons(bool enabled)
{
    for (QPushButton* button : {m_playButton, m_pauseButton, m_stopButton, m_prevButton,
                                m_backButton, m_forwardButton, m_nextButton, m_ejectButton})
        button->setEnabled(enabled);
    repaint();
}

void TQLNXMainForm::EnableEjectButton(bool enabled)
{
    m_ejectButton->setEnabled(enabled);
}

void TQLNXMainForm::ShowPlayButton(bool visible)
{
    m_playButton->setVisible(visible);
    // The focus moves to the button now showing only when that button can take it.
    QPushButton* shown = visible ? m_playButton : m_pauseButton;
    if (shown->isEnabled() && isVisible())
        shown->setFocus();
    repaint();
}

void TQLNXMainForm::SetDriveList(const QStringList& drives)
{
    m_driveCombo->clear();
    m_driveCombo->addItems(drives);
}

void TQLNXMainForm::SetDriveItemIndex(int index)
{
    m_driveCombo->setCurrentIndex(index);
}

void TQLNXMainForm::SetOptionChecked(TPlayOption option, bool checked)
{
    m_menu->Option(option).setChecked(checked);
}

void TQLNXMainForm::SetOptionEnabled(TPlayOption option, bool enabled)
{
    m_menu->Option(option).setEnabled(enabled);
}

void TQLNXMainForm::ReportError(const QString& message)
{
    if (m_errorReporter) {
        m_errorReporter(message);
        return;
    }
    // Not modal: the poll and the drive go on while the message waits for the user.
    auto* box =
        new QMessageBox(QMessageBox::Warning, windowTitle(), message, QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// --- Position sink -------------------------------------------------------------------------------

void TQLNXMainForm::SetGauge(const TGaugePosition& position)
{
    m_curTimeGauge->SetProgressAndText(position.Progress, position.Text);
}

bool TQLNXMainForm::LyricsVisible() const
{
    return m_lyricsForm->isVisible();
}

QString TQLNXMainForm::CurLyricsText() const
{
    return m_lyricsForm->CurLyricsPanel().Caption();
}

QString TQLNXMainForm::NextLyricsText() const
{
    return m_lyricsForm->NextLyricsPanel().Caption();
}

void TQLNXMainForm::SetCurLyricsText(const QString& text)
{
    SetPanelText(m_lyricsForm->CurLyricsPanel(), text);
}

void TQLNXMainForm::SetNextLyricsText(const QString& text)
{
    SetPanelText(m_lyricsForm->NextLyricsPanel(), text);
}

} // namespace qlnx
