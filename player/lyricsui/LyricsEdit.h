#pragma once

#include <functional>

#include <QDialog>

#include "lyrics/LyricsEditRules.h"
#include "online/HttpTransport.h"

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace qlnx {

class THttpFetcher;
class TLyricsLookup;
struct TFoundLyrics;

class TDiscModel;
class TTimeEdit;
class TUpDown;

// The lyrics editor: a tool window beside the player in which the lines of one track are typed
// and stamped with the minute and second they start at, while the player goes on playing.
// The grid is a working copy; only OK writes it into the track's list.
class TLyricsEditForm final : public QDialog
{
    Q_OBJECT
public:
    // Asks for a file name; an empty answer means the user gave up.
    using TFileDialog = std::function<QString(QWidget& parent, const QString& suggested)>;

    TLyricsEditForm(TDiscModel& model, QWidget* parent);

    // Opens the grid on one track (1-based) of the disc with that identity.
    void StartEdit(quint32 discID, int track);
    quint32 EditDiscID() const { return m_editDiscID; }
    int EditTrack() const { return m_editTrack; }

    // Where Get Time reads the playing position, in whole seconds.
    void SetProgressSource(std::function<int()> progress) { m_progress = std::move(progress); }
    void SetErrorReporter(std::function<void(const QString&)> reporter);
    // Where a yes-or-no question goes (true: yes); without one, a message box.
    void SetQuestion(std::function<bool(const QString&)> question)
    {
        m_question = std::move(question);
    }
    void SetOpenFileDialog(TFileDialog dialog) { m_openDialog = std::move(dialog); }
    void SetSaveFileDialog(TFileDialog dialog) { m_saveDialog = std::move(dialog); }

    QComboBox& TrackCombo() { return *m_trackCombo; }
    TTimeEdit& MinEdit() { return *m_minEdit; }
    TUpDown& MinUpDown() { return *m_minUpDown; }
    TTimeEdit& SecEdit() { return *m_secEdit; }
    TUpDown& SecUpDown() { return *m_secUpDown; }
    QLineEdit& LyricsEdit() { return *m_lyricsEdit; }
    QTableWidget& LyricsGrid() { return *m_lyricsGrid; }
    QPushButton& ReplaceButton() { return *m_replaceButton; }
    QPushButton& ClearButton() { return *m_clearButton; }
    QPushButton& InsertButton() { return *m_insertButton; }
    QPushButton& DeleteButton() { return *m_deleteButton; }
    QPushButton& GetTimeButton() { return *m_getTimeButton; }
    QPushButton& OkButton() { return *m_okButton; }
    QPushButton& CancelButton() { return *m_cancelButton; }
    QPushButton& ImportButton() { return *m_importButton; }
    QPushButton& ExportButton() { return *m_exportButton; }
    QPushButton& FindOnlineButton() { return *m_findOnlineButton; }
    // The settings file whose section "Online" Find Online... follows, and the HTTP client it
    // looks up with; without a file the button does nothing.
    void SetOnline(const QString& settingsFile, TTransportFactory transport)
    {
        m_onlineSettingsFile = settingsFile;
        m_transport = std::move(transport);
    }

    // The grid's rows as they stand.
    QList<TLyricRow> Rows() const;

Q_SIGNALS:
    // OK wrote the grid into the track's list: the disc's data is to be saved and shown.
    void Stored();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void PlaceComponents();
    QPushButton* MakeButton(const QString& caption);

    void TrackComboChange();
    void LoadGrid();
    void LoadRows(const TLyricList& lyrics);
    bool StoreGrid();
    void EditToRow(int row);
    void RowToEdit(int row);
    void ClearRow(int row);
    void InsertRow(int row);
    void DeleteRow(int row);
    void TakeTime(int row);

    int SelectedRow() const;
    void SelectRow(int row);
    QString Cell(int column, int row) const;
    void SetCell(int column, int row, const QString& text);
    void CopyRow(int from, int to);
    void ReportBadRow(int row);
    void Report(const QString& message);
    bool Ask(const QString& question);

    void ReplaceButtonClick();
    void LyricsEditArrow(int step);
    void GetTimeButtonClick();
    void OkButtonClick();
    void ImportButtonClick();
    void ExportButtonClick();
    void FindOnlineButtonClick();
    void OnlineLyricsFound(const TFoundLyrics& found, quint32 discID, int track);

    TDiscModel& m_model;
    quint32 m_editDiscID = 0;
    int m_editTrack = 1;
    std::function<int()> m_progress;
    std::function<void(const QString&)> m_errorReporter;
    std::function<bool(const QString&)> m_question;
    TFileDialog m_openDialog;
    TFileDialog m_saveDialog;

    QComboBox* m_trackCombo;
    QFrame* m_bevel2;
    QFrame* m_bevel1;
    TTimeEdit* m_minEdit;
    TUpDown* m_minUpDown;
    TTimeEdit* m_secEdit;
    TUpDown* m_secUpDown;
    QLineEdit* m_lyricsEdit;
    QTableWidget* m_lyricsGrid;
    QPushButton* m_replaceButton;
    QPushButton* m_clearButton;
    QPushButton* m_insertButton;
    QPushButton* m_deleteButton;
    QPushButton* m_getTimeButton;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QPushButton* m_importButton;
    QPushButton* m_exportButton;
    QPushButton* m_findOnlineButton;
    QString m_onlineSettingsFile;
    TTransportFactory m_transport;
    THttpFetcher* m_fetcher = nullptr;
    TLyricsLookup* m_lyricsLookup = nullptr;
};

} // namespace qlnx
