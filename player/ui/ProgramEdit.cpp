#include "ui/ProgramEdit.h"

#include <algorithm>
#include <iterator>

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "controls/FontName.h"
#include "controls/ListBox.h"

namespace qlnx {

namespace {

constexpr int TrackRole = Qt::UserRole;

QPushButton* MakeButton(const QString& caption, QWidget* parent, int left, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(left, top, 65, 25);
    // Enter belongs to the lists; no button is ever the default.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TProgramEditForm::TProgramEditForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint),
      m_trackList(MakeListBox(this, 12)), m_orderList(MakeListBox(this, 12)),
      m_okButton(MakeButton(QStringLiteral("OK"), this, 336, 216)),
      m_cancelButton(MakeButton(QStringLiteral("Cancel"), this, 408, 216)),
      m_upButton(MakeButton(QStringLiteral("Up"), this, 480, 88)),
      m_downButton(MakeButton(QStringLiteral("Down"), this, 480, 120)),
      m_resetButton(MakeButton(QStringLiteral("Reset"), this, 208, 120)),
      m_clearButton(MakeButton(QStringLiteral("Clear"), this, 208, 152)),
      m_addButton(MakeButton(QStringLiteral("Add ->"), this, 208, 56)),
      m_delButton(MakeButton(QStringLiteral("<- Del"), this, 208, 88))
{
    setWindowTitle(QStringLiteral("Program"));
    setModal(true);
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    setFixedSize(553, 249);

    (new QLabel(QStringLiteral("Track List"), this))->move(8, 8);
    (new QLabel(QStringLiteral("Order List"), this))->move(280, 8);
    m_trackList->setGeometry(8, 24, 193, 185);
    m_orderList->setGeometry(280, 24, 193, 185);

    QWidget* const order[] = {m_trackList, m_orderList,  m_okButton,    m_cancelButton,
                              m_upButton,  m_downButton, m_resetButton, m_clearButton,
                              m_addButton, m_delButton};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    m_trackList->installEventFilter(this);
    m_orderList->installEventFilter(this);
    connect(m_trackList, &QListWidget::itemDoubleClicked, this, &TProgramEditForm::AddClick);
    connect(m_orderList, &QListWidget::itemDoubleClicked, this, &TProgramEditForm::DelClick);
    connect(m_addButton, &QPushButton::clicked, this, &TProgramEditForm::AddClick);
    connect(m_delButton, &QPushButton::clicked, this, &TProgramEditForm::DelClick);
    connect(m_upButton, &QPushButton::clicked, this, &TProgramEditForm::UpClick);
    connect(m_downButton, &QPushButton::clicked, this, &TProgramEditForm::DownClick);
    connect(m_resetButton, &QPushButton::clicked, this, &TProgramEditForm::ResetClick);
    connect(m_clearButton, &QPushButton::clicked, this, &TProgramEditForm::ClearClick);
    connect(m_okButton, &QPushButton::clicked, this, &TProgramEditForm::OkClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TProgramEditForm::Fill(const QStringList& trackNames, std::span<const quint8> program,
                            int currentTrack)
{
    m_trackList->clear();
    m_trackList->addItems(trackNames);
    SelectRow(*m_trackList, currentTrack - 1);
    m_orderList->clear();
    int current = -1;
    for (const quint8 track : program) {
        if (current < 0 && track == currentTrack)
            current = m_orderList->count();
        AppendTrack(track);
    }
    SelectRow(*m_orderList, current);
    OrderChanged();
}

std::vector<quint8> TProgramEditForm::Program() const
{
    std::vector<quint8> program;
    for (int i = 0; i < m_orderList->count(); ++i)
        program.push_back(quint8(m_orderList->item(i)->data(TrackRole).toInt()));
    return program;
}

void TProgramEditForm::AppendTrack(int track)
{
    const QListWidgetItem* source = m_trackList->item(track - 1);
    auto* line = new QListWidgetItem(source ? source->text() : QString());
    line->setData(TrackRole, track);
    m_orderList->addItem(line);
}

void TProgramEditForm::FillDiscOrder()
{
    m_orderList->clear();
    for (int track = 1; track <= m_trackList->count(); ++track)
        AppendTrack(track);
}

void TProgramEditForm::OrderChanged()
{
    m_addButton->setEnabled(m_orderList->count() < MaxLines);
}

void TProgramEditForm::AddClick()
{
    const int row = SelectedRow(*m_trackList);
    if (row < 0 || m_orderList->count() >= MaxLines)
        return;
    AppendTrack(row + 1);
    SelectRow(*m_orderList, m_orderList->count() - 1);
    OrderChanged();
}

void TProgramEditForm::DelClick()
{
    const int row = SelectedRow(*m_orderList);
    if (row < 0)
        return;
    delete m_orderList->takeItem(row);
    // The line that moved into the gap, else the new last one.
    SelectRow(*m_orderList, std::min(row, m_orderList->count() - 1));
    OrderChanged();
}

void TProgramEditForm::SwapWithNext(int row)
{
    QListWidgetItem* line = m_orderList->takeItem(row + 1);
    m_orderList->insertItem(row, line);
}

void TProgramEditForm::UpClick()
{
    const int row = SelectedRow(*m_orderList);
    if (row < 1)
        return;
    SwapWithNext(row - 1);
    SelectRow(*m_orderList, row - 1);
}

void TProgramEditForm::DownClick()
{
    const int row = SelectedRow(*m_orderList);
    if (row < 0 || row + 1 >= m_orderList->count())
        return;
    SwapWithNext(row);
    SelectRow(*m_orderList, row + 1);
}

void TProgramEditForm::ResetClick()
{
    FillDiscOrder();
    SelectRow(*m_orderList, SelectedRow(*m_trackList));
    OrderChanged();
}

void TProgramEditForm::ClearClick()
{
    m_orderList->clear();
    OrderChanged();
}

void TProgramEditForm::OkClick()
{
    // An empty programme would leave nothing to play: it becomes the disc order.
    if (m_orderList->count() == 0)
        FillDiscOrder();
    accept();
}

bool TProgramEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (enter && watched == m_trackList) {
            if (!key.modifiers().testFlag(Qt::ControlModifier))
                AddClick();
            return true;
        }
        if (enter && watched == m_orderList) {
            DelClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qlnx
