#include "convert/BatchMode.h"

#include <QCommandLineParser>
#include <QIODevice>

#include "base/Version.h"
#include "convert/Conversion.h"

namespace qlnxdc {

namespace {

enum class TExitStatus
{
    ExitCompleted = 0,
    ExitFailed = 1,
    ExitUsage = 2,
    ExitTrackZero = 3,
};

// The log as plain lines. Output is gathered and written in large pieces: a source of many
// discs gives hundreds of thousands of lines.
class TBatchLog final : public TConversionLog
{
public:
    explicit TBatchLog(QIODevice& out) : m_out(out) {}
    ~TBatchLog() override { Flush(); }

    void Clear() override {}
    void AppendLine(const QString& text, TLogStyle style) override
    {
        if (style == TLogStyle::Red)
            m_buffer += "! ";
        m_buffer += text.toUtf8();
        m_buffer += '\n';
        if (m_buffer.size() >= 64 * 1024)
            Flush();
    }
    void MoveCaretToStart() override {}

    void Flush()
    {
        m_out.write(m_buffer);
        m_buffer.clear();
    }

private:
    QIODevice& m_out;
    QByteArray m_buffer;
};

// No one can be asked: the answer is given on the command line.
class TFixedAnswer final : public TTrackZeroAsker
{
public:
    explicit TFixedAnswer(bool skip) : m_skip(skip) {}
    bool AskTrackZero() override { return !m_skip; }

private:
    const bool m_skip;
};

void WriteLine(QIODevice& device, const QString& text)
{
    device.write(text.toUtf8() + '\n');
}

int UsageError(QIODevice& err, const QString& problem)
{
    WriteLine(err, QStringLiteral("qlnxdc: ") + problem);
    WriteLine(err, QStringLiteral("Usage: qlnxdc --format kvt|win|cddb [--skip-track-zero] "
                                  "SOURCE DESTDIR   (qlnxdc --help for more)"));
    return int(TExitStatus::ExitUsage);
}

} // namespace

QString BatchHelpText()
{
    return QStringLiteral(
        "Usage: qlnxdc\n"
        "       qlnxdc --format kvt|win|cddb [--skip-track-zero] SOURCE DESTDIR\n"
        "\n"
        "Without arguments qlnxdc opens its window.\n"
        "\n"
        "With arguments it converts SOURCE without a window and writes one disc data file\n"
        "per disc into the existing directory DESTDIR, replacing files of the same name.\n"
        "\n"
        "  --format kvt       SOURCE is an old KVT data file (*.dat): tracks count from 1\n"
        "  --format win       SOURCE is in the Windows standard layout (*.ini): tracks\n"
        "                     count from 0\n"
        "  --format cddb      SOURCE is CDDB data in the xmcd format: one entry file, or a\n"
        "                     folder searched recursively (such as ~/.cddb) in which every\n"
        "                     file beginning with \"# xmcd\" is a disc; the disc identity\n"
        "                     is computed from the track frame offsets, which is exact for\n"
        "                     discs of 3 tracks or more (discs of 1 or 2 tracks are logged\n"
        "                     and not written)\n"
        "  --skip-track-zero  with --format kvt, skip track numbers 0 and go on; without\n"
        "                     it a track 0 stops the run, since the source then looks like\n"
        "                     the Windows standard layout\n"
        "  --help             show this text\n"
        "  --version          show the version\n"
        "\n"
        "The log goes to standard output, the same lines the window shows; a line the\n"
        "window shows in red starts with \"! \". Failure messages go to standard error.\n"
        "\n"
        "Exit status: 0 the run completed; 1 it stopped because the source could not be\n"
        "read or a file could not be written (files of the discs before stay); 2 wrong\n"
        "arguments; 3 a track 0 turned up with --format kvt (the disc where it turned up\n"
        "is not written).\n");
}

int RunBatch(const QStringList& arguments, QIODevice& out, QIODevice& err)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption formatOption(QStringLiteral("format"), QString(),
                                          QStringLiteral("kvt|win|cddb"));
    const QCommandLineOption skipOption(QStringLiteral("skip-track-zero"));
    const QCommandLineOption helpOption(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    const QCommandLineOption versionOption(QStringLiteral("version"));
    parser.addOption(formatOption);
    parser.addOption(skipOption);
    parser.addOption(helpOption);
    parser.addOption(versionOption);
    if (!parser.parse(QStringList{QStringLiteral("qlnxdc")} + arguments))
        return UsageError(err, parser.errorText());
    if (parser.isSet(helpOption)) {
        out.write(BatchHelpText().toUtf8());
        return int(TExitStatus::ExitCompleted);
    }
    if (parser.isSet(versionOption)) {
        out.write((QStringLiteral("qlnxdc ") + qlnx::ProductVersion() + u'\n').toUtf8());
        return int(TExitStatus::ExitCompleted);
    }
    if (!parser.isSet(formatOption))
        return UsageError(err, QStringLiteral("--format kvt, win or cddb is required"));
    if (parser.values(formatOption).size() > 1)
        return UsageError(err, QStringLiteral("--format is given more than once"));
    const QString formatName = parser.value(formatOption);
    TSourceFormat format;
    if (formatName.compare(QLatin1StringView("kvt"), Qt::CaseInsensitive) == 0)
        format = TSourceFormat::Kvt;
    else if (formatName.compare(QLatin1StringView("win"), Qt::CaseInsensitive) == 0)
        format = TSourceFormat::WinStandard;
    else if (formatName.compare(QLatin1StringView("cddb"), Qt::CaseInsensitive) == 0)
        format = TSourceFormat::Cddb;
    else
        return UsageError(
            err, QStringLiteral("unknown format \"%1\" (kvt, win or cddb)").arg(formatName));
    const QStringList paths = parser.positionalArguments();
    if (paths.size() != 2)
        return UsageError(err, QStringLiteral("SOURCE and DESTDIR are required"));
    if (paths.at(0).isEmpty() || paths.at(1).isEmpty())
        return UsageError(err, QStringLiteral("SOURCE and DESTDIR must not be empty"));

    TConversionResult result;
    {
        TBatchLog log(out);
        TFixedAnswer answer(parser.isSet(skipOption));
        result = ConvertFile(paths.at(0), paths.at(1), format, log, answer);
    }
    switch (result.Outcome) {
    case TConversionResult::TOutcome::Completed:
        return int(TExitStatus::ExitCompleted);
    case TConversionResult::TOutcome::Failed:
        WriteLine(err, result.Message);
        return int(TExitStatus::ExitFailed);
    case TConversionResult::TOutcome::Stopped:
        WriteLine(err, QStringLiteral("トラック0を検出: 変換元は Win標準 形式のようです。"
                                      "--format win で変換し直すか、0 を飛ばして続けるには "
                                      "--skip-track-zero を付けてください"));
        return int(TExitStatus::ExitTrackZero);
    }
    return int(TExitStatus::ExitFailed);
}

} // namespace qlnxdc
