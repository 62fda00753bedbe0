#pragma once

#include <QObject>
#include <QString>

namespace qlnx {

class TLocalServer;

// One running player per user: the first start listens under a name made of the product name
// and the uid, in the user's private socket directory; a later start connects, asks the
// running one to come to the front and ends before it creates a window. A socket of ours left
// behind by a crash or a kill is taken over; a peer of another user is never spoken to, and
// a name held by anything not ours is left alone.
class TSingleInstance final : public QObject
{
    Q_OBJECT
public:
    // The rendezvous of this user's player.
    static QString DefaultName();

    explicit TSingleInstance(const QString& name, QObject* parent = nullptr);

    // True when another instance answered and was asked to come to the front: this one must
    // end. Otherwise this instance now owns the rendezvous (when it could take it: a failure
    // leaves it running without one).
    // A path given is handed to the running instance to open.
    bool HandOver(const QString& openPath = {});

    bool Listening() const;

Q_SIGNALS:
    // A later start asked this instance to come to the front.
    void RaiseRequested();
    // A later start asked this instance to open a disc image (before coming to the front).
    void OpenRequested(const QString& path);

private:
    void Accept();

    QString m_name;
    TLocalServer* m_server;
};

} // namespace qlnx
