#pragma once

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace qlnx {

inline sockaddr_un Address(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, QFile::encodeName(path).constData(),
                 sizeof(address.sun_path) - 1);
    return address;
}

// A process of another user (nobody), forked from a test run as root. It listens at a path
// and tells through a pipe whether anyone sent it a byte ('x'), or connects to a path, sends
// bytes and tells whether it was answered ('a') or dropped ('d'). Ready once it wrote 'r'.
class TStranger
{
public:
    enum class TRole
    {
        Listen,
        Connect
    };
    TStranger(TRole role, const QString& path, const QByteArray& send = {})
    {
        int pipe[2];
        if (::getuid() != 0 || ::pipe(pipe) != 0)
            return;
        const sockaddr_un address = Address(path);
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(pipe[0]);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(1);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            const auto* at = reinterpret_cast<const sockaddr*>(&address);
            char byte = 0;
            if (role == TRole::Listen) {
                if (::bind(fd, at, sizeof address) != 0 || ::listen(fd, 8) != 0)
                    ::_exit(1);
                (void)!::write(pipe[1], "r", 1);
                for (;;) {
                    const int client = ::accept(fd, nullptr, nullptr);
                    if (client >= 0 && ::read(client, &byte, 1) == 1)
                        (void)!::write(pipe[1], "x", 1);
                }
            }
            if (::connect(fd, at, sizeof address) != 0) {
                (void)!::write(pipe[1], "e", 1);
                ::_exit(1);
            }
            (void)!::write(fd, send.constData(), std::size_t(send.size()));
            (void)!::write(pipe[1], ::read(fd, &byte, 1) == 1 ? "a" : "d", 1);
            ::_exit(0);
        }
        ::close(pipe[1]);
        m_pipe = pipe[0];
        ::fcntl(m_pipe, F_SETFL, O_NONBLOCK);
    }
    ~TStranger()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_pipe >= 0)
            ::close(m_pipe);
    }
    bool Exists() const { return m_pid > 0; }
    // What it told so far.
    QByteArray Told()
    {
        char bytes[16];
        const auto got = ::read(m_pipe, bytes, sizeof bytes);
        if (got > 0)
            m_told.append(bytes, got);
        return m_told;
    }

private:
    pid_t m_pid = -1;
    int m_pipe = -1;
    QByteArray m_told;
};

} // namespace qlnx
