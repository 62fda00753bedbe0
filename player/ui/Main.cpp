#include "ui/Main.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "controls/AndPanel.h"
#include "controls/Bevel.h"
#include "controls/ButtonGlyphs.h"
#include "controls/CenteredItemDelegate.h"
#include "controls/ColorResolve.h"
#include "controls/Common.h"
#include "controls/FontName.h"
#include "controls/LGauge.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "lyrics/LyricsGeometry.h"
#include "lyricsui/LyricsForm.h"
#include "settings/ProgramDirectory.h"
#include "ui/About.h"
#include "ui/MainMenu.h"
#include "ui/SeekInput.h"
#include "uilogic/MainGeometry.h"
#include "uilogic/PlaceDialog.h"

namespace qlnx {

TQLNXMainForm::TQLNXMainForm(TDiscModel& model, CdDevice& device, const QString& programDir,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_model(model),
      m_controller(new TPlaybackController(model, device, *this, programDir, this)),
      m_lyricsForm(new TLyricsForm(this)), m_curTimeGauge(new TLabelGauge(this)),
      m_trackCombo(MakeCenteredCombo(this)),
      m_driveCombo(MakeCenteredCombo(this, TPopupWidth::FitItems)), m_artistPanel(nullptr),
      m_titlePanel(nullptr), m_trackPanel(nullptr), m_menu(new TMainMenu(*m_controller, this)),
      m_programDir(programDir)
{
    setWindowTitle(QStringLiteral("QLNX"));
    setAcceptDrops(true); // a disc image dropped on the window is opened
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(13);
    setFont(formFont);

    // Creation order is stacking order: the lists lie behind the rows that open them.
    m_curTimeGauge->setGeometry(8, 124, 256, 21);
    m_curTimeGauge->SetText(QStringLiteral("0:00"));
    m_curTimeGauge->SetInvertText(false);
    m_curTimeGauge->SetBorderColor(clWindowFrame);
    m_curTimeGauge->SetForeColor(clBtnFace);
    m_curTimeGauge->SetBackColor(clWindow);
    m_trackCombo->setGeometry(8, 100, 256, 20);
    m_driveCombo->setGeometry(124, 52, 24, 20);
    connect(m_trackCombo, &QComboBox::activated, m_controller,
            &TPlaybackController::TrackComboChange);
    connect(m_driveCombo, &QComboBox::activated, m_controller,
            &TPlaybackController::DriveComboChange);
    CreateButtons();

    m_artistPanel = new TAndPanel(this);
    m_titlePanel = new TAndPanel(this);
    m_trackPanel = new TAndPanel(this);
    m_artistPanel->setGeometry(8, 4, 256, 20);
    m_titlePanel->setGeometry(8, 28, 256, 20);
    m_trackPanel->setGeometry(8, 76, 256, 20);
    for (TAndPanel* panel : {m_artistPanel, m_titlePanel, m_trackPanel})
        new TBevel(panel);
    m_artistPanel->installEventFilter(this);
    connect(m_titlePanel, &TAndPanel::Click, m_driveCombo, &QComboBox::showPopup);
    connect(m_trackPanel, &TAndPanel::Click, this, [this] {
        if (m_trackCombo->currentIndex() != -1)
            m_trackCombo->showPopup();
    });

    ConnectMenu();

    m_lyricsForm->SetMainForm(this);
    connect(m_lyricsForm, &TLyricsForm::PlaceMainFormAt, this, [this](QPoint position) {
        m_placedAt = position;
        move(position);
    });
    connect(m_lyricsForm, &TLyricsForm::CloseClick, this,
            [this] { SetLyricsFormMode(int(TLyricsFormMode::Off)); });
    connect(m_lyricsForm, &TLyricsForm::ImageDropped, this, &TQLNXMainForm::OpenImage);

    connect(&m_model, &TDiscModel::ArtistSet, this,
            [this](const QString& text) { SetPanelText(*m_artistPanel, text); });
    connect(&m_model, &TDiscModel::TitleSet, this,
            [this](const QString& text) { SetPanelText(*m_titlePanel, text); });

    setMinimumSize(MainMinimumClientSize(m_stopButton->width(), m_playButton->height()));
    resize(minimumSize());
}

TQLNXMainForm::~TQLNXMainForm() = default;

QPushButton* TQLNXMainForm::MakeButton(const QString& hint, int glyph)
{
    auto* button = new QPushButton(this);
    button->setToolTip(hint);
    button->setIcon(MakeGlyph(TGlyph(glyph), palette().color(QPalette::ButtonText)));
    button->setIconSize(QSize(12, 12));
    button->setAutoDefault(false);
    return button;
}

void TQLNXMainForm::CreateButtons()
{
    using G = TGlyph;
    m_ejectButton = MakeButton(QStringLiteral("Eject"), int(G::Eject));
    m_nextButton = MakeButton(QStringLiteral("Next"), int(G::Next));
    m_prevButton = MakeButton(QStringLiteral("Prev"), int(G::Prev));
    m_forwardButton = MakeButton(QStringLiteral("Forward"), int(G::Forward));
    m_backButton = MakeButton(QStringLiteral("Back"), int(G::Back));
    m_stopButton = MakeButton(QStringLiteral("Stop"), int(G::Stop));
    m_pauseButton = MakeButton(QStringLiteral("Pause"), int(G::Pause));
    m_playButton = MakeButton(QStringLiteral("Play"), int(G::Play));
    const int top = 124;
    m_ejectButton->setGeometry(244, top, 20, 20);
    m_nextButton->setGeometry(MainDesign::NextButtonLeft, top, 20, 20);
    m_prevButton->setGeometry(MainDesign::PrevButtonLeft, top, 20, 20);
    m_forwardButton->setGeometry(MainDesign::ForwardButtonLeft, top, 20, 20);
    m_backButton->setGeometry(MainDesign::BackButtonLeft, top, 20, 20);
    m_stopButton->setGeometry(MainDesign::StopButtonLeft, top, 20, 20);
    m_pauseButton->setGeometry(MainDesign::PlayButtonLeft, top, 40, 20);
    m_playButton->setGeometry(MainDesign::PlayButtonLeft, top, 40, 20);

    setTabOrder(m_playButton, m_pauseButton);
    setTabOrder(m_pauseButton, m_stopButton);
    setTabOrder(m_stopButton, m_prevButton);
    setTabOrder(m_prevButton, m_backButton);
    setTabOrder(m_backButton, m_forwardButton);
    setTabOrder(m_forwardButton, m_nextButton);
    setTabOrder(m_nextButton, m_ejectButton);

    TPlaybackController* c = m_controller;
    connect(m_playButton, &QPushButton::clicked, c, &TPlaybackController::PlayButtonClick);
    connect(m_pauseButton, &QPushButton::clicked, c, &TPlaybackController::PauseButtonClick);
    connect(m_stopButton, &QPushButton::clicked, c, &TPlaybackController::StopButtonClick);
    connect(m_nextButton, &QPushButton::clicked, c, &TPlaybackController::NextButtonClick);
    connect(m_prevButton, &QPushButton::clicked, c, &TPlaybackController::PrevButtonClick);
    connect(m_ejectButton, &QPushButton::clicked, c, &TPlaybackController::EjectButtonClick);
    m_seekInput = new TSeekInput(*m_controller, *m_backButton, *m_forwardButton, this);
}

void TQLNXMainForm::ConnectMenu()
{
    TMainMenu* menu = m_menu;
    connect(menu, &TMainMenu::StayOnTopClick, this, &TQLNXMainForm::OptStayOnTopClick);
    connect(menu, &TMainMenu::LyricsFormModeClick, this,
            [this](TLyricsFormMode mode) { SetLyricsFormMode(int(mode)); });
    connect(menu, &TMainMenu::LyricsFormSyncClick, this,
            [this](TLyricsFormSync sync) { SetLyricsFormSync(int(sync)); });
    connect(menu, &TMainMenu::TrackNumberStyleClick, this, &TQLNXMainForm::SetTrackNumberStyle);
    connect(menu, &TMainMenu::ForeColorClick, this, [this] { ChangeGaugeColor(true); });
    connect(menu, &TMainMenu::BackColorClick, this, [this] { ChangeGaugeColor(false); });
    connect(menu, &TMainMenu::InvertTextClick, this, &TQLNXMainForm::OptTimeGaugeInvTextClick);
    connect(menu, &TMainMenu::FontClick, this, &TQLNXMainForm::ChangeFontClick);
    connect(menu, &TMainMenu::MinimizeClick, this, &TQLNXMainForm::MinimizeClick);
    connect(menu, &TMainMenu::DataEditClick, this, &TQLNXMainForm::DataEditClick);
    connect(menu, &TMainMenu::OpenImageClick, this, &TQLNXMainForm::OpenImageClick);
    connect(menu, &TMainMenu::ProgramEditClick, this, &TQLNXMainForm::ProgramEditClick);
    connect(menu, &TMainMenu::LookUpDiscClick, this, &TQLNXMainForm::LookUpDiscClick);
    connect(menu, &TMainMenu::AboutClick, this, &TQLNXMainForm::AboutClick);
    connect(menu, &TMainMenu::LyricsEditClick, this, &TQLNXMainForm::LyricsEditClick);
    connect(menu, &TMainMenu::ExitClick, this, &QWidget::close);
    connect(&menu->Menu(), &QMenu::aboutToShow, this, &TQLNXMainForm::PopupMenuPopup);
}

void TQLNXMainForm::PopupMenuPopup()
{
    // Enabled here only: the display's reset greys them again.
    if (m_model.Loaded())
        m_menu->EnableEditors(true);
}

void TQLNXMainForm::ChangeGaugeColor(bool foreground)
{
    const TColor current = foreground ? m_curTimeGauge->ForeColor() : m_curTimeGauge->BackColor();
    const QColor chosen = QColorDialog::getColor(ResolveColor(current, palette()), this);
    if (!chosen.isValid())
        return;
    if (foreground)
        m_curTimeGauge->SetForeColor(ColorFromQColor(chosen));
    else
        m_curTimeGauge->SetBackColor(ColorFromQColor(chosen));
}

void TQLNXMainForm::OptTimeGaugeInvTextClick()
{
    QAction& item = m_menu->InvertText();
    item.setChecked(!item.isChecked());
    m_curTimeGauge->SetInvertText(item.isChecked());
}

void TQLNXMainForm::PlaceDialog(QWidget& dialog) const
{
    const QScreen* shown = screen();
    const QSize screenSize = shown ? shown->geometry().size() : QSize(1024, 768);
    dialog.move(qlnx::PlaceDialog(frameGeometry(), dialog.frameGeometry().size(), screenSize));
}

void TQLNXMainForm::AboutClick()
{
    if (!MadeOnce(m_aboutForm, m_dialogMakers.About))
        return;
    m_aboutForm->SetPaths(SettingsFileName(m_programDir),
                          ResolveDataDir(m_model.DataDir(), m_programDir));
    PlaceDialog(*m_aboutForm);
    m_aboutForm->exec();
}

void TQLNXMainForm::MinimizeClick()
{
    m_lyricsFormMinimized = m_lyricsForm->isVisible();
    m_lyricsForm->hide();
    showMinimized();
}

void TQLNXMainForm::BringToFront()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
    if (m_lyricsForm->isVisible())
        m_lyricsForm->raise();
}

void TQLNXMainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // The lyrics window left the screen with the main window and comes back with it.
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && m_lyricsFormMinimized) {
        m_lyricsFormMinimized = false;
        m_lyricsForm->show();
    }
}

