#pragma once

#include <mutex>

#include <QByteArray>
#include <QString>

namespace qlnx {

// A log file bounded in size: once a line takes it past maxBytes it becomes fileName + ".1"
// (replacing the older one) and a new file starts, so the log never holds more than about
// twice maxBytes. Thread-safe.
class TRotatingLog
{
public:
    // redirectStderr: the file also becomes the process's standard error, so that what
    // libraries print there lands in it too.
    TRotatingLog(const QString& fileName, qint64 maxBytes, bool redirectStderr);
    ~TRotatingLog();
    TRotatingLog(const TRotatingLog&) = delete;
    TRotatingLog& operator=(const TRotatingLog&) = delete;

    // Opens the file (after rotating one already over the bound), creating its directory.
    // Returns false when it cannot be opened.
    bool Open();
    // Appends one line (a line break is added).
    void Append(const QByteArray& line);

private:
    bool OpenLocked();

    std::mutex m_mutex;
    QString m_fileName;
    qint64 m_maxBytes;
    bool m_redirect;
    int m_fd = -1;
};

// $XDG_STATE_HOME/qlnx, by default ~/.local/state/qlnx.
QString StateDirectory();

// Sends Qt's messages of this process (timed, with their category) and its standard error to a
// rotating log file. Returns false, and the messages stay on standard error, when the file
// cannot be opened.
bool InstallLogFile(const QString& fileName, qint64 maxBytes);

} // namespace qlnx
