#include "convert/CddbSource.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "convert/Cddb.h"
#include "convert/OutputFile.h"
#include "text/TextCodec.h"

namespace qlnxdc {

namespace {

// Enough of a file to tell an xmcd entry: "# xmcd" after a possible byte-order mark. Other
// files of the folder (sound files, pictures) are never read further.
constexpr qint64 HeadBytes = 9;

QString Joined(const QString& dir, const QString& name)
{
    if (dir.endsWith(u'/'))
        return dir + name;
    return dir + u'/' + name;
}

class TSearch
{
public:
    explicit TSearch(const QString& canonicalRoot)
        : m_root(canonicalRoot), m_rootPrefix(Joined(canonicalRoot, QString()))
    {
        m_dirs.insert(canonicalRoot);
    }

    // dir is reached as dirPath, shown as shownPrefix, and is canonicalDir on the disk.
    void Walk(const QString& dirPath, const QString& shownPrefix, const QString& canonicalDir);
    QList<TCddbFile> Files();

private:
    struct TFound
    {
        TCddbFile File;
        QString Canonical;
    };

    bool IsInside(const QString& canonical) const
    {
        return canonical == m_root || canonical.startsWith(m_rootPrefix);
    }

    const QString m_root;
    const QString m_rootPrefix;
    QSet<QString> m_dirs; // entered, canonical: no folder is searched twice, so links loop not
    QList<TFound> m_found;
};

void TSearch::Walk(const QString& dirPath, const QString& shownPrefix, const QString& canonicalDir)
{
    const QFileInfoList entries = QDir(dirPath).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        const QString name = entry.fileName();
        QString canonical;
        if (entry.isSymLink()) {
            canonical = entry.canonicalFilePath();
            if (canonical.isEmpty() || !IsInside(canonical))
                continue;
        } else {
            canonical = Joined(canonicalDir, name);
        }
        if (entry.isDir()) {
            if (m_dirs.contains(canonical))
                continue;
            m_dirs.insert(canonical);
            Walk(entry.filePath(), shownPrefix + name + u'/', canonical);
        } else if (entry.isFile()) {
            m_found.append({{entry.filePath(), shownPrefix + name}, canonical});
        }
    }
}

QList<TCddbFile> TSearch::Files()
{
    std::sort(m_found.begin(), m_found.end(),
              [](const TFound& a, const TFound& b) { return a.File.Shown < b.File.Shown; });
    QList<TCddbFile> files;
    files.reserve(m_found.size());
    QSet<QString> taken;
    for (const TFound& found : m_found) {
        if (taken.contains(found.Canonical))
            continue;
        taken.insert(found.Canonical);
        files.append(found.File);
    }
    return files;
}

enum class TRead
{
    Entry,
    NotAnEntry,
    Unreadable,
};

TRead ReadEntryFile(const QString& path, QByteArray& bytes)
{
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return TRead::Unreadable;
    bytes = source.read(HeadBytes);
    if (source.error() != QFileDevice::NoError)
        return TRead::Unreadable;
    if (!IsCddbEntryStart(bytes))
        return TRead::NotAnEntry;
    bytes += source.readAll();
    return source.error() == QFileDevice::NoError ? TRead::Entry : TRead::Unreadable;
}

class TCddbRun
{
public:
    TCddbRun(const QString& destDir, TConversionLog& log) : m_destDir(destDir), m_log(log) {}

    // False when the run must end: Result() then tells why. A single file chosen as the source
    // is not inFolder: it fails the run when it cannot be read, like the other formats' sources,
    // and is logged when it is not an entry at all.
    bool Take(const TCddbFile& file, bool inFolder);
    const TConversionResult& Result() const { return m_result; }

private:
    bool Fail(const QString& message)
    {
        m_result = {TConversionResult::TOutcome::Failed, message};
        return false;
    }
    void LogRefused(const QString& shown, const QString& reason);
    bool WriteDisc(const QString& shown);

    const QString m_destDir;
    TConversionLog& m_log;
    TDiscRecord m_record;
    // The file each identity written in this run came from.
    QHash<QString, QString> m_written;
    TConversionResult m_result;
};

bool TCddbRun::Take(const TCddbFile& file, bool inFolder)
{
    QByteArray bytes;
    switch (ReadEntryFile(file.Path, bytes)) {
    case TRead::Unreadable:
        if (!inFolder)
            return Fail(CannotOpenMessage(file.Path));
        LogRefused(file.Shown, QStringLiteral("Not written: the file cannot be read"));
        return true;
    case TRead::NotAnEntry:
        if (!inFolder)
            LogRefused(file.Shown, QStringLiteral("Not written: the file does not begin with "
                                                  "\"# xmcd\" (no CDDB entry)"));
        return true;
    case TRead::Entry:
        break;
    }
    const TCddbEntry entry =
        ParseCddbEntry(qlnx::SplitLines(qlnx::DecodeText(bytes, qlnx::TTextFallback::Latin1)));
    if (const QString refusal = CddbRefusal(entry); !refusal.isEmpty()) {
        LogRefused(file.Shown, refusal);
        return true;
    }
    FillDiscRecord(entry, m_record);
    return WriteDisc(file.Shown);
}

// Without an identity the entry is named by its file.
void TCddbRun::LogRefused(const QString& shown, const QString& reason)
{
    m_log.AppendLine(shown, TLogStyle::Bold);
    m_log.AppendLine(reason, TLogStyle::Red);
    m_log.AppendLine(QString(), TLogStyle::Normal);
}

bool TCddbRun::WriteDisc(const QString& shown)
{
    const QList<TLogLine> lines = DiscLogLines(m_record);
    for (qsizetype i = 0; i < lines.size() - 1; ++i)
        m_log.AppendLine(lines.at(i).Text, lines.at(i).Style);
    // The same disc in two files, such as two categories of a cache: the later file wins, and
    // the log says so before the closing blank line.
    const auto earlier = m_written.constFind(m_record.Identity);
    if (earlier != m_written.cend())
        m_log.AppendLine(QStringLiteral("Replaces the file written from %1 (the same disc)")
                             .arg(earlier.value()),
                         TLogStyle::Red);
    m_log.AppendLine(lines.last().Text, lines.last().Style);

    const QString fileName = ConvertedFileName(m_destDir, m_record.Identity);
    if (!WriteFileReplacing(fileName, DiscFileBytes(m_record)))
        return Fail(CannotCreateMessage(fileName));
    m_written.insert(m_record.Identity, shown);
    return true;
}

} // namespace

QList<TCddbFile> FilesBelow(const QString& folder)
{
    const QString root = QFileInfo(folder).canonicalFilePath();
    if (root.isEmpty())
        return {};
    TSearch search(root);
    search.Walk(folder, QString(), root);
    return search.Files();
}

TConversionResult ConvertCddbSource(const QString& sourcePath, const QString& destDir,
                                    TConversionLog& log)
{
    const bool folder = QFileInfo(sourcePath).isDir();
    const QList<TCddbFile> files =
        folder ? FilesBelow(sourcePath) : QList<TCddbFile>{{sourcePath, sourcePath}};
    TCddbRun run(destDir, log);
    for (const TCddbFile& file : files) {
        if (!run.Take(file, folder))
            return run.Result();
    }
    log.MoveCaretToStart();
    return run.Result();
}

} // namespace qlnxdc
