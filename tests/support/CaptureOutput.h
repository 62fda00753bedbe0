#pragma once

#include <memory>

#include <QByteArray>
#include <QList>

#include "audio/AudioOutput.h"

namespace qlnx {

// Time that passes only when the test says so.
class TVirtualClock final : public TClock
{
public:
    qint64 NowNs() const override { return m_now; }
    void Advance(qint64 ms) { m_now += ms * 1'000'000; }

private:
    qint64 m_now = 1'000'000'000;
};

// An output for tests: a driver over a silent backend paced by a virtual clock, keeping
// every byte it plays. Backends placed before it (failing ones) are tried first.
class TCaptureOutput final : public TAudioOutput
{
public:
    explicit TCaptureOutput(QList<TBackendFactory> before = {});

    void Attach(TPcmFeed& feed) override;
    void Wake() override { ++m_wakes; }

    // Lets the driver look at the feed, then moves the clock on by ms in steps of tickMs,
    // letting the driver play after each step.
    void Run(qint64 ms, qint64 tickMs = 20);
    void Tick();

    std::shared_ptr<TVirtualClock> Clock() const { return m_clock; }
    const QByteArray& Captured() const { return *m_captured; }
    void ClearCaptured() { m_captured->clear(); }
    int Wakes() const { return m_wakes; }

private:
    std::shared_ptr<TVirtualClock> m_clock = std::make_shared<TVirtualClock>();
    std::shared_ptr<QByteArray> m_captured = std::make_shared<QByteArray>();
    QList<TBackendFactory> m_factories;
    std::unique_ptr<TOutputDriver> m_driver;
    int m_wakes = 0;
};

} // namespace qlnx
