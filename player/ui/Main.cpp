#include "ui/Main.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFontDialog>
#include <QFontInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QWindow>

#include "controls/AndPanel.h"
#include "controls/Bevel.h"
#include "controls/ButtonGlyphs.h"
#include "controls/ColorResolve.h"
#include "controls/Common.h"
#include "controls/LGauge.h"
#include "disc/DiscModel.h"
#include "disc/Tmsf.h"
#include "lyrics/LyricsGeometry.h"
#include "lyricsui/LyricsForm.h"
#include "uilogic/MainGeometry.h"

namespace qlnx {

namespace {

const QString ProductName = QStringLiteral("Quellon");

// Paints a list item centred across the list, measured from its left edge, and never further
// left than the item itself; long items start at the left and are cut on the right.
class TCenteredItemDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    int ItemHeight = 13;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->save();
        painter->setClipRect(option.rect);
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
        painter->setFont(option.font);
        const QString text = index.data().toString();
        const int right = option.rect.left() + option.rect.width();
        const int x =
            std::max((right - option.fontMetrics.horizontalAdvance(text)) / 2, option.rect.left());
        painter->drawText(QPoint(x, option.rect.top() + option.fontMetrics.ascent()), text);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight);
    }
};

TCenteredItemDelegate& Delegate(QComboBox& combo)
{
    return *static_cast<TCenteredItemDelegate*>(combo.itemDelegate());
}

QComboBox* MakeCombo(QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setFocusPolicy(Qt::NoFocus);
    combo->setItemDelegate(new TCenteredItemDelegate(combo));
    combo->view()->setItemDelegate(combo->itemDelegate());
    return combo;
}

} // namespace

