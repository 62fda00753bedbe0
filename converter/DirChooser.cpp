#include "DirChooser.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "Confirm.h"

TDirChooser::TDirChooser(QWidget* parent, const QString& startDir) : QFileDialog(parent)
{
    setObjectName(QStringLiteral("DirChooser"));
    setFileMode(QFileDialog::Directory);
    setOption(QFileDialog::ShowDirsOnly);
    setOption(QFileDialog::DontUseNativeDialog);
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
