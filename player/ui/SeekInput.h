#pragma once

#include <QObject>
#include <QTimer>

class QPushButton;

namespace qlnx {

class TPlaybackController;

// Turns what the user does on Back and Forward into the seek hold of the playback logic: a
// left press (also one that comes as a double click) or the space key starts it, the left
// button's or the key's release ends it. Under X a held key repeats as plain release/press
// pairs, so a space release ends the hold only when no press follows at once; the hold also
// ends when the button loses the focus, so it can never outlive the key.
class TSeekInput final : public QObject
{
    Q_OBJECT
public:
    TSeekInput(TPlaybackController& controller, QPushButton& back, QPushButton& forward,
               QObject* parent);

    // How long a space release waits for the press of a repeat pair.
    void SetRepeatGrace(int ms) { m_release.setInterval(ms); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EndKeyHold();

    TPlaybackController& m_controller;
    QPushButton& m_forward;
    QTimer m_release;
    bool m_keyHold = false;
};

} // namespace qlnx
