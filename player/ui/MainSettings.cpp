// The main window's part of the settings file: what is applied once before the window shows,
// and what is written once when it closes.

#include "ui/Main.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "controls/AndPanel.h"
#include "controls/Common.h"
#include "controls/FontName.h"
#include "controls/LGauge.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "settings/IniFile.h"
#include "settings/ProgramDirectory.h"
#include "settings/Settings.h"
#include "ui/MainMenu.h"
#include "uilogic/DroppedImage.h"

namespace qlnx {

namespace {

// Each step of a stored font is applied as soon as it is read: name, size, style; the colour
// belongs to the controls that draw with the font.
QFont StoredFont(QFont font, const TFontSettings& stored)
{
    SetFontName(font, stored.Name);
    if (stored.Size > 0)
        font.setPointSize(stored.Size);
    font.setBold(stored.Style & FontStyleBold);
    font.setItalic(stored.Style & FontStyleItalic);
    font.setUnderline(stored.Style & FontStyleUnderline);
    font.setStrikeOut(stored.Style & FontStyleStrikeOut);
    return font;
}

TFontSettings FontToStore(const QFont& font, TColor color)
{
    TFontSettings stored;
    stored.Name = FontName(font);
    stored.Size = font.pointSize() > 0 ? font.pointSize() : QFontInfo(font).pointSize();
    stored.Color = color;
    stored.Style = (font.bold() ? FontStyleBold : 0) | (font.italic() ? FontStyleItalic : 0) |
                   (font.underline() ? FontStyleUnderline : 0) |
                   (font.strikeOut() ? FontStyleStrikeOut : 0);
    return stored;
}

void ApplyPanelFont(TAndPanel& panel, const TFontSettings& stored)
{
    panel.setFont(StoredFont(panel.font(), stored));
    panel.SetFontColor(stored.Color);
    RealignPanelText(panel);
}

} // namespace

void TQLNXMainForm::LoadSettings()
{
    const TSettings s = ReadSettings(TIniFile(SettingsFileName(m_programDir)));

    // The minimum size applies to every size the windows take, so 1 x 1 gives the smallest.
    const TWindowBounds& main = s.MainBounds;
    setGeometry(main.Left, main.Top, main.Width, main.Height);
    const TLyricsWindowBounds& lyrics = s.LyricsBounds;
    const int lyricsTop = lyrics.Top.value_or(geometry().top() + geometry().height());
    m_lyricsForm->setGeometry(lyrics.Left, lyricsTop, lyrics.Width, lyrics.Height);

    setFont(StoredFont(font(), s.MainFont));
    SetMainFontColor(s.MainFont.Color);
    UpdateComboMetrics();
    ApplyPanelFont(m_lyricsForm->CurLyricsPanel(), s.CurLyricsFont);
    ApplyPanelFont(m_lyricsForm->NextLyricsPanel(), s.NextLyricsFont);

    m_curTimeGauge->SetForeColor(s.GaugeForeColor);
    m_curTimeGauge->SetBackColor(s.GaugeBackColor);
    // These two are applied by performing their menu command on the opposite mark.
    m_menu->InvertText().setChecked(!s.GaugeInvertText);
    OptTimeGaugeInvTextClick();

    // Marks only: no disc is loaded yet, so no play mode has anything to act on.
    m_controller->RestoreOption(TPlayOption::Repeat, s.Repeat);
    m_controller->RestoreOption(TPlayOption::Shuffle, s.Shuffle);
    m_controller->RestoreOption(TPlayOption::MultiDrive, s.MultiDrive);
    m_controller->RestoreOption(TPlayOption::StopAtClose, s.StopAtClose);

    m_menu->StayOnTop().setChecked(!s.StayOnTop);
    OptStayOnTopClick();

    SetLyricsFormMode(s.LyricsFormMode);
    SetLyricsFormSync(s.LyricsFormSyncMode);
    SetTrackNumberStyle(TTrackNumberStyle(s.TrackNumberStyle));
    m_model.SetDataDir(s.DataDir);
    m_controller->SetInterval(s.Interval);
    m_cdTextSetting = s.CdText;
    m_controller->SetCdTextDefaults(s.CdText == 1);
}

std::optional<QString> TQLNXMainForm::SaveSettings()
{
    TSettings s;
    const QRect main = frameGeometry();
    s.MainBounds = {main.left(), main.top(), main.width(), main.height()};
    const QRect lyrics = m_lyricsForm->frameGeometry();
    s.LyricsBounds = {lyrics.left(), lyrics.top(), lyrics.width(), lyrics.height()};
    s.MainFont = FontToStore(font(), m_artistPanel->FontColor());
    TAndPanel& cur = m_lyricsForm->CurLyricsPanel();
    TAndPanel& next = m_lyricsForm->NextLyricsPanel();
    s.CurLyricsFont = FontToStore(cur.font(), cur.FontColor());
    s.NextLyricsFont = FontToStore(next.font(), next.FontColor());
    s.GaugeForeColor = m_curTimeGauge->ForeColor();
    s.GaugeBackColor = m_curTimeGauge->BackColor();
    s.GaugeInvertText = m_menu->InvertText().isChecked();
    s.Repeat = m_controller->Option(TPlayOption::Repeat);
    s.Shuffle = m_controller->Option(TPlayOption::Shuffle);
    s.MultiDrive = m_controller->Option(TPlayOption::MultiDrive);
    s.StopAtClose = m_controller->Option(TPlayOption::StopAtClose);
    s.StayOnTop = m_menu->StayOnTop().isChecked();
    s.LyricsFormMode = quint8(m_lyricsFormMode);
    s.LyricsFormSyncMode = quint8(m_lyricsFormSyncMode);
    s.TrackNumberStyle = quint8(m_trackNumberStyle);
    s.DataDir = m_model.DataDir();
    s.Interval = m_controller->Interval();
    s.CdText = m_cdTextSetting;
    TIniFile ini(SettingsFileName(m_programDir));
    return WriteSettings(ini, s);
}

void TQLNXMainForm::OpenImage(const QString& path)
{
    TIniFile ini(SettingsFileName(m_programDir));
    if (RememberDriveImage(ini, m_programDir, path))
        ini.Save();
    m_controller->OpenImage(QFileInfo(path).absoluteFilePath());
}

void TQLNXMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!DroppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TQLNXMainForm::dropEvent(QDropEvent* event)
{
    const QString path = DroppedImage(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    OpenImage(path);
}

void TQLNXMainForm::OpenImageClick()
{
    const QString section = QStringLiteral("Drives");
    const QString key = QStringLiteral("OpenFolder");
    const QString folder = TIniFile(SettingsFileName(m_programDir)).ReadString(section, key, {});
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Image"), folder,
                                                      QStringLiteral("Disc images (*.cue *.toc)"));
    if (path.isEmpty())
        return;
    TIniFile ini(SettingsFileName(m_programDir));
    ini.WriteString(section, key, QFileInfo(path).absolutePath());
    ini.Save();
    OpenImage(path);
}

void TQLNXMainForm::SetMainFontColor(TColor color)
{
    for (TAndPanel* panel : {m_artistPanel, m_titlePanel, m_trackPanel})
        panel->SetFontColor(color);
    m_curTimeGauge->SetFontColor(color);
}

void TQLNXMainForm::closeEvent(QCloseEvent* event)
{
    m_controller->FormClose();
    // The program ends whatever the save says; the user hears of a failure first.
    if (const auto error = SaveSettings()) {
        if (m_errorReporter)
            m_errorReporter(*error);
        else
            QMessageBox::warning(this, windowTitle(), *error);
    }
    m_lyricsForm->hide();
    QWidget::closeEvent(event);
}

} // namespace qlnx
