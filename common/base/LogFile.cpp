#include "base/LogFile.h"

#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace qlnx {

TRotatingLog::TRotatingLog(const QString& fileName, qint64 maxBytes, bool redirectStderr)
    : m_fileName(fileName), m_maxBytes(maxBytes), m_redirect(redirectStderr)
{
}

TRotatingLog::~TRotatingLog()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TRotatingLog::Open()
{
    const std::lock_guard lock(m_mutex);
    if (!QDir().mkpath(QFileInfo(m_fileName).absolutePath()))
        return false;
    if (QFileInfo(m_fileName).size() >= m_maxBytes)
        std::rename(QFile::encodeName(m_fileName).constData(),
                    QFile::encodeName(m_fileName + QStringLiteral(".1")).constData());
    return OpenLocked();
}

bool TRotatingLog::OpenLocked()
{
    const int fd = ::open(QFile::encodeName(m_fileName).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    if (m_redirect)
        ::dup2(m_fd, STDERR_FILENO);
    return true;
}

void TRotatingLog::Append(const QByteArray& line)
{
    const std::lock_guard lock(m_mutex);
    if (m_fd < 0)
        return;
    const QByteArray bytes = line + '\n';
    if (::write(m_fd, bytes.constData(), size_t(bytes.size())) < 0)
        return;
    struct stat info;
    if (::fstat(m_fd, &info) != 0 || info.st_size < m_maxBytes)
        return;
    std::rename(QFile::encodeName(m_fileName).constData(),
                QFile::encodeName(m_fileName + QStringLiteral(".1")).constData());
    OpenLocked(); // on failure the lines go on to the renamed file
}

QString StateDirectory()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.startsWith(u'/'))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/qlnx");
}

namespace {

TRotatingLog* g_log = nullptr; // the process's log file, once installed; never freed

void WriteToLog(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    g_log->Append(qFormatLogMessage(type, context, message).toLocal8Bit());
}

} // namespace

bool InstallLogFile(const QString& fileName, qint64 maxBytes)
{
    auto log = std::make_unique<TRotatingLog>(fileName, maxBytes, true);
    if (!log->Open())
        return false;
    g_log = log.release();
    qSetMessagePattern(QStringLiteral("%{time yyyy-MM-dd hh:mm:ss.zzz} %{pid} %{type} "
                                      "%{if-category}%{category}: %{endif}%{message}"));
    qInstallMessageHandler(WriteToLog);
    return true;
}

} // namespace qlnx
