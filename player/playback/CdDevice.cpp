#include "playback/CdDevice.h"

#include <QMetaObject>

namespace qlnx {

CdDevice::CdDevice(QObject* parent) : QObject(parent) {}

CdDevice::~CdDevice() = default;

void CdDevice::SetPlayFrom(quint32 tmsf)
{
    m_playFrom = tmsf;
    m_playFromPending = true;
}

void CdDevice::SetPlayTo(quint32 tmsf)
{
    m_playTo = tmsf;
    m_playToPending = true;
}

void CdDevice::PlayRange()
{
    std::optional<quint32> from;
    std::optional<quint32> to;
    if (m_playFromPending)
        from = m_playFrom;
    if (m_playToPending)
        to = m_playTo;
    m_playFromPending = false;
    m_playToPending = false;
    StartPlay(from, to);
}

void CdDevice::PostNotify(TNotifyResult result)
{
    // A queued call: the handler runs from the event loop between other events, never inside
    // the device call that ended the play.
    QMetaObject::invokeMethod(
        this, [this, result] { DeliverNotify(result); }, Qt::QueuedConnection);
}

void CdDevice::DeliverNotify(TNotifyResult result)
{
    m_notifyResult = result;
    Q_EMIT Notify(result);
}

} // namespace qlnx
