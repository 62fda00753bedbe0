#include "lyricsui/LyricsEdit.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "controls/FontName.h"
#include "disc/DiscModel.h"
#include "lyricsui/TimeField.h"

namespace qlnx {

namespace {

// Design size of the client area: the 536 x 559 window less its sizing frame and small caption.
constexpr int DesignWidth = 528;
constexpr int DesignHeight = 534;
// The design minimum of 400 wide, less the frame. The height is what the button column needs
// down to Find Online, with OK and Cancel kept below it at their distance from the bottom edge.
constexpr int MinimumWidth = 392;
constexpr int MinimumHeight = 396;
constexpr int GridLineWidth = 1;
constexpr int FieldHeight = 20;
constexpr int ButtonWidth = 65;
constexpr int ButtonHeight = 25;
// The button column's distance from the right edge; OK's and Cancel's from the bottom edge.
constexpr int ButtonRight = DesignWidth - 456;
constexpr int OkBottom = DesignHeight - 467;
constexpr int CancelBottom = DesignHeight - 499;

// The grid shows vertical lines between the columns only.
class TVerticalLineDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell = option;
        cell.rect.adjust(0, 0, -GridLineWidth, 0);
        QStyledItemDelegate::paint(painter, cell, index);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Mid));
        painter->drawLine(option.rect.topRight(), option.rect.bottomRight());
        painter->restore();
    }
};

bool IsEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// A caption longer than the column's buttons are wide gets the largest font, down to 8 px,
// that fits inside the button's frame, rather than being cut off at both ends.
void FitCaption(QPushButton& button, int width)
{
    const int room = width - 2 * button.style()->pixelMetric(QStyle::PM_ButtonMargin) - 4;
    QFont font = button.font();
    if (font.pixelSize() <= 0)
        return;
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(button.text()) > room)
        font.setPixelSize(font.pixelSize() - 1);
    button.setFont(font);
}

} // namespace

TLyricsEditForm::TLyricsEditForm(TDiscModel& model, QWidget* parent)
    : QDialog(parent, Qt::Tool), m_model(model), m_trackCombo(new QComboBox(this)),
      m_bevel2(new QFrame(this)), m_bevel1(new QFrame(this)),
      m_minEdit(new TTimeEdit(MinutesMaximum, false, this)), m_minUpDown(new TUpDown(this)),
      m_secEdit(new TTimeEdit(SecondsMaximum, true, this)), m_secUpDown(new TUpDown(this)),
      m_lyricsEdit(new QLineEdit(this)), m_lyricsGrid(new QTableWidget(this)),
      m_replaceButton(MakeButton(QStringLiteral("Replace"))),
      m_clearButton(MakeButton(QStringLiteral("Clear"))),
      m_insertButton(MakeButton(QStringLiteral("Insert"))),
      m_deleteButton(MakeButton(QStringLiteral("Delete"))),
      m_getTimeButton(MakeButton(QStringLiteral("Get Time"))),
      m_okButton(MakeButton(QStringLiteral("OK"))),
      m_cancelButton(MakeButton(QStringLiteral("Cancel"))),
      m_importButton(MakeButton(QStringLiteral("Import..."))),
      m_exportButton(MakeButton(QStringLiteral("Export..."))),
      m_findOnlineButton(MakeButton(QStringLiteral("Find Online...")))
{
    FormCreate();
}

QPushButton* TLyricsEditForm::MakeButton(const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    // Enter belongs to the text field and the grid, never to a button.
    button->setAutoDefault(false);
    return button;
}

void TLyricsEditForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Lyrics Edit"));
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    FitCaption(*m_findOnlineButton, ButtonWidth);
    setMinimumSize(MinimumWidth, MinimumHeight);
    resize(DesignWidth, DesignHeight);

    for (QFrame* bevel : {m_bevel2, m_bevel1}) {
        bevel->setFrameShape(QFrame::HLine);
        bevel->setFrameShadow(QFrame::Sunken);
    }
    m_minEdit->setObjectName(QStringLiteral("MinEdit"));
    m_secEdit->setObjectName(QStringLiteral("SecEdit"));
    connect(m_minUpDown, &TUpDown::Stepped, m_minEdit, &TTimeEdit::Step);
    connect(m_secUpDown, &TUpDown::Stepped, m_secEdit, &TTimeEdit::Step);

    QTableWidget* grid = m_lyricsGrid;
    grid->setColumnCount(3);
    grid->setRowCount(1);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setMinimumSectionSize(1);
    // 4 pixels more than the character height of the grid's font.
    grid->verticalHeader()->setDefaultSectionSize(4 + formFont.pixelSize());
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setMinimumSectionSize(1);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setShowGrid(false);
    grid->setItemDelegate(new TVerticalLineDelegate(grid));
    grid->setWordWrap(false);
    grid->setTabKeyNavigation(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    SetCell(0, 0, QStringLiteral("00"));
    SetCell(1, 0, QStringLiteral("00"));
    SetCell(2, 0, QString());
    // The fields follow the selected row whenever its index changes, however it is moved.
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    RowToEdit(current.row());
            });

    PlaceComponents();
    // Each column stands under its field (and the field's arrows): the distance to the next
    // field less the line and one pixel, 38 with the design values. A section here holds its
    // line too.
    grid->setColumnWidth(0, m_secEdit->x() - m_minEdit->x() - 1);
    grid->setColumnWidth(1, m_lyricsEdit->x() - m_secEdit->x() - 1);
    grid->setColumnWidth(2, m_lyricsEdit->width() + GridLineWidth);

    const QList<QWidget*> order{m_trackCombo,      m_minEdit,      m_minUpDown,    m_secEdit,
                                m_secUpDown,       m_lyricsEdit,   m_lyricsGrid,   m_replaceButton,
                                m_clearButton,     m_insertButton, m_deleteButton, m_getTimeButton,
                                m_okButton,        m_cancelButton, m_importButton, m_exportButton,
                                m_findOnlineButton};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));

    m_lyricsEdit->installEventFilter(this);
    m_lyricsGrid->installEventFilter(this);
    connect(m_trackCombo, &QComboBox::currentIndexChanged, this,
            &TLyricsEditForm::TrackComboChange);
    connect(m_replaceButton, &QPushButton::clicked, this, &TLyricsEditForm::ReplaceButtonClick);
    connect(m_clearButton, &QPushButton::clicked, this, [this] { ClearRow(SelectedRow()); });
    connect(m_insertButton, &QPushButton::clicked, this, [this] { InsertRow(SelectedRow()); });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] { DeleteRow(SelectedRow()); });
    connect(m_getTimeButton, &QPushButton::clicked, this, &TLyricsEditForm::GetTimeButtonClick);
    connect(m_okButton, &QPushButton::clicked, this, &TLyricsEditForm::OkButtonClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_importButton, &QPushButton::clicked, this, &TLyricsEditForm::ImportButtonClick);
    connect(m_exportButton, &QPushButton::clicked, this, &TLyricsEditForm::ExportButtonClick);
    connect(m_findOnlineButton, &QPushButton::clicked, this,
            &TLyricsEditForm::FindOnlineButtonClick);

    m_openDialog = [](QWidget& parent, const QString& suggested) {
        return QFileDialog::getOpenFileName(&parent, QStringLiteral("Import"), suggested,
                                            QStringLiteral("LRC (*.lrc);;All files (*)"));
    };
    m_saveDialog = [](QWidget& parent, const QString& suggested) {
        return QFileDialog::getSaveFileName(&parent, QStringLiteral("Export"), suggested,
                                            QStringLiteral("LRC (*.lrc);;All files (*)"));
    };
}

void TLyricsEditForm::PlaceComponents()
{
    const int w = width();
    const int h = height();
    m_trackCombo->setGeometry(8, 8, w - (DesignWidth - 442), FieldHeight);
    m_bevel2->setGeometry(8, 41, w - 16, 2);
    m_bevel1->setGeometry(8, 81, w - 16, 2);
    m_minEdit->setGeometry(8, 48, 25, FieldHeight);
    m_minUpDown->setGeometry(33, 48, 16, FieldHeight);
    m_secEdit->setGeometry(48, 48, 25, FieldHeight);
    m_secUpDown->setGeometry(73, 48, 16, FieldHeight);
    m_lyricsEdit->setGeometry(88, 48, w - (DesignWidth - 360), FieldHeight);
    m_lyricsGrid->setGeometry(8, 88, w - (DesignWidth - 440), h - (DesignHeight - 438));
    const int left = w - ButtonRight;
    const std::pair<QPushButton*, int> column[] = {
        {m_replaceButton, 48}, {m_clearButton, 88},      {m_insertButton, 120},
        {m_deleteButton, 152}, {m_getTimeButton, 192},   {m_importButton, 232},
        {m_exportButton, 264}, {m_findOnlineButton, 296}};
    for (const auto& [button, top] : column)
        button->setGeometry(left, top, ButtonWidth, ButtonHeight);
    m_okButton->setGeometry(left, h - OkBottom, ButtonWidth, ButtonHeight);
    m_cancelButton->setGeometry(left, h - CancelBottom, ButtonWidth, ButtonHeight);
}

void TLyricsEditForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceComponents();
    m_lyricsGrid->setColumnWidth(2, m_lyricsEdit->width() + GridLineWidth);
}

