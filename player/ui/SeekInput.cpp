#include "ui/SeekInput.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>

#include "playback/PlaybackController.h"

namespace qlnx {

namespace {
// X sends the two events of a repeat pair together; a real release is never followed this soon.
constexpr int RepeatGraceMs = 25;
} // namespace

TSeekInput::TSeekInput(TPlaybackController& controller, QPushButton& back, QPushButton& forward,
                       QObject* parent)
    : QObject(parent), m_controller(controller), m_forward(forward), m_release(this)
{
    m_release.setSingleShot(true);
    m_release.setInterval(RepeatGraceMs);
    connect(&m_release, &QTimer::timeout, this, &TSeekInput::EndKeyHold);
    back.installEventFilter(this);
    forward.installEventFilter(this);
}

void TSeekInput::EndKeyHold()
{
    m_release.stop();
    if (!m_keyHold)
        return;
    m_keyHold = false;
    m_controller.SeekButtonKeyUp();
}

bool TSeekInput::eventFilter(QObject* watched, QEvent* event)
{
    const int direction = watched == &m_forward ? 1 : -1;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A second press soon after a click comes as a double click: it is a press all the same.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_controller.SeekButtonMouseDown(direction);
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_controller.SeekButtonMouseUp();
        break;
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_Space)
            break;
        if (m_release.isActive()) {
            m_release.stop(); // the press of a repeat pair: the hold goes on
            break;
        }
        m_keyHold = true;
        m_controller.SeekButtonKeyDown(direction);
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Space && !key->isAutoRepeat() && m_keyHold)
            m_release.start();
        break;
    }
    case QEvent::FocusOut:
        EndKeyHold();
        break;
    default:
        break;
    }
    return false;
}

} // namespace qlnx
