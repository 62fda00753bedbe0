#pragma once

#include <QObject>

class QSocketNotifier;

namespace qlnx {

// Turns SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C in a terminal) into a signal on the
// GUI thread, so the player closes as Exit does: settings saved, the drive stopped as
// configured. The handler itself only writes a byte to a pipe.
class TPoliteStop final : public QObject
{
    Q_OBJECT
public:
    explicit TPoliteStop(QObject* parent = nullptr);
    ~TPoliteStop() override;

Q_SIGNALS:
    void StopRequested(int signal);

private:
    void Read();

    QSocketNotifier* m_notifier = nullptr;
};

} // namespace qlnx