QMenu& TQLNXMainForm::PopupMenu()
{
    return m_menu->Menu();
}

QAction& TQLNXMainForm::OptionAction(TPlayOption option)
{
    return m_menu->Option(option);
}

void TQLNXMainForm::SetErrorReporter(std::function<void(const QString&)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void TQLNXMainForm::FormCreate(std::optional<quint32> seed)
{
    ShowForm();
    StartPlayback(seed);
}

void TQLNXMainForm::ShowForm()
{
    LoadSettings();
    // No size increments for the window manager: with them it floors the height (113, 114
    // and 115 all give 112), while the snapping rule rounds; each window applies the rule to
    // whatever size the window manager answers with.
    show();
    LayoutMainWindow();
    m_lyricsForm->PlaceMainForm();
    m_lyricsForm->LayoutPanels();
    UpdateComboMetrics();
}

void TQLNXMainForm::StartPlayback(std::optional<quint32> seed)
{
    // The probe resets the display, greys the buttons, loads the disc and shows its first
    // track without waiting for anything (the drives are watched beside it): each of those
    // repaints, the gauge's among them, would be on the screen for well under a frame. Held
    // back, they come as one paint at its end.
    const std::array<QWidget*, 2> windows{this, m_lyricsForm};
    for (QWidget* window : windows)
        window->setUpdatesEnabled(false);
    const auto paint = qScopeGuard([windows] {
        for (QWidget* window : windows) {
            window->setUpdatesEnabled(true);
            window->repaint();
        }
    });
    m_controller->Startup(seed);
}

void TQLNXMainForm::LayoutMainWindow()
{
    if (!isVisible())
        return;
    PlaceLyricsForm();
    TMainLayoutInput input;
    input.Client = size();
    input.PlayButtonHeight = m_playButton->height();
    input.DriveComboWidth = m_driveCombo->width();
    input.EjectButtonWidth = m_ejectButton->width();
    const TMainLayout layout = LayoutMainRows(input);
    m_artistPanel->setGeometry(layout.ArtistPanel);
    RealignPanelText(*m_artistPanel);
    m_titlePanel->setGeometry(layout.TitlePanel);
    RealignPanelText(*m_titlePanel);
    m_driveCombo->setGeometry(
        QRect(layout.DriveComboPos, QSize(m_driveCombo->width(), layout.ComboFieldHeight)));
    m_trackPanel->setGeometry(layout.TrackPanel);
    RealignPanelText(*m_trackPanel);
    m_trackCombo->setGeometry(
        QRect(layout.TrackComboPos, QSize(layout.TrackComboWidth, layout.ComboFieldHeight)));
    m_curTimeGauge->setGeometry(layout.CurTimeGauge);
    const std::array<QPushButton*, std::size_t(TMainButton::Count)> buttons{
        m_playButton, m_pauseButton,   m_stopButton, m_prevButton,
        m_backButton, m_forwardButton, m_nextButton, m_ejectButton};
    for (std::size_t i = 0; i < buttons.size(); ++i)
        buttons[i]->setGeometry(layout.Buttons[i]);
}

void TQLNXMainForm::UpdateComboMetrics()
{
    const TComboMetrics metrics = ComboMetrics(QFontInfo(font()).pixelSize(), width());
    m_driveCombo->setGeometry(metrics.DriveComboLeft, m_driveCombo->y(), metrics.DriveComboWidth,
                              m_driveCombo->height());
    for (QComboBox* combo : {m_driveCombo, m_trackCombo})
        SetComboItemHeight(*combo, metrics.ItemHeight);
}

void TQLNXMainForm::ChangeFontClick()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font(), this);
    if (!ok)
        return;
    setFont(chosen);
    for (TAndPanel* panel : {m_artistPanel, m_titlePanel, m_trackPanel})
        RealignPanelText(*panel);
    UpdateComboMetrics();
}

void TQLNXMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The heights SnapMainHeight keeps: the button row, 8 pixels and rows of 4.
    SetHeightSteps(*this, m_playButton->height() + 8, 4);
    const int snapped = SnapMainHeight(height(), 0, m_playButton->height());
    if (snapped != height()) {
        resize(width(), snapped);
        return;
    }
    LayoutMainWindow();
}

void TQLNXMainForm::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    PaintWindowEdge(*this);
}

void TQLNXMainForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    const bool placed = m_placedAt && *m_placedAt == pos();
    m_placedAt.reset();
    if (isVisible() && !placed)
        PlaceLyricsForm();
}

void TQLNXMainForm::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        !TWindowDrag::StartResizeAt(*this, event->position().toPoint()))
        m_drag.HandleMouse(*this, *event);
}

void TQLNXMainForm::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.HandleMouse(*this, *event);
}

void TQLNXMainForm::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.HandleMouse(*this, *event);
}

void TQLNXMainForm::contextMenuEvent(QContextMenuEvent* event)
{
    m_menu->Menu().popup(event->globalPos());
}

bool TQLNXMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_artistPanel)
        m_drag.HandleMouse(*this, *event);
    if (event->type() == QEvent::Hide && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->windowType() == Qt::Popup) {
        watched->removeEventFilter(this);
        // Once the menu has gone: its own hiding is still under way here.
        QTimer::singleShot(0, this, &TQLNXMainForm::ShowPendingLyricsForm);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace qlnx
