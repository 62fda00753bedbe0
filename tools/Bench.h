#pragma once

#include <QString>

// The parts of the playback benchmark, each printing its figures.

// The longest stall of the event loop while the playback logic runs on a drive that spins up
// for 2 s, reads its table of contents for 5 s and its first audio for 5 s; then how long the
// device takes to end while a drive call does not return.
void BenchSlowDrive(const QString& image);

// CPU time of the whole player, idle with a disc loaded, over 60 s: the real program, started
// from a copy in a directory of its own whose settings name the image.
void BenchIdlePlayer(const QString& image, const QString& player);

// PlayRange to the first sample through the playback service, already running (in a thread of
// this process) and started by the play (the program playd).
void BenchServiceLatency(const QString& image, const QString& playd);

// CPU time of the service and the player together per minute of audio, through the program.
void BenchServiceCpu(const QString& image, const QString& playd);

// Waits in the event loop for ms.
void Pause(int ms);