TQLNXMainForm::TQLNXMainForm(TDiscModel& model, CdDevice& device, const QString& programDir,
                             QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_model(model),
      m_controller(new TPlaybackController(model, device, *this, programDir, this)),
      m_lyricsForm(new TLyricsForm(this)), m_curTimeGauge(new TLabelGauge(this)),
      m_trackCombo(MakeCombo(this)), m_driveCombo(MakeCombo(this)), m_artistPanel(nullptr),
      m_titlePanel(nullptr), m_trackPanel(nullptr), m_popupMenu(new QMenu(this))
{
    setWindowTitle(QStringLiteral("QLNX"));
    QFont formFont(QStringLiteral("ＭＳ Ｐゴシック"));
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

    CreateMenu();

    m_lyricsForm->setAttribute(Qt::WA_ShowWithoutActivating);
    m_lyricsForm->SetMainForm(this, [this] { return m_lyricsFormSyncMode; });
    connect(m_lyricsForm, &TLyricsForm::CloseClick, this, [this] { SetLyricsFormMode(1); });

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
    m_forwardButton->installEventFilter(this);
    m_backButton->installEventFilter(this);
}

void TQLNXMainForm::CreateMenu()
{
    const auto addCheck = [this](QMenu* menu, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setCheckable(true);
        return action;
    };
    // The menu flips a check mark before it reports the click; the handlers own the toggle,
    // so the mark is put back first.
    const auto onToggle = [this](QAction* action, auto handler) {
        connect(action, &QAction::triggered, this, [this, action, handler] {
            action->setChecked(!action->isChecked());
            handler();
        });
    };
    TPlaybackController* c = m_controller;
    const auto option = [this](TPlayOption o) -> QAction*& {
        return m_optionActions[std::size_t(o)];
    };
    option(TPlayOption::Repeat1) = addCheck(m_popupMenu, QStringLiteral("Repeat &1"));
    option(TPlayOption::Repeat) = addCheck(m_popupMenu, QStringLiteral("&Repeat"));
    option(TPlayOption::MultiDrive) = addCheck(m_popupMenu, QStringLiteral("&Multi Drive"));
    option(TPlayOption::Shuffle) = addCheck(m_popupMenu, QStringLiteral("&Shuffle"));
    option(TPlayOption::StopAtClose) = addCheck(m_popupMenu, QStringLiteral("Stop at &Close"));
    onToggle(option(TPlayOption::Repeat1), [c] { c->OptRepeat1Click(); });
    onToggle(option(TPlayOption::Repeat), [c] { c->OptRepeatClick(); });
    onToggle(option(TPlayOption::MultiDrive), [c] { c->OptMultiDriveClick(); });
    onToggle(option(TPlayOption::Shuffle), [c] { c->OptShuffleClick(); });
    onToggle(option(TPlayOption::StopAtClose), [c] { c->OptStopAtCloseClick(); });
    // Until settings are stored, a start gets the stored defaults.
    option(TPlayOption::Repeat)->setChecked(true);
    option(TPlayOption::StopAtClose)->setChecked(true);
    m_popupMenu->addSeparator();

    m_optStayOnTop = addCheck(m_popupMenu, QStringLiteral("Stay on &Top"));
    onToggle(m_optStayOnTop, [this] { OptStayOnTopClick(); });

    QMenu* lyricsForm = m_popupMenu->addMenu(QStringLiteral("L&yrics Form"));
    const QStringList modes{QStringLiteral("O&n"), QStringLiteral("O&ff"),
                            QStringLiteral("&Depend")};
    for (int i = 0; i < 3; ++i) {
        m_lyricsFormModeActions[std::size_t(i)] = addCheck(lyricsForm, modes[i]);
        onToggle(m_lyricsFormModeActions[std::size_t(i)], [this, i] { SetLyricsFormMode(i); });
    }
    QMenu* lyricsSync = m_popupMenu->addMenu(QStringLiteral("L&yrics Form Sync"));
    const QStringList syncs{QStringLiteral("&None"), QStringLiteral("Bottom - &Center"),
                            QStringLiteral("Bottom - &Left"), QStringLiteral("Bottom - &Right")};
    for (int i = 0; i < 4; ++i) {
        m_lyricsFormSyncActions[std::size_t(i)] = addCheck(lyricsSync, syncs[i]);
        onToggle(m_lyricsFormSyncActions[std::size_t(i)], [this, i] { SetLyricsFormSync(i); });
    }
    QMenu* trackNumber = m_popupMenu->addMenu(QStringLiteral("Track &Number"));
    const QStringList styles{QStringLiteral("&None"), QStringLiteral("n."), QStringLiteral("[n]"),
                             QStringLiteral("<n>")};
    for (int i = 0; i < 4; ++i) {
        m_trackNumberActions[std::size_t(i)] = addCheck(trackNumber, styles[i]);
        onToggle(m_trackNumberActions[std::size_t(i)],
                 [this, i] { SetTrackNumberStyle(TTrackNumberStyle(i)); });
    }
    m_trackNumberActions[0]->setChecked(true);

    QMenu* gauge = m_popupMenu->addMenu(QStringLiteral("Time &Gauge"));
    const auto chooseColor = [this](TColor current, auto apply) {
        const QColor chosen = QColorDialog::getColor(ResolveColor(current, palette()), this);
        if (chosen.isValid())
            apply(ColorFromQColor(chosen));
    };
    connect(gauge->addAction(QStringLiteral("&Fore Color")), &QAction::triggered, this,
            [this, chooseColor] {
                chooseColor(m_curTimeGauge->ForeColor(),
                            [this](TColor color) { m_curTimeGauge->SetForeColor(color); });
            });
    connect(gauge->addAction(QStringLiteral("&Back Color")), &QAction::triggered, this,
            [this, chooseColor] {
                chooseColor(m_curTimeGauge->BackColor(),
                            [this](TColor color) { m_curTimeGauge->SetBackColor(color); });
            });
    gauge->addSeparator();
    m_optTimeGaugeInvText = addCheck(gauge, QStringLiteral("&Invert Text"));
    onToggle(m_optTimeGaugeInvText, [this] {
        m_optTimeGaugeInvText->setChecked(!m_optTimeGaugeInvText->isChecked());
        m_curTimeGauge->SetInvertText(m_optTimeGaugeInvText->isChecked());
    });

    connect(m_popupMenu->addAction(QStringLiteral("&Font")), &QAction::triggered, this,
            &TQLNXMainForm::ChangeFontClick);
    m_popupMenu->addSeparator();
    connect(m_popupMenu->addAction(QStringLiteral("Minimi&ze")), &QAction::triggered, this,
            &QWidget::showMinimized);
    connect(m_popupMenu->addAction(QStringLiteral("E&xit")), &QAction::triggered, this,
            &QWidget::close);
    connect(m_popupMenu, &QMenu::aboutToShow, this, &TQLNXMainForm::PopupMenuPopup);
}

void TQLNXMainForm::PopupMenuPopup()
{
    // The editors' items are enabled here while a disc is loaded; they come with the editors.
}

QAction& TQLNXMainForm::OptionAction(TPlayOption option)
{
    return *m_optionActions[std::size_t(option)];
}

void TQLNXMainForm::SetErrorReporter(std::function<void(const QString&)> reporter)
{
    m_errorReporter = std::move(reporter);
}

void TQLNXMainForm::FormCreate(std::optional<quint32> seed)
{
    // First start: the top-left corner at the smallest size, the lyrics window right under it,
    // shown only for tracks with lyrics.
    move(0, 0);
    resize(minimumSize());
    m_lyricsForm->move(0, frameGeometry().bottom() + 1);
    m_lyricsForm->resize(m_lyricsForm->minimumSize());

    // Size increments reach the window manager only when set between creating the native
    // window and showing it; they let it offer the snapped heights only (even ones for the
    // lyrics window).
    winId();
    setBaseSize(0, m_playButton->height() + 8);
    setSizeIncrement(1, 4);
    m_lyricsForm->winId();
    m_lyricsForm->setBaseSize(0, 0);
    m_lyricsForm->setSizeIncrement(1, 2);
    SetLyricsFormMode(2);
    SetLyricsFormSync(0);
    show();
    LayoutMainWindow();
    m_lyricsForm->PlaceMainForm();
    m_lyricsForm->LayoutPanels();
    UpdateComboMetrics();
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
        Delegate(*combo).ItemHeight = metrics.ItemHeight;
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
    const int snapped = SnapMainHeight(height(), 0, m_playButton->height());
    if (snapped != height()) {
        resize(width(), snapped);
        return;
    }
    LayoutMainWindow();
}

void TQLNXMainForm::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    if (isVisible())
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
    m_popupMenu->popup(event->globalPos());
}

