#pragma once

#include <QFileDialog>

namespace qlnxdc {

// The choice of a CDDB source: one entry file, or a folder of them. The toolkit's dialog in its
// folder mode, which lists files as well, with a file accepted as a choice too.
class TSourceChooser final : public QFileDialog
{
    Q_OBJECT
public:
    // Opens on start (a folder, or the folder of a file, which is then selected).
    TSourceChooser(QWidget* parent, const QString& start);

    QString ChosenPath() const;

    void accept() override;
};

} // namespace qlnxdc