void TLyricsEditForm::SetErrorReporter(std::function<void(const QString&)> reporter)
{
    m_errorReporter = std::move(reporter);
}

// --- Loading and storing ------------------------------------------------------------------------

void TLyricsEditForm::StartEdit(quint32 discID, int track)
{
    m_editDiscID = discID;
    {
        const QSignalBlocker blocker(m_trackCombo);
        m_trackCombo->clear();
        for (int n = 1; n <= m_model.TrackCount(); ++n)
            m_trackCombo->addItem(m_model.Tracks(n).Name);
        m_trackCombo->setCurrentIndex(track - 1);
    }
    TrackComboChange();
}

void TLyricsEditForm::TrackComboChange()
{
    // Whatever the grid held for the track shown before is dropped.
    m_editTrack = m_trackCombo->currentIndex() + 1;
    LoadGrid();
}

void TLyricsEditForm::LoadGrid()
{
    if (m_editTrack < 1 || m_editTrack > TDiscModel::MaxTracks)
        return;
    LoadRows(m_model.Tracks(m_editTrack).Lyrics);
}

void TLyricsEditForm::LoadRows(const TLyricList& lyrics)
{
    // A grid never has fewer than one row; an empty list shows as the no-lyrics entry.
    const int count = std::max<int>(1, int(lyrics.size()));
    m_lyricsGrid->setRowCount(count);
    for (int r = 0; r < count; ++r) {
        const TLyricRow row = r < lyrics.size() ? RowFromEntry(lyrics.at(r)) : RowFromEntry({});
        SetCell(0, r, row.Minutes);
        SetCell(1, r, row.Seconds);
        SetCell(2, r, row.Text);
    }
    // Selecting the row already selected announces nothing, so the fields are filled here.
    SelectRow(0);
    RowToEdit(0);
    m_lyricsEdit->setFocus();
}

QList<TLyricRow> TLyricsEditForm::Rows() const
{
    QList<TLyricRow> rows;
    for (int r = 0; r < m_lyricsGrid->rowCount(); ++r)
        rows.append({Cell(0, r), Cell(1, r), Cell(2, r)});
    return rows;
}

bool TLyricsEditForm::StoreGrid()
{
    // Every row is checked before the list is touched: it is replaced whole or not at all.
    const TRowsToLyrics stored = LyricsFromRows(Rows());
    if (stored.BadRow >= 0) {
        ReportBadRow(stored.BadRow);
        return false;
    }
    m_model.Tracks(m_editTrack).Lyrics = stored.Lyrics;
    return true;
}

void TLyricsEditForm::ReportBadRow(int row)
{
    Report(
        QStringLiteral("%1 行目: 時刻が数値ではありません。何も保存されませんでした").arg(row + 1));
}

void TLyricsEditForm::Report(const QString& message)
{
    if (m_errorReporter)
        m_errorReporter(message);
    else
        QMessageBox::warning(this, windowTitle(), message);
}

bool TLyricsEditForm::Ask(const QString& question)
{
    if (m_question)
        return m_question(question);
    return QMessageBox::question(this, windowTitle(), question) == QMessageBox::Yes;
}

// --- Buttons and keys -------------------------------------------------------------------------

void TLyricsEditForm::ReplaceButtonClick()
{
    const int row = SelectedRow();
    const int n = m_lyricsGrid->rowCount();
    EditToRow(row);
    if (row == n - 1)
        InsertRow(n);
    else
        SelectRow(row + 1);
    m_lyricsEdit->selectAll();
}

void TLyricsEditForm::LyricsEditArrow(int step)
{
    const int row = SelectedRow();
    EditToRow(row);
    const int target = row + step;
    if (target >= 0 && target < m_lyricsGrid->rowCount())
        SelectRow(target);
    m_lyricsEdit->selectAll();
}

bool TLyricsEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == m_lyricsEdit) {
        if (IsEnter(key)) {
            // Ctrl+Enter is a line feed the single-line field cannot hold: swallowed.
            if (!(key.modifiers() & Qt::ControlModifier))
                ReplaceButtonClick();
            return true;
        }
        if (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down) {
            LyricsEditArrow(key.key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    } else if (watched == m_lyricsGrid && IsEnter(key) &&
               !(key.modifiers() & Qt::ControlModifier)) {
        ReplaceButtonClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TLyricsEditForm::GetTimeButtonClick()
{
    if (m_model.DiscID() == m_editDiscID)
        TakeTime(SelectedRow());
}

void TLyricsEditForm::OkButtonClick()
{
    // Another disc came in meanwhile: the grid belongs to none of its tracks.
    if (m_model.DiscID() == m_editDiscID) {
        if (!StoreGrid())
            return;
        Q_EMIT Stored();
    }
    hide();
}

} // namespace qlnx