void TQLNXMainForm::closeEvent(QCloseEvent* event)
{
    m_controller->FormClose();
    m_lyricsForm->hide();
    QWidget::closeEvent(event);
}

bool TQLNXMainForm::SeekButtonEvent(QPushButton* button, QEvent* event)
{
    const int direction = button == m_forwardButton ? 1 : -1;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_controller->SeekButtonMouseDown(static_cast<QMouseEvent*>(event)->button(), direction);
        break;
    case QEvent::MouseButtonRelease:
        m_controller->SeekButtonMouseUp(static_cast<QMouseEvent*>(event)->button());
        break;
    case QEvent::KeyPress:
        m_controller->SeekButtonKeyDown(static_cast<QKeyEvent*>(event)->key(), direction);
        break;
    case QEvent::KeyRelease: {
        // A held key sends release and press pairs while it repeats; only the real release
        // ends the hold.
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            m_controller->SeekButtonKeyUp(key->key());
        break;
    }
    default:
        break;
    }
    return false;
}

bool TQLNXMainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_forwardButton || watched == m_backButton)
        return SeekButtonEvent(static_cast<QPushButton*>(watched), event);
    if (watched == m_artistPanel)
        m_drag.HandleMouse(*this, *event);
    return QWidget::eventFilter(watched, event);
}

// --- Lyrics window ----------------------------------------------------------------------------

void TQLNXMainForm::SetLyricsFormMode(int mode)
{
    m_lyricsFormMode = mode;
    for (QAction* action : m_lyricsFormModeActions)
        action->setChecked(false);
    switch (mode) {
    case 0:
        m_lyricsFormModeActions[0]->setChecked(true);
        m_lyricsForm->show();
        break;
    case 1:
        m_lyricsFormModeActions[1]->setChecked(true);
        m_lyricsForm->hide();
        break;
    case 2:
        m_lyricsFormModeActions[2]->setChecked(true);
        UpdateLyricsFormVisibility();
        break;
    default:
        break;
    }
}

void TQLNXMainForm::UpdateLyricsFormVisibility()
{
    if (!m_lyricsFormModeActions[2]->isChecked())
        return;
    m_lyricsForm->setVisible(DependShowsLyricsForm(m_model, m_controller->OrderIndex()));
}

void TQLNXMainForm::SetLyricsFormSync(int mode)
{
    m_lyricsFormSyncMode = mode;
    for (std::size_t i = 0; i < m_lyricsFormSyncActions.size(); ++i)
        m_lyricsFormSyncActions[i]->setChecked(int(i) == mode);
    if (mode >= 1 && mode <= 3)
        PlaceLyricsForm();
}

void TQLNXMainForm::PlaceLyricsForm()
{
    const auto place = LyricsFormPosition(m_lyricsFormSyncMode, frameGeometry(),
                                          m_lyricsForm->frameGeometry().width());
    if (place && *place != m_lyricsForm->pos())
        m_lyricsForm->move(*place);
}

