// The main window's side of the lyrics window: its modes, its place under the main window,
// and the stay-on-top band both windows share.

#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QWindow>

#include "lyricsui/LyricsForm.h"
#include "ui/MainMenu.h"

namespace qlnx {

void TQLNXMainForm::SetLyricsFormMode(int mode)
{
    m_lyricsFormMode = mode;
    m_menu->CheckLyricsFormMode(mode);
    switch (TLyricsFormMode(mode)) {
    case TLyricsFormMode::On:
        SetLyricsFormVisible(true);
        break;
    case TLyricsFormMode::Off:
        SetLyricsFormVisible(false);
        break;
    case TLyricsFormMode::Depend:
        UpdateLyricsFormVisibility();
        break;
    }
}

void TQLNXMainForm::UpdateLyricsFormVisibility()
{
    if (!m_menu->LyricsFormModeChecked(TLyricsFormMode::Depend))
        return;
    SetLyricsFormVisible(DependShowsLyricsForm(m_model, m_shownOrderIndex));
}

void TQLNXMainForm::SetLyricsFormVisible(bool visible)
{
    if (!visible) {
        m_lyricsFormShowPending = false;
        m_lyricsForm->hide();
        return;
    }
    if (m_lyricsForm->isVisible())
        return;
    // Under X, mapping a window while a menu is open closes the menu: the lyrics window then
    // comes when the menu goes.
    if (QWidget* popup = QApplication::activePopupWidget()) {
        if (!m_lyricsFormShowPending)
            popup->installEventFilter(this);
        m_lyricsFormShowPending = true;
        return;
    }
    m_lyricsForm->show();
}

void TQLNXMainForm::ShowPendingLyricsForm()
{
    if (!m_lyricsFormShowPending)
        return;
    m_lyricsFormShowPending = false;
    if (m_lyricsFormMode == int(TLyricsFormMode::On))
        SetLyricsFormVisible(true);
    else
        UpdateLyricsFormVisibility();
}

void TQLNXMainForm::SetLyricsFormSync(int mode)
{
    m_lyricsFormSyncMode = mode;
    m_menu->CheckLyricsFormSync(mode);
    m_lyricsForm->SetSyncMode(TLyricsFormSync(mode));
    PlaceLyricsForm();
}

void TQLNXMainForm::PlaceLyricsForm()
{
    const auto place = LyricsFormPosition(TLyricsFormSync(m_lyricsFormSyncMode), frameGeometry(),
                                          m_lyricsForm->frameGeometry().width());
    if (place && *place != m_lyricsForm->pos())
        m_lyricsForm->PlaceAt(*place);
}

void TQLNXMainForm::OptStayOnTopClick()
{
    QAction& item = m_menu->StayOnTop();
    item.setChecked(!item.isChecked());
    SetStayOnTop(*m_lyricsForm, item.isChecked());
    SetStayOnTop(*this, item.isChecked());
}

void TQLNXMainForm::SetStayOnTop(QWidget& window, bool onTop)
{
    // Changing the flags of the native window in place keeps it where it is; the widget's
    // own flag would recreate it.
    if (QWindow* handle = window.windowHandle())
        handle->setFlags(onTop ? handle->flags() | Qt::WindowStaysOnTopHint
                               : handle->flags() & ~Qt::WindowStaysOnTopHint);
    else
        window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
}

} // namespace qlnx
