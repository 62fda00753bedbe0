#pragma once

#include <memory>

#include <QWidget>

#include "convert/Conversion.h"

class QButtonGroup;
class QFileDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace qlnxdc {

class TLogView;

// The converter's one window: the source file and destination directory at the bottom, the
// log filling the rest, the convert button and the choice of source format on the right.
class TMainForm final : public QWidget, private TTrackZeroAsker
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    TSourceFormat SourceFormat() const;
    void SetSourceFormat(TSourceFormat format);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void SrcReferButtonClick();
    void DestReferButtonClick();
    void SrcFileEditChange();
    void DestDirEditChange();
    void UpdateConvertButton();
    void ConvertButtonClick();
    void ExitButtonClick();
    bool AskTrackZero() override;

    void LayOut();

    QFrame* m_bottomPanel;
    QLabel* m_label1;
    QLineEdit* m_srcFileEdit;
    QPushButton* m_srcReferButton;
    QLabel* m_label2;
    QLineEdit* m_destDirEdit;
    QPushButton* m_destReferButton;
    QTextEdit* m_progressEdit;
    QFrame* m_rightPanel;
    QPushButton* m_convertButton;
    QGroupBox* m_formatRadioGroup;
    QButtonGroup* m_formatButtons;
    QPushButton* m_exitButton;
    QFileDialog* m_openDialog;
    std::unique_ptr<TLogView> m_log;
};

} // namespace qlnxdc
