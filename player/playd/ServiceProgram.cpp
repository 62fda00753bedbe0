// Where the service is found and how it is started.

#include <unistd.h>

#include <QProcess>

#include "fileio/PrivateSocket.h"
#include "playd/ServicePlayer.h"

namespace qlnx {

QString DefaultServiceName()
{
    // The uid, never the environment; in a directory nobody else can enter.
    const QString dir = PrivateSocketDirectory();
    if (dir.isEmpty())
        return {};
    return dir + QStringLiteral("/Quellon-playd-") + QString::number(qulonglong(getuid()));
}

std::function<bool()> StartServiceProgram(const QString& program, const QStringList& arguments)
{
    return [program, arguments] {
        QProcess process;
        process.setProgram(program);
        process.setArguments(arguments);
        process.setStandardInputFile(QProcess::nullDevice());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        return process.startDetached();
    };
}

} // namespace qlnx
