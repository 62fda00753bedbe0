#include "onlineui/OnlineChooser.h"

#include <QBoxLayout>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>

#include "online/HttpFetcher.h"
#include "online/Lookups.h"
#include "online/OnlineSettings.h"
#include "settings/IniFile.h"

namespace qlnx {

bool AskOnlineConsent(QWidget* parent, const QString& settingsFile, const QString& sent)
{
    if (ReadOnlineSettings(TIniFile(settingsFile)).Enabled)
        return true;
    const auto answer = QMessageBox::question(
        parent, QStringLiteral("Online Lookup"),
        QStringLiteral("Look this up on the Internet?\n\nThis sends %1 to the lookup services "
                       "named in the settings file (section [Online]). Nothing else is sent, "
                       "and nothing is sent until you say yes here.\n\nTurn online lookups "
                       "on?")
            .arg(sent),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return false;
    if (const auto error = StoreOnlineEnabled(settingsFile)) {
        QMessageBox::warning(parent, QStringLiteral("Online Lookup"), *error);
        return false;
    }
    return true;
}

TOnlineChooserForm::TOnlineChooserForm(QWidget* parent)
    : QDialog(parent), m_status(new QLabel(this)), m_list(new QTreeWidget(this)),
      m_okButton(nullptr)
{
    setWindowTitle(QStringLiteral("Look Up Disc"));
    resize(560, 260);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({QStringLiteral("Artist"), QStringLiteral("Title"),
                             QStringLiteral("Year"), QStringLiteral("Country/Format"),
                             QStringLiteral("Tracks"), QStringLiteral("Note")});
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_okButton = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this] { m_okButton->setEnabled(m_list->currentItem() != nullptr); });
}

std::optional<TDiscCandidate> TOnlineChooserForm::Choose(const QString& settingsFile,
                                                         const TTransportFactory& transport,
                                                         const TLookupToc& toc)
{
    m_candidates.clear();
    m_list->clear();
    m_okButton->setEnabled(false);
    m_status->setText(QStringLiteral("Looking up the disc..."));
    THttpFetcher fetcher(ReadOnlineSettings(TIniFile(settingsFile)), transport, this);
    TDiscLookup lookup(fetcher, this);
    connect(&lookup, &TDiscLookup::Found, this, &TOnlineChooserForm::Show);
    connect(&lookup, &TDiscLookup::Failed, this, &TOnlineChooserForm::Fail);
    setCursor(Qt::BusyCursor);
    lookup.Start(toc);
    const int result = exec();
    lookup.Cancel();
    unsetCursor();
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    if (result != QDialog::Accepted || row < 0 || row >= m_candidates.size())
        return std::nullopt;
    return m_candidates.at(row);
}

void TOnlineChooserForm::Show(const QList<TDiscCandidate>& candidates, int preselect)
{
    unsetCursor();
    m_candidates = candidates;
    m_status->setText(candidates.isEmpty()
                          ? QStringLiteral("Nothing is known about this disc.")
                          : QStringLiteral("Choose the disc; marked ones do not fit it."));
    for (const TDiscCandidate& c : candidates) {
        const QString where = c.Country.isEmpty()  ? c.Format
                              : c.Format.isEmpty() ? c.Country
                                                   : c.Country + QStringLiteral(" / ") + c.Format;
        auto* item = new QTreeWidgetItem(
            m_list, {c.Artist, c.Title, c.Year(), where, QString::number(c.Tracks.size()),
                     c.Fits ? QString() : QStringLiteral("does not fit: ") + c.Misfit});
        if (!c.Fits) {
            for (int column = 0; column < m_list->columnCount(); ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    m_list->header()->resizeSections(QHeaderView::ResizeToContents);
    if (preselect >= 0)
        m_list->setCurrentItem(m_list->topLevelItem(preselect));
}

void TOnlineChooserForm::Fail(const QString& message)
{
    unsetCursor();
    m_status->setText(message);
}

} // namespace qlnx
