#pragma once

#include <span>
#include <vector>

#include <QDialog>
#include <QStringList>

#include "disc/DiscModel.h"

class QKeyEvent;
class QListWidget;
class QPushButton;

namespace qlnx {

// The programme editor: the disc's tracks on the left, the programme being composed on the
// right. Each programme line carries its track number, so tracks of equal names stay apart.
// The model is untouched; the main window reads the programme back after OK.
class TProgramEditForm final : public QDialog
{
    Q_OBJECT
public:
    // The play order holds no more; Add stops there.
    static constexpr int MaxLines = TDiscModel::MaxOrder;

    explicit TProgramEditForm(QWidget* parent);

    // Refills both lists: the tracks with the current track's line selected, the programme
    // with the first line of the current track selected (none when it is not in it).
    void Fill(const QStringList& trackNames, std::span<const quint8> program, int currentTrack);
    // The track numbers of the programme's lines.
    std::vector<quint8> Program() const;

    void AddClick();
    void DelClick();
    void UpClick();
    void DownClick();
    void ResetClick();
    void ClearClick();
    void OkClick();

    QListWidget& TrackList() { return *m_trackList; }
    QListWidget& OrderList() { return *m_orderList; }
    QPushButton& OkButton() { return *m_okButton; }
    QPushButton& CancelButton() { return *m_cancelButton; }
    QPushButton& UpButton() { return *m_upButton; }
    QPushButton& DownButton() { return *m_downButton; }
    QPushButton& ResetButton() { return *m_resetButton; }
    QPushButton& ClearButton() { return *m_clearButton; }
    QPushButton& AddButton() { return *m_addButton; }
    QPushButton& DelButton() { return *m_delButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AppendTrack(int track);
    void FillDiscOrder();
    void OrderChanged();
    void SwapWithNext(int row);

    QListWidget* m_trackList;
    QListWidget* m_orderList;
    QPushButton* m_okButton;
    QPushButton* m_cancelButton;
    QPushButton* m_upButton;
    QPushButton* m_downButton;
    QPushButton* m_resetButton;
    QPushButton* m_clearButton;
    QPushButton* m_addButton;
    QPushButton* m_delButton;
};

} // namespace qlnx
