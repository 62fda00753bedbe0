#include "desktop/MprisAdaptors.h"

#include "desktop/MprisService.h"

namespace qlnx {

TMprisRootAdaptor::TMprisRootAdaptor(TMprisService& service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
}

void TMprisRootAdaptor::Raise()
{
    m_service.Raise();
}

void TMprisRootAdaptor::Quit()
{
    m_service.Quit();
}

TMprisPlayerAdaptor::TMprisPlayerAdaptor(TMprisService& service)
    : QDBusAbstractAdaptor(&service), m_service(service)
{
    connect(&service, &TMprisService::Seeked, this, &TMprisPlayerAdaptor::Seeked);
}

QString TMprisPlayerAdaptor::PlaybackStatus() const
{
    return m_service.PlaybackStatus();
}

QString TMprisPlayerAdaptor::LoopStatus() const
{
    return m_service.LoopStatus();
}

void TMprisPlayerAdaptor::SetLoopStatus(const QString& status)
{
    m_service.SetLoopStatus(status);
}

bool TMprisPlayerAdaptor::Shuffle() const
{
    return m_service.Shuffle();
}

void TMprisPlayerAdaptor::SetShuffle(bool on)
{
    m_service.SetShuffle(on);
}

QVariantMap TMprisPlayerAdaptor::Metadata() const
{
    return m_service.Metadata();
}

qlonglong TMprisPlayerAdaptor::Position() const
{
    return m_service.Position();
}

bool TMprisPlayerAdaptor::CanControlDisc() const
{
    return m_service.CanControlDisc();
}

void TMprisPlayerAdaptor::Next()
{
    m_service.Next();
}

void TMprisPlayerAdaptor::Previous()
{
    m_service.Previous();
}

void TMprisPlayerAdaptor::Pause()
{
    m_service.Pause();
}

void TMprisPlayerAdaptor::PlayPause()
{
    m_service.PlayPause();
}

void TMprisPlayerAdaptor::Stop()
{
    m_service.Stop();
}

void TMprisPlayerAdaptor::Play()
{
    m_service.Play();
}

void TMprisPlayerAdaptor::Seek(qlonglong Offset)
{
    m_service.Seek(Offset);
}

void TMprisPlayerAdaptor::SetPosition(const QDBusObjectPath& TrackId, qlonglong Position)
{
    m_service.SetPosition(TrackId, Position);
}

void TMprisPlayerAdaptor::OpenUri(const QString&)
{
    // The player plays discs in drives; it opens nothing by name.
}

} // namespace qlnx
