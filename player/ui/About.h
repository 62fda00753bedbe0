#pragma once

#include <array>

#include <QDialog>

class QLabel;
class QPushButton;

namespace qlnx {

// The About box: the product, its version, who makes it and where this player keeps its files
// on this machine, so a user can find their settings and disc data.
class TAboutForm final : public QDialog
{
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent);

    // The two contact lines: the settings file and the data directory, elided to the line's
    // width with the whole path as the tip.
    void SetPaths(const QString& settingsFile, const QString& dataDir);

    QLabel& Line(int index) { return *m_lines[std::size_t(index)]; }
    QPushButton& OkButton() { return *m_okButton; }

    // Escape closes the box as OK does: it has nothing to cancel.
    void reject() override { accept(); }

private:
    void SetLine(int index, const QString& text);

    std::array<QLabel*, 5> m_lines{};
    QPushButton* m_okButton;
};

} // namespace qlnx
