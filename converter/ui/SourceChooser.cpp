#include "ui/SourceChooser.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

namespace qlnxdc {

TSourceChooser::TSourceChooser(QWidget* parent, const QString& start) : QFileDialog(parent)
{
    setObjectName(QStringLiteral("SourceChooser"));
    setFileMode(QFileDialog::Directory);
    setAcceptMode(QFileDialog::AcceptOpen);
    setOption(QFileDialog::DontUseNativeDialog);
    // In folder mode the dialog greys its choose button while a file is selected; here a file
    // is as good a choice as a folder.
    auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = findChild<QDialogButtonBox*>();
    if (nameEdit && buttons) {
        connect(nameEdit, &QLineEdit::textChanged, this, [this, buttons] {
            if (QPushButton* choose = buttons->button(QDialogButtonBox::Open))
                choose->setEnabled(QFileInfo::exists(ChosenPath()));
        });
    }
    if (start.isEmpty())
        return;
    const QFileInfo info(start);
    if (info.isDir()) {
        setDirectory(info.absoluteFilePath());
    } else if (QFileInfo(info.absolutePath()).isDir()) {
        setDirectory(info.absolutePath());
        if (info.exists())
            selectFile(info.fileName());
    }
}

QString TSourceChooser::ChosenPath() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TSourceChooser::accept()
{
    // The dialog's own accept takes folders only in this mode.
    if (QFileInfo(ChosenPath()).isFile()) {
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
}

} // namespace qlnxdc
