#include "audio/DiscPlayer.h"

namespace qlnx {

TLocalPlayer::TLocalPlayer(std::unique_ptr<TAudioOutput> output, TReadAhead readAhead)
    : m_engine(std::move(output), readAhead)
{
}

void TLocalPlayer::Play(const TPlayedDisc& disc, std::shared_ptr<TSectorSource> audio, qint64 from,
                        qint64 to, TCompletion done)
{
    m_disc = disc;
    m_engine.Play(0, std::move(audio), from, to, std::move(done));
}

void TLocalPlayer::Forget(const QString& path)
{
    if (path == m_disc.Path)
        m_engine.Forget(0);
}

TDiscPlayer::TStatus TLocalPlayer::Status()
{
    const TPlaybackEngine::TStatus status = m_engine.Status();
    switch (status.State) {
    case TPlaybackEngine::TState::Idle:
        break;
    case TPlaybackEngine::TState::Playing:
        return {TState::Playing, m_disc, status.Position};
    case TPlaybackEngine::TState::Paused:
        return {TState::Paused, m_disc, status.Position};
    case TPlaybackEngine::TState::Stopped:
        return {TState::Stopped, m_disc, status.Position};
    }
    return {};
}

} // namespace qlnx
