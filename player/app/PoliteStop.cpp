#include "app/PoliteStop.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace qlnx {

namespace {

int g_pipe[2] = {-1, -1};

extern "C" void OnStopSignal(int signal)
{
    const unsigned char byte = static_cast<unsigned char>(signal);
    // Nothing to do when the pipe is full: a stop is already on its way.
    [[maybe_unused]] const ssize_t written = write(g_pipe[1], &byte, 1);
}

} // namespace

TPoliteStop::TPoliteStop(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TPoliteStop::Read);
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

TPoliteStop::~TPoliteStop()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    for (const int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
}

void TPoliteStop::Read()
{
    unsigned char byte = 0;
    while (read(g_pipe[0], &byte, 1) == 1)
        Q_EMIT StopRequested(int(byte));
}

} // namespace qlnx
