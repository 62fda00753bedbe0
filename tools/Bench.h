#pragma once

#include <atomic>
#include <memory>

#include <QElapsedTimer>
#include <QString>

#include "audio/AudioOutput.h"

// The parts of the playback benchmark, each printing its figures.

// The longest stall of the event loop while the playback logic runs on a drive that spins up
// for 2 s, reads its table of contents for 5 s and its first audio for 5 s; then how long the
// device takes to end while a drive call does not return.
void BenchSlowDrive(const QString& image);

// CPU time of decoding a FLAC image per minute of audio, through the image reader, on a FLAC
// file encoded from seconds of generated audio (BenchFlac.cpp).
void BenchFlacDecode(int seconds);

// The real programs qlnx and qlnx-playd of binDir (BenchWhole.cpp), each run in a sandbox on the
// demo disc: CPU, wake-ups and memory of the player and its service while seconds of audio play;
// the player idle with the disc loaded for seconds (and no service running); and the start-up to
// the first paint against a bare frameless window, runs of each alternating.
void BenchWholePlayer(const QString& binDir, int seconds);
void BenchIdlePlayer(const QString& binDir, int seconds);
void BenchStartup(const QString& binDir, int runs);

// PlayRange to the first sample through the playback service, already running (in a thread of
// this process) and started by the play (the program playd).
void BenchServiceLatency(const QString& image, const QString& playd);

// CPU time of the service and the player together per minute of audio, through the program.
void BenchServiceCpu(const QString& image, const QString& playd);

// Nanoseconds on the CPU of all threads of a process, from the scheduler's statistics.
double ProcessCpuNs(qint64 pid);

// An output that plays in silence and notes when it first takes audio (into firstSample, as
// the clock's time) since firstSample was last set to -1.
std::unique_ptr<qlnx::TAudioOutput> MakeFirstSampleOutput(std::shared_ptr<const qlnx::TClock> clock,
                                                          std::atomic<qint64>& firstSample);

// Waits in the event loop for ms.
void Pause(int ms);

// Waits in the event loop, looking every stepMs, until done() or ms have passed; done() then.
template <typename Done> bool WaitFor(int ms, Done done, int stepMs = 1)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < ms)
        Pause(stepMs);
    return done();
}
