// Speed of the converter on a large source, in batch mode and in the window.
//
//   qlnxdc_bench generate FILE [DISCS [TRACKS]]   writes an old-KVT source
//   qlnxdc_bench [DISCS [TRACKS]]                 generates a source in a temporary directory
//                                                 and times both runs (default 10000 x 12)
//
// The window run counts from the click on the convert button until the log has been laid out
// and painted. Run it with QT_QPA_PLATFORM=offscreen where there is no display.

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextEdit>

#include "convert/BatchMode.h"
#include "ui/Main.h"

using namespace qlnxdc;

namespace {

QByteArray GenerateSource(int discs, int tracks)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(discs) * (120 + tracks * 40));
    for (int d = 0; d < discs; ++d) {
        bytes += QStringLiteral("[%1]\r\n")
                     .arg(0x10000000u + quint32(d) * 7919u, 8, 16, QLatin1Char('0'))
                     .toUtf8();
        bytes += QStringLiteral("artist=アーティスト %1\r\n").arg(d).toUtf8();
        bytes += QStringLiteral("title=アルバム %1\r\n").arg(d).toUtf8();
        QByteArray order = "order=";
        for (int t = tracks; t >= 1; --t)
            order += QByteArray::number(t) + (t > 1 ? " " : "");
        bytes += order + "\r\n";
        for (int t = 1; t <= tracks; ++t)
            bytes += QStringLiteral("%1=曲 %2 of disc %3\r\n").arg(t).arg(t).arg(d).toUtf8();
    }
    return bytes;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    if (!args.isEmpty() && args.first() == u"generate") {
        if (args.size() < 2)
            return 2;
        const int discs = args.size() > 2 ? args.at(2).toInt() : 10000;
        const int tracks = args.size() > 3 ? args.at(3).toInt() : 12;
        return WriteFile(args.at(1), GenerateSource(discs, tracks)) ? 0 : 1;
    }
    QApplication app(argc, argv);
    const int discs = !args.isEmpty() ? args.at(0).toInt() : 10000;
    const int tracks = args.size() > 1 ? args.at(1).toInt() : 12;

    QTemporaryDir tmp;
    const QString source = tmp.path() + QStringLiteral("/source.dat");
    if (!WriteFile(source, GenerateSource(discs, tracks)))
        return 1;
    const QString batchDir = tmp.path() + QStringLiteral("/batch");
    const QString windowDir = tmp.path() + QStringLiteral("/window");
    QDir().mkpath(batchDir);
    QDir().mkpath(windowDir);
    std::printf("source: %d discs x %d tracks, %lld bytes\n", discs, tracks,
                QFileInfo(source).size());

    QFile devNull(QStringLiteral("/dev/null"));
    devNull.open(QIODevice::WriteOnly);
    QElapsedTimer timer;
    timer.start();
    const int status = RunBatch(
        {QStringLiteral("--format"), QStringLiteral("kvt"), source, batchDir}, devNull, devNull);
    std::printf("batch:  %lld ms (status %d, %lld files)\n", timer.elapsed(), status,
                qsizetype(QDir(batchDir).entryList(QDir::Files).size()));

    TMainForm form;
    form.show();
    QCoreApplication::processEvents();
    form.findChild<QLineEdit*>(QStringLiteral("SrcFileEdit"))->setText(source);
    form.findChild<QLineEdit*>(QStringLiteral("DestDirEdit"))->setText(windowDir);
    auto* log = form.findChild<QTextEdit*>(QStringLiteral("ProgressEdit"));
    auto* convert = form.findChild<QPushButton*>(QStringLiteral("ConvertButton"));
    // The second run empties the full log of the first and replaces its files.
    for (const char* label : {"window", "again "}) {
        timer.restart();
        convert->click();
        const qint64 run = timer.elapsed();
        QCoreApplication::processEvents();
        log->viewport()->repaint();
        std::printf("%s: %lld ms (run %lld ms, %d log lines, %lld files)\n", label, timer.elapsed(),
                    run, log->document()->blockCount(),
                    qsizetype(QDir(windowDir).entryList(QDir::Files).size()));
    }
    return 0;
}