void TQLNXMainForm::OptStayOnTopClick()
{
    m_optStayOnTop->setChecked(!m_optStayOnTop->isChecked());
    SetStayOnTop(*m_lyricsForm, m_optStayOnTop->isChecked());
    SetStayOnTop(*this, m_optStayOnTop->isChecked());
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

// --- Track list --------------------------------------------------------------------------------

QString TQLNXMainForm::TrackItem(TTrackNumberStyle style, int track, const QString& name)
{
    switch (style) {
    case TTrackNumberStyle::Simple:
        return QString::number(track) + u'.' + name;
    case TTrackNumberStyle::Brackets1:
        return u'[' + QString::number(track) + u']' + name;
    case TTrackNumberStyle::Brackets2:
        return u'<' + QString::number(track) + u'>' + name;
    case TTrackNumberStyle::None:
        break;
    }
    return name;
}

void TQLNXMainForm::SetTrackNumberStyle(TTrackNumberStyle style)
{
    m_trackNumberStyle = style;
    for (std::size_t i = 0; i < m_trackNumberActions.size(); ++i)
        m_trackNumberActions[i]->setChecked(int(i) == int(style));
    const int selected = m_trackCombo->currentIndex();
    FillTrackList();
    m_trackCombo->setCurrentIndex(selected);
    ShowCurrentTrack();
}

// --- Display operations -----------------------------------------------------------------------

void TQLNXMainForm::ResetDisplay()
{
    setWindowTitle(ProductName);
    m_artistPanel->SetCaption(QString());
    SetPanelText(*m_titlePanel, QStringLiteral("Please wait..."));
    m_trackPanel->SetCaption(QString());
    m_trackCombo->clear();
    m_curTimeGauge->SetText(QString());
    m_curTimeGauge->SetProgress(0);
    m_trackPanel->setToolTip(QString());
    m_curTimeGauge->setToolTip(QString());
    m_lyricsForm->CurLyricsPanel().SetCaption(QString());
    m_lyricsForm->NextLyricsPanel().SetCaption(QString());
    UpdateLyricsFormVisibility();
    repaint();
    if (m_lyricsForm->isVisible())
        m_lyricsForm->repaint();
}

void TQLNXMainForm::FillTrackList()
{
    m_trackCombo->clear();
    for (int i = 0; i < m_model.OrderCount(); ++i) {
        const int track = m_model.PlayOrder()[std::size_t(i)];
        m_trackCombo->addItem(TrackItem(m_trackNumberStyle, track, m_model.Tracks(track).Name));
    }
    m_trackCombo->setMaxVisibleItems(std::max(1, m_model.OrderCount()));
}

void TQLNXMainForm::ShowCurrentTrack()
{
    if (m_model.DiscID() == 0)
        return;
    const int index = m_controller->OrderIndex();
    if (index < 1 || index > m_trackCombo->count())
        return;
    const QString item = m_trackCombo->itemText(index - 1);
    setWindowTitle(item + QStringLiteral(" - ") + m_artistPanel->Caption());
    SetPanelText(*m_trackPanel, item);
    const int track = m_model.PlayOrder()[std::size_t(index - 1)];
    const TTrackData& length = m_model.Tracks(track);
    m_trackPanel->setToolTip(QStringLiteral("Track %1/%2").arg(track).arg(m_model.TrackCount()));
    m_curTimeGauge->SetMaxValue(length.LengthMin * 60 + length.LengthSec);
    m_curTimeGauge->setToolTip(FormatMinSec(length.LengthMin, length.LengthSec));
    m_trackCombo->setCurrentIndex(index - 1);
    UpdateLyricsFormVisibility();
    repaint();
}

void TQLNXMainForm::ShowPosition(quint32 tmsf)
{
    SyncPosition(m_model, m_controller->OrderIndex(), tmsf, *this);
}

QString TQLNXMainForm::TitlePanelText() const
{
    return m_titlePanel->Caption();
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

int TQLNXMainForm::GaugeProgress() const
{
    return m_curTimeGauge->Progress();
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

bool TQLNXMainForm::OptionChecked(TPlayOption option) const
{
    return m_optionActions[std::size_t(option)]->isChecked();
}

void TQLNXMainForm::SetOptionChecked(TPlayOption option, bool checked)
{
    m_optionActions[std::size_t(option)]->setChecked(checked);
}

void TQLNXMainForm::SetOptionEnabled(TPlayOption option, bool enabled)
{
    m_optionActions[std::size_t(option)]->setEnabled(enabled);
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

void TQLNXMainForm::SetGaugeProgress(int progress)
{
    m_curTimeGauge->SetProgress(progress);
}

void TQLNXMainForm::SetGaugeText(const QString& text)
{
    m_curTimeGauge->SetText(text);
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
