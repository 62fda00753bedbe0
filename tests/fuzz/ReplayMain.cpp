// Replays every file of a fuzz target's seed corpus through the target once.

#include <cstdio>

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "FuzzTarget.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QDir corpus(QStringLiteral(QLNX_FUZZ_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    int replayed = 0;
    for (const QString& name : names) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
        ++replayed;
    }
    // An empty input too: every parser must take it.
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::printf("%d passed, 0 failed\n", replayed + 1);
    return replayed > 0 ? 0 : 1;
}
