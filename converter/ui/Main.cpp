#include "ui/Main.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>

#include "ui/Confirm.h"
#include "ui/DirChooser.h"
#include "ui/LogView.h"
#include "ui/SourceChooser.h"

namespace qlnxdc {

namespace {

// The window was designed for an outer size of 547 x 415 on a desktop whose frames take 8
// pixels across and 27 down; the controls' margins fit this client area.
constexpr int ClientWidth = 539;
constexpr int ClientHeight = 388;
constexpr int MinClientWidth = 400 - 8;
constexpr int MinClientHeight = 314 - 27;

constexpr int BottomPanelHeight = 110;
constexpr int RightPanelWidth = 96;
// Distances kept from the right edge of the bottom panel and the bottom edge of the right one.
constexpr int EditRightMargin = 95;  // 539 - (16 + 428)
constexpr int ReferButtonRight = 80; // 539 - 459
constexpr int ExitButtonBottom = 41; // (388 - 110) - 237

const QString FormFontName = QStringLiteral("ＭＳ Ｐゴシック");
const QString LogFontName = QStringLiteral("ＭＳ ゴシック");

QFrame* NewPanel(QWidget* parent, const QString& name)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

template <typename T> T* Named(T* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

TMainForm::TMainForm(QWidget* parent) : QWidget(parent)
{
    // The font names are those of the Windows originals; the IPA fonts stand in for them.
    QFont::insertSubstitution(FormFontName, QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(LogFontName, QStringLiteral("IPAGothic"));

    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("QLNX Data Converter"));
    QFont font(FormFontName);
    font.setPixelSize(12);
    setFont(font);
    resize(ClientWidth, ClientHeight);
    setMinimumSize(MinClientWidth, MinClientHeight);

    m_bottomPanel = NewPanel(this, QStringLiteral("BottomPanel"));
    m_label1 = Named(new QLabel(QStringLiteral("変換元ファイル"), m_bottomPanel),
                     QStringLiteral("Label1"));
    m_srcFileEdit = Named(new QLineEdit(m_bottomPanel), QStringLiteral("SrcFileEdit"));
    m_srcReferButton = Named(new QPushButton(QStringLiteral("参照"), m_bottomPanel),
                             QStringLiteral("SrcReferButton"));
    m_label2 = Named(new QLabel(QStringLiteral("変換先ディレクトリ"), m_bottomPanel),
                     QStringLiteral("Label2"));
    m_destDirEdit = Named(new QLineEdit(m_bottomPanel), QStringLiteral("DestDirEdit"));
    m_destReferButton = Named(new QPushButton(QStringLiteral("参照"), m_bottomPanel),
                              QStringLiteral("DestReferButton"));

    m_progressEdit = Named(new QTextEdit(this), QStringLiteral("ProgressEdit"));
    m_progressEdit->setReadOnly(true);
    m_progressEdit->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
    m_progressEdit->setLineWrapMode(QTextEdit::NoWrap);
    m_progressEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_progressEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_progressEdit->setUndoRedoEnabled(false);
    m_progressEdit->setAcceptRichText(false);
    QFont logFont(LogFontName);
    logFont.setPixelSize(12);
    logFont.setFixedPitch(true);
    logFont.setStyleHint(QFont::TypeWriter);
    m_progressEdit->setFont(logFont);

    m_rightPanel = NewPanel(this, QStringLiteral("RightPanel"));
    m_convertButton = Named(new QPushButton(QStringLiteral("変換"), m_rightPanel),
                            QStringLiteral("ConvertButton"));
    m_formatRadioGroup = Named(new QGroupBox(QStringLiteral("変換元形式"), m_rightPanel),
                               QStringLiteral("FormatRadioGroup"));
    m_formatButtons = new QButtonGroup(m_formatRadioGroup);
    const QString items[] = {QStringLiteral("旧KVT"), QStringLiteral("Win標準"),
                             QStringLiteral("CDDB")};
    for (int i = 0; i < 3; ++i) {
        auto* item = new QRadioButton(items[i], m_formatRadioGroup);
        item->setGeometry(8, 18 + 22 * i, 70, 17);
        m_formatButtons->addButton(item, i);
    }
    m_exitButton =
        Named(new QPushButton(QStringLiteral("終了"), m_rightPanel), QStringLiteral("ExitButton"));

    m_openDialog = Named(new QFileDialog(this), QStringLiteral("OpenDialog"));
    m_openDialog->setFileMode(QFileDialog::ExistingFile);
    m_openDialog->setAcceptMode(QFileDialog::AcceptOpen);
    // "All files" is "*": here "*.*" would hide every name without a dot, as many are on Linux.
    m_openDialog->setNameFilters({QStringLiteral("旧KVT(*.dat)"), QStringLiteral("Win標準(*.ini)"),
                                  QStringLiteral("全て(*)")});

    m_log = std::make_unique<TLogView>(*m_progressEdit);

    connect(m_srcReferButton, &QPushButton::clicked, this, &TMainForm::SrcReferButtonClick);
    connect(m_destReferButton, &QPushButton::clicked, this, &TMainForm::DestReferButtonClick);
    connect(m_srcFileEdit, &QLineEdit::textChanged, this, &TMainForm::SrcFileEditChange);
    connect(m_destDirEdit, &QLineEdit::textChanged, this, &TMainForm::DestDirEditChange);
    connect(m_convertButton, &QPushButton::clicked, this, &TMainForm::ConvertButtonClick);
    connect(m_exitButton, &QPushButton::clicked, this, &TMainForm::ExitButtonClick);

    LayOut();
    FormCreate();
}

TMainForm::~TMainForm() = default;

TSourceFormat TMainForm::SourceFormat() const
{
    switch (m_formatButtons->checkedId()) {
    case int(TSourceFormat::WinStandard):
        return TSourceFormat::WinStandard;
    case int(TSourceFormat::Cddb):
        return TSourceFormat::Cddb;
    default:
        return TSourceFormat::Kvt;
    }
}

void TMainForm::SetSourceFormat(TSourceFormat format)
{
    m_formatButtons->button(int(format))->setChecked(true);
}

void TMainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOut();
}

// The bottom panel spans the width; the right panel and the log share what is above it.
void TMainForm::LayOut()
{
    const int w = width();
    const int top = height() - BottomPanelHeight;
    m_bottomPanel->setGeometry(0, top, w, BottomPanelHeight);
    m_rightPanel->setGeometry(w - RightPanelWidth, 0, RightPanelWidth, top);
    m_progressEdit->setGeometry(0, 0, w - RightPanelWidth, top);

    const int editWidth = w - 16 - EditRightMargin;
    m_label1->move(16, 8);
    m_label1->adjustSize();
    m_srcFileEdit->setGeometry(16, 24, editWidth, 20);
    m_srcReferButton->setGeometry(w - ReferButtonRight, 24, 65, 25);
    m_label2->move(16, 56);
    m_label2->adjustSize();
    m_destDirEdit->setGeometry(16, 72, editWidth, 20);
    m_destReferButton->setGeometry(w - ReferButtonRight, 72, 65, 25);

    m_convertButton->setGeometry(16, 16, 65, 25);
    // One row of 22 pixels more than the two formats of the original window had.
    m_formatRadioGroup->setGeometry(8, 56, 81, 87);
    m_exitButton->setGeometry(16, top - ExitButtonBottom, 65, 25);
}

void TMainForm::FormCreate()
{
    m_convertButton->setEnabled(false);
    SetSourceFormat(TSourceFormat::Kvt);
    m_log->SetNormalColor(m_progressEdit->palette().color(QPalette::Text));
}

void TMainForm::SrcReferButtonClick()
{
    // A CDDB source may be a folder, which the file dialog cannot choose.
    if (SourceFormat() == TSourceFormat::Cddb) {
        TSourceChooser chooser(this, m_srcFileEdit->text());
        if (chooser.exec() != QDialog::Accepted || chooser.ChosenPath().isEmpty())
            return;
        m_srcFileEdit->setText(chooser.ChosenPath());
        UpdateConvertButton();
        return;
    }
    const QString current = m_srcFileEdit->text();
    if (!current.isEmpty())
        m_openDialog->setDirectory(QFileInfo(current).absolutePath());
    if (m_openDialog->exec() != QDialog::Accepted)
        return;
    const QStringList files = m_openDialog->selectedFiles();
    if (files.isEmpty())
        return;
    m_srcFileEdit->setText(files.first());
    UpdateConvertButton();
}

void TMainForm::DestReferButtonClick()
{
    TDirChooser chooser(this, m_destDirEdit->text());
    if (chooser.exec() != QDialog::Accepted)
        return;
    const QString dir = chooser.ChosenDirectory();
    if (dir.isEmpty())
        return;
    m_destDirEdit->setText(dir);
    UpdateConvertButton();
}

void TMainForm::SrcFileEditChange()
{
    UpdateConvertButton();
}

void TMainForm::DestDirEditChange()
{
    UpdateConvertButton();
}

void TMainForm::UpdateConvertButton()
{
    m_convertButton->setEnabled(!m_srcFileEdit->text().isEmpty() &&
                                !m_destDirEdit->text().isEmpty());
}

void TMainForm::ConvertButtonClick()
{
    const TConversionResult result =
        ConvertFile(m_srcFileEdit->text(), m_destDirEdit->text(), SourceFormat(), *m_log, *this);
    if (result.Outcome == TConversionResult::TOutcome::Completed)
        return;
    m_log->Flush();
    if (result.Outcome == TConversionResult::TOutcome::Failed)
        QMessageBox::critical(this, windowTitle(), result.Message);
}

void TMainForm::ExitButtonClick()
{
    close();
}

bool TMainForm::AskTrackZero()
{
    // The user sees the log as far as the run got before answering.
    m_log->Flush();
    if (!ConfirmYesNo(this, QStringLiteral("トラック0を検出。中止して形式を旧KVTからWin標準形式に"
                                           "変更する?")))
        return false;
    SetSourceFormat(TSourceFormat::WinStandard);
    return true;
}

} // namespace qlnxdc
