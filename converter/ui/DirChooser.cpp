#include "ui/DirChooser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "ui/Confirm.h"

namespace qlnxdc {

TDirChooser::TDirChooser(QWidget* parent, const QString& startDir) : QFileDialog(parent)
{
    setObjectName(QStringLiteral("DirChooser"));
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::DontUseNativeDialog);
    // The dialog greys its choose button while the typed name does not exist; here such a name
    // is a directory to create, so the button stays available for any name.
    auto* nameEdit = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* buttons = findChild<QDialogButtonBox*>();
    if (nameEdit && buttons) {
        connect(nameEdit, &QLineEdit::textChanged, this, [buttons](const QString& text) {
            if (QPushButton* choose = buttons->button(QDialogButtonBox::Open);
                choose && !text.isEmpty())
                choose->setEnabled(true);
        });
    }
    if (startDir.isEmpty())
        return;
    const QFileInfo info(startDir);
    if (info.isDir()) {
        setDirectory(info.absoluteFilePath());
        return;
    }
    // The nearest existing parent, with the rest of the path typed in.
    QString existing = info.absolutePath();
    while (!QFileInfo(existing).isDir()) {
        const QString up = QFileInfo(existing).path();
        if (up == existing)
            break;
        existing = up;
    }
    setDirectory(existing);
    selectFile(QDir(existing).relativeFilePath(info.absoluteFilePath()));
}

QString TDirChooser::ChosenDirectory() const
{
    const QStringList files = selectedFiles();
    return files.isEmpty() ? QString() : files.first();
}

void TDirChooser::accept()
{
    const QString path = ChosenDirectory();
    if (!path.isEmpty() && !QFileInfo::exists(path)) {
        if (!ConfirmYesNo(this,
                          QStringLiteral("指定されたディレクトリが存在しません。作成しますか？")))
            return;
        if (!QDir().mkpath(path)) {
            QMessageBox::warning(this, windowTitle(),
                                 QStringLiteral("ディレクトリ %1 を作成できません").arg(path));
            return;
        }
    }
    QFileDialog::accept();
}

} // namespace qlnxdc
