#pragma once

#include <QFileDialog>

namespace qlnxdc {

// The directory chooser: besides picking an existing directory, the user may type the name of
// one that does not exist yet; it is created once the user confirms. Always the dialog of the
// toolkit, since the desktop's own dialogs would not let the name through to be created.
class TDirChooser final : public QFileDialog
{
    Q_OBJECT
public:
    // Opens on startDir, or on its nearest existing parent with the missing part typed in.
    TDirChooser(QWidget* parent, const QString& startDir);

    QString ChosenDirectory() const;

    void accept() override;
};

} // namespace qlnxdc
