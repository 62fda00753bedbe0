#include "convert/OutputFile.h"

#include <cstdio>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace qlnxdc {

bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes)
{
    // A short hidden name of its own, so that a long target name cannot make it too long and
    // two runs at once cannot meet on it.
    static unsigned sequence = 0;
    const QString dir = QFileInfo(fileName).path();
    QFile file;
    for (int attempt = 0;; ++attempt) {
        file.setFileName(dir + QStringLiteral("/.qlnxdc-%1-%2.tmp")
                                   .arg(QCoreApplication::applicationPid())
                                   .arg(sequence++));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            break;
        if (!file.exists() || attempt >= 100)
            return false;
    }
    const bool written = file.write(bytes) == bytes.size();
    file.close();
    if (!written || file.error() != QFileDevice::NoError ||
        std::rename(QFile::encodeName(file.fileName()).constData(),
                    QFile::encodeName(fileName).constData()) != 0) {
        file.remove();
        return false;
    }
    return true;
}

} // namespace qlnxdc
