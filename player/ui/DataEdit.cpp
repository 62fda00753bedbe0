#include "ui/DataEdit.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "controls/FontName.h"
#include "controls/ListBox.h"
#include "disc/DiscDataFile.h"

namespace qlnx {

namespace {

bool IsEnter(const QKeyEvent& key)
{
    return key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
}

// Ctrl+Enter confirms the dialog from the fields where plain Enter only moves on.
bool IsCtrlEnter(const QKeyEvent& key)
{
    return IsEnter(key) && key.modifiers().testFlag(Qt::ControlModifier);
}

bool IsPlain(const QKeyEvent& key)
{
    return !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
}

QLineEdit* MakeEdit(QWidget* parent, int top)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(8, top, 193, 20);
    return edit;
}

QPushButton* MakeButton(const QString& caption, QWidget* parent, int left)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(left, 336, 65, 25);
    // Enter must never close the dialog, also while a button has the focus.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

} // namespace

TDataEditForm::TDataEditForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint),
      m_artistEdit(MakeEdit(this, 24)), m_titleEdit(MakeEdit(this, 64)),
      m_trackEdit(MakeEdit(this, 104)), m_trackList(MakeListBox(this, 12)),
      m_okButton(MakeButton(QStringLiteral("OK"), this, 64)),
      m_cancelButton(MakeButton(QStringLiteral("Cancel"), this, 136))
{
    setWindowTitle(QStringLiteral("Data Edit"));
    setModal(true);
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    setFixedSize(209, 369);

    const QString captions[] = {QStringLiteral("Artist"), QStringLiteral("Title"),
                                QStringLiteral("Track"), QStringLiteral("Track list")};
    for (int i = 0; i < 4; ++i)
        (new QLabel(captions[i], this))->move(8, 8 + 40 * i);
    m_trackList->setGeometry(8, 144, 193, 185);

    setTabOrder(m_artistEdit, m_titleEdit);
    setTabOrder(m_titleEdit, m_trackEdit);
    setTabOrder(m_trackEdit, m_trackList);
    setTabOrder(m_trackList, m_okButton);
    setTabOrder(m_okButton, m_cancelButton);

    for (QWidget* watched :
         {static_cast<QWidget*>(m_artistEdit), static_cast<QWidget*>(m_titleEdit),
          static_cast<QWidget*>(m_trackEdit), static_cast<QWidget*>(m_trackList)})
        watched->installEventFilter(this);
    connect(m_trackList, &QListWidget::currentRowChanged, this, &TDataEditForm::ShowSelectedLine);
    connect(m_trackList, &QListWidget::itemClicked, this, &TDataEditForm::ShowSelectedLine);
    connect(m_okButton, &QPushButton::clicked, this, &TDataEditForm::OkClick);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TDataEditForm::Fill(const QString& artist, const QString& title, const QStringList& trackNames,
                         int selectedLine)
{
    m_artistEdit->setText(artist);
    m_titleEdit->setText(title);
    m_trackList->clear();
    m_trackList->addItems(trackNames);
    SelectRow(*m_trackList, selectedLine);
    ShowSelectedLine();
    m_artistEdit->setFocus();
}

void TDataEditForm::SetErrorReporter(std::function<void(const QString&)> reporter)
{
    m_errorReporter = std::move(reporter);
}

QString TDataEditForm::Artist() const
{
    return m_artistEdit->text();
}

QString TDataEditForm::Title() const
{
    return m_titleEdit->text();
}

QStringList TDataEditForm::TrackNames() const
{
    QStringList names;
    for (int i = 0; i < m_trackList->count(); ++i)
        names.append(m_trackList->item(i)->text());
    return names;
}

bool TDataEditForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_trackEdit) {
        // Every way into the track box shows the selected title, every way out keeps what
        // was typed, clicking OK included.
        if (event->type() == QEvent::FocusIn)
            ShowSelectedLine();
        else if (event->type() == QEvent::FocusOut)
            StoreTrack();
    }
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (watched == m_trackEdit)
        return TrackEditKey(key);
    if (watched == m_trackList) {
        // Before the key moves the selection; the change that follows shows the new line.
        ShowSelectedLine();
        return FieldKey(key, TEnterMove::Previous);
    }
    if (watched == m_artistEdit || watched == m_titleEdit) {
        if (FieldKey(key, TEnterMove::Next))
            return true;
        if (IsPlain(key) && (key.key() == Qt::Key_Up || key.key() == Qt::Key_Down)) {
            focusNextPrevChild(key.key() == Qt::Key_Down);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TDataEditForm::FieldKey(const QKeyEvent& key, TEnterMove enter)
{
    if (IsCtrlEnter(key)) {
        OkClick();
        return true;
    }
    if (!IsEnter(key))
        return false;
    focusNextPrevChild(enter == TEnterMove::Next);
    return true;
}

bool TDataEditForm::TrackEditKey(const QKeyEvent& key)
{
    if (IsCtrlEnter(key)) {
        StoreTrack();
        OkClick();
        return true;
    }
    if (IsEnter(key) || (IsPlain(key) && key.key() == Qt::Key_Down)) {
        MoveLine(true);
        return true;
    }
    if (IsPlain(key) && key.key() == Qt::Key_Up) {
        MoveLine(false);
        return true;
    }
    return false;
}

void TDataEditForm::StoreTrack()
{
    const int row = SelectedRow(*m_trackList);
    if (row >= 0)
        m_trackList->item(row)->setText(m_trackEdit->text());
}

void TDataEditForm::LoadTrack()
{
    ShowSelectedLine();
    m_trackEdit->selectAll();
}

void TDataEditForm::ShowSelectedLine()
{
    const int row = SelectedRow(*m_trackList);
    m_trackEdit->setText(row >= 0 ? m_trackList->item(row)->text() : QString());
}

void TDataEditForm::MoveLine(bool forward)
{
    StoreTrack();
    const int count = m_trackList->count();
    if (count == 0)
        return;
    const int row = SelectedRow(*m_trackList);
    int next = 0;
    if (forward)
        next = row + 1 < count ? row + 1 : 0;
    else
        next = row > 0 ? row - 1 : count - 1;
    SelectRow(*m_trackList, next);
    LoadTrack();
}

void TDataEditForm::OkClick()
{
    if (m_trackEdit->hasFocus())
        StoreTrack();
    if (CheckTexts())
        accept();
}

bool TDataEditForm::CheckTexts()
{
    // A pasted line break would end the value in the file and start a section of its own.
    for (QLineEdit* edit : {m_artistEdit, m_titleEdit}) {
        if (const QString line = OneLineValue(edit->text()); line != edit->text())
            edit->setText(line);
    }
    for (int i = 0; i < m_trackList->count(); ++i)
        m_trackList->item(i)->setText(OneLineValue(m_trackList->item(i)->text()));

    QString field;
    QString value;
    if (ReadsAsSectionHeader(m_artistEdit->text())) {
        field = QStringLiteral("Artist");
        value = m_artistEdit->text();
        m_artistEdit->setFocus();
    } else if (ReadsAsSectionHeader(m_titleEdit->text())) {
        field = QStringLiteral("Title");
        value = m_titleEdit->text();
        m_titleEdit->setFocus();
    } else {
        for (int i = 0; i < m_trackList->count() && field.isEmpty(); ++i) {
            if (!ReadsAsSectionHeader(m_trackList->item(i)->text()))
                continue;
            field = QStringLiteral("Track %1").arg(i + 1);
            value = m_trackList->item(i)->text();
            SelectRow(*m_trackList, i);
            m_trackEdit->setFocus();
            LoadTrack();
        }
    }
    if (field.isEmpty())
        return true;
    const QString message = HeaderValueMessage(field, value);
    if (m_errorReporter)
        m_errorReporter(message);
    else
        QMessageBox::warning(this, windowTitle(), message);
    return false;
}

} // namespace qlnx
