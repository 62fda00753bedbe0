#include "support/CaptureOutput.h"

namespace qlnx {

TCaptureOutput::TCaptureOutput(QList<TBackendFactory> before) : m_factories(std::move(before))
{
    m_factories.append([clock = m_clock, captured = m_captured] {
        return std::make_unique<TSilentBackend>(
            clock, [captured](const char* data, qint64 n) { captured->append(data, n); });
    });
}

void TCaptureOutput::Attach(TPcmFeed& feed)
{
    m_driver = std::make_unique<TOutputDriver>(feed, m_factories, m_clock);
}

void TCaptureOutput::Tick()
{
    m_driver->Tick();
}

void TCaptureOutput::Run(qint64 ms, qint64 tickMs)
{
    // A real output is woken when a play starts and begins at once.
    m_driver->Tick();
    for (qint64 t = 0; t < ms; t += tickMs) {
        m_clock->Advance(std::min(tickMs, ms - t));
        m_driver->Tick();
    }
}

} // namespace qlnx
