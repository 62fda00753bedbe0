#include "ui/About.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>

#include "controls/FontName.h"

namespace qlnx {

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::MSWindowsFixedSizeDialogHint),
      m_okButton(new QPushButton(QStringLiteral("OK"), this))
{
    setWindowTitle(QStringLiteral("About"));
    setModal(true);
    QFont formFont = NamedFont(QStringLiteral("ＭＳ Ｐゴシック"));
    formFont.setPixelSize(12);
    setFont(formFont);
    setFixedSize(201, 161);
    const int tops[] = {8, 24, 48, 88, 104};
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        m_lines[i] = new QLabel(this);
        m_lines[i]->setGeometry(8, tops[i], 185, 15);
        m_lines[i]->setAlignment(Qt::AlignCenter);
        m_lines[i]->setTextFormat(Qt::PlainText);
    }
    SetLine(0, QStringLiteral("Quellon"));
    SetLine(1, QStringLiteral("ver.0.30"));
    SetLine(2, QStringLiteral("qlnx, a CD player for Linux"));
    m_okButton->setGeometry(72, 128, 57, 25);
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutForm::SetLine(int index, const QString& text)
{
    QLabel* line = m_lines[std::size_t(index)];
    const QString shown = line->fontMetrics().elidedText(text, Qt::ElideMiddle, line->width());
    line->setText(shown);
    line->setToolTip(shown == text ? QString() : text);
}

void TAboutForm::SetPaths(const QString& settingsFile, const QString& dataDir)
{
    SetLine(3, QStringLiteral("Settings: ") + settingsFile);
    SetLine(4, QStringLiteral("Data: ") + dataDir);
}

} // namespace qlnx
