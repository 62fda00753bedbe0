#pragma once

#include <optional>

#include <QDialog>

#include "online/HttpTransport.h"
#include "online/OnlineParse.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace qlnx {

class TDiscLookup;
class THttpFetcher;
struct TLookupToc;

// Asks once, before the first lookup, whether anything may be sent, saying what; a yes turns
// lookups on in the settings file at once. True when lookups are on.
bool AskOnlineConsent(QWidget* parent, const QString& settingsFile, const QString& sent);

// The proposals for the loaded disc: the lookup runs while the chooser is open (the rest of
// the player stays usable, only the chooser shows it is busy), Cancel stops it. Candidates
// that do not fit the disc are marked and not pre-selected.
class TOnlineChooserForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TOnlineChooserForm(QWidget* parent = nullptr);

    // Runs the lookup and the dialog; the chosen candidate, or none.
    std::optional<TDiscCandidate> Choose(const QString& settingsFile,
                                         const TTransportFactory& transport, const TLookupToc& toc);

private:
    void Show(const QList<TDiscCandidate>& candidates, int preselect);
    void Fail(const QString& message);

    QLabel* m_status;
    QTreeWidget* m_list;
    QPushButton* m_okButton;
    QList<TDiscCandidate> m_candidates;
};

} // namespace qlnx
