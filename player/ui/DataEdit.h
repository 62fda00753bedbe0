#pragma once

#include <functional>

#include <QDialog>
#include <QStringList>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace qlnx {

// The disc data editor: artist, disc title and every track title, typed without the mouse.
// It holds copies only; the main window reads them back after OK.
class TDataEditForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TDataEditForm(QWidget* parent);

    // Refills every control, so nothing of an earlier opening survives: the two texts, one
    // line per track (line i is track i + 1) with selectedLine selected (-1: none), the
    // selected title in the track box and the focus on the artist.
    void Fill(const QString& artist, const QString& title, const QStringList& trackNames,
              int selectedLine);

    // Where a refused OK is explained; without one, a message box.
    void SetErrorReporter(std::function<void(const QString&)> reporter);

    QString Artist() const;
    QString Title() const;
    QStringList TrackNames() const;

    QLineEdit& ArtistEdit() { return *m_artistEdit; }
    QLineEdit& TitleEdit() { return *m_titleEdit; }
    QLineEdit& TrackEdit() { return *m_trackEdit; }
    QListWidget& TrackList() { return *m_trackList; }
    QPushButton& OkButton() { return *m_okButton; }
    QPushButton& CancelButton() { return *m_cancelButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Enter moves on from an edit box and back from the list.
    enum class TEnterMove
    {
        Next,
        Previous
    };

    bool FieldKey(const QKeyEvent& key, TEnterMove enter);
    bool TrackEditKey(const QKeyEvent& key);
    // The track box and the selected line: store puts the box into the line, load takes the
    // line into the box with its text selected, show takes it without selecting.
    void StoreTrack();
    void LoadTrack();
    void ShowSelectedLine();
    void MoveLine(bool forward);
    void OkClick();
    // Makes every text one line; returns false, with the field explained and focused, when a
    // text would read as a header of the data file.
    bool CheckTexts();

    QLineEdit* m_artistEdit;
    QLineEdit* m_titleEdit;
    QLineEdit* m_trackEdit;
    QListWidget* m_trackList;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    std::function<void(const QString&)> m_errorReporter;
};

} // namespace qlnx
