// Speed of the converter on a large source, in batch mode and in the window.
//
//   qlnxdc_bench generate FILE [DISCS [TRACKS]]        writes an old-KVT source
//   qlnxdc_bench generate-cddb DIR [DISCS [TRACKS]]    writes a CDDB folder: one xmcd entry per
//                                                      disc, in category folders
//   qlnxdc_bench [DISCS [TRACKS]]                      generates both in a temporary directory
//                                                      and times the runs (default 10000 x 12)
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
#include "convert/Cddb.h"
#include "discid/DiscIdentity.h"
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

// One entry as a CD player caches it. Every track of disc d starts d frames later than on disc
// 0, so the identities all differ. Even discs are UTF-8, odd ones ISO-8859-1.
QByteArray CddbEntry(int d, int tracks)
{
    QList<qint32> offsets;
    qint32 start = 150 + d;
    for (int t = 0; t < tracks; ++t) {
        offsets.append(start);
        start += 9000 + t * 7919 % 9000;
    }
    const int length = start / 75;
    QString text = QStringLiteral("# xmcd\n#\n# Track frame offsets:\n");
    for (qint32 offset : offsets)
        text += QStringLiteral("#\t%1\n").arg(offset);
    text += QStringLiteral("#\n# Disc length: %1 seconds\n#\n# Revision: 0\n"
                           "# Submitted via: qlnxdc_bench\n#\n")
                .arg(length);
    text += QStringLiteral("DISCID=%1\n")
                .arg(qlnx::CddbDiscId(offsets, length), 8, 16, QLatin1Char('0'));
    const bool utf8 = d % 2 == 0;
    text += utf8 ? QStringLiteral("DTITLE=アーティスト %1 / アルバム %1\n").arg(d)
                 : QStringLiteral("DTITLE=Artiste %1 / Chanson d'été %1\n").arg(d);
    text += QStringLiteral("DYEAR=2001\nDGENRE=Rock\n");
    for (int t = 0; t < tracks; ++t)
        text += QStringLiteral("TTITLE%1=%2 %3 of disc %4\n")
                    .arg(t)
                    .arg(utf8 ? QStringLiteral("曲") : QStringLiteral("Très"))
                    .arg(t + 1)
                    .arg(d);
    text += QStringLiteral("EXTD=\n");
    for (int t = 0; t < tracks; ++t)
        text += QStringLiteral("EXTT%1=\n").arg(t);
    text += QStringLiteral("PLAYORDER=\n");
    return utf8 ? text.toUtf8() : text.toLatin1();
}

bool GenerateCddbFolder(const QString& dir, int discs, int tracks)
{
    const QStringList categories{
        QStringLiteral("blues"), QStringLiteral("classical"), QStringLiteral("country"),
        QStringLiteral("data"),  QStringLiteral("folk"),      QStringLiteral("jazz"),
        QStringLiteral("misc"),  QStringLiteral("newage"),    QStringLiteral("reggae"),
        QStringLiteral("rock"),  QStringLiteral("soundtrack")};
    for (const QString& category : categories) {
        if (!QDir().mkpath(dir + u'/' + category))
            return false;
    }
    for (int d = 0; d < discs; ++d) {
        const QString name = QStringLiteral("%1/%2/%3")
                                 .arg(dir, categories.at(d % categories.size()))
                                 .arg(0x10000000u + quint32(d), 8, 16, QLatin1Char('0'));
        if (!WriteFile(name, CddbEntry(d, tracks)))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // No options besides help: anything else starting with "-" would be taken for a name.
    for (const QString& arg : args) {
        if (!arg.startsWith(u'-'))
            continue;
        const bool help = arg == u"--help" || arg == u"-h";
        std::fprintf(help ? stdout : stderr, "%s%s",
                     help ? "" : qPrintable(QStringLiteral("unknown option %1\n").arg(arg)),
                     "Usage: qlnxdc_bench generate FILE [DISCS [TRACKS]]\n"
                     "       qlnxdc_bench generate-cddb DIR [DISCS [TRACKS]]\n"
                     "       qlnxdc_bench [DISCS [TRACKS]]   (default 10000 x 12)\n");
        return help ? 0 : 2;
    }
    if (!args.isEmpty() && args.first() == u"generate") {
        if (args.size() < 2)
            return 2;
        const int discs = args.size() > 2 ? args.at(2).toInt() : 10000;
        const int tracks = args.size() > 3 ? args.at(3).toInt() : 12;
        return WriteFile(args.at(1), GenerateSource(discs, tracks)) ? 0 : 1;
    }
    if (!args.isEmpty() && args.first() == u"generate-cddb") {
        if (args.size() < 2)
            return 2;
        const int discs = args.size() > 2 ? args.at(2).toInt() : 10000;
        const int tracks = args.size() > 3 ? args.at(3).toInt() : 12;
        return GenerateCddbFolder(args.at(1), discs, tracks) ? 0 : 1;
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

    // The same number of discs as a CDDB cache: a file each, in category folders. The second
    // run replaces the files of the first.
    const QString cddbSource = tmp.path() + QStringLiteral("/cddb");
    const QString cddbDir = tmp.path() + QStringLiteral("/cddb-out");
    QDir().mkpath(cddbDir);
    if (!GenerateCddbFolder(cddbSource, discs, tracks))
        return 1;
    std::printf("cddb source: %d entry files\n", discs);
    for (const char* label : {"cddb batch:", "cddb again:"}) {
        timer.restart();
        const int cddbStatus =
            RunBatch({QStringLiteral("--format"), QStringLiteral("cddb"), cddbSource, cddbDir},
                     devNull, devNull);
        std::printf("%s %lld ms (status %d, %lld files)\n", label, timer.elapsed(), cddbStatus,
                    qsizetype(QDir(cddbDir).entryList(QDir::Files).size()));
    }

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
