#include "settings/ProgramDirectory.h"

#include <algorithm>
#include <utility>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "settings/IniFile.h"

namespace qlnx {

namespace {

QString WithSlash(QString dir)
{
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

} // namespace

QString ChooseProgramDirectory(const QString& executableDir, bool executableDirWritable,
                               const QString& xdgConfigHome, const QString& home)
{
    if (executableDirWritable && !executableDir.isEmpty())
        return WithSlash(executableDir);
    const QString config = xdgConfigHome.startsWith(u'/')
                               ? xdgConfigHome
                               : WithSlash(home) + QStringLiteral(".config");
    return WithSlash(config) + QStringLiteral("qlnx/");
}

bool InstalledProgramDirectory(const QString& executableDir)
{
    return !executableDir.isEmpty() &&
           QFileInfo::exists(WithSlash(executableDir) +
                             QStringLiteral("../share/applications/qlnx.desktop"));
}

QString ProgramDirectory()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    const bool usable = QFileInfo(exeDir).isWritable() && !InstalledProgramDirectory(exeDir);
    return ChooseProgramDirectory(exeDir, usable, qEnvironmentVariable("XDG_CONFIG_HOME"),
                                  QDir::homePath());
}

QString SettingsFileName(const QString& programDir)
{
    return WithSlash(programDir) + QStringLiteral("qlnx.ini");
}

QString NoDriveHint(const QString& settingsFile)
{
    return QStringLiteral("No drive: add a disc image as Image1=<path> in [Drives] of ") +
           settingsFile;
}

namespace {

// The values of the keys <prefix>1, <prefix>2, ... of a section as paths, in the order of their
// numbers, each with its number.
QList<std::pair<qint64, QString>> NumberedPaths(const TIniFile& settings, const QString& section,
                                                const QString& prefix, const QString& settingsDir)
{
    QList<std::pair<qint64, QString>> numbered;
    for (const QString& key : settings.Keys(section)) {
        if (!key.startsWith(prefix, Qt::CaseInsensitive) || key.size() == prefix.size() ||
            !key.at(prefix.size()).isDigit())
            continue;
        bool ok = false;
        const qint64 n = key.mid(prefix.size()).toLongLong(&ok);
        if (!ok || n < 1)
            continue;
        QString path = settings.ReadString(section, key, QString());
        if (path.isEmpty())
            continue;
        path.replace(u'\\', u'/');
        if (path.startsWith(QLatin1String("~/")))
            path = WithSlash(QDir::homePath()) + path.mid(2);
        else if (!path.startsWith(u'/'))
            path = WithSlash(settingsDir) + path;
        numbered.append({n, QDir::cleanPath(path)});
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return numbered;
}

} // namespace

QStringList DriveImagePaths(const TIniFile& settings, const QString& settingsDir)
{
    QStringList paths;
    for (const auto& entry :
         NumberedPaths(settings, QStringLiteral("Drives"), QStringLiteral("Image"), settingsDir))
        paths.append(entry.second);
    return paths;
}

bool RememberDriveImage(TIniFile& settings, const QString& settingsDir, const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    qint64 last = 0;
    for (const auto& [n, listed] :
         NumberedPaths(settings, QStringLiteral("Drives"), QStringLiteral("Image"), settingsDir)) {
        if (QFileInfo(listed).absoluteFilePath() == absolute)
            return false;
        last = std::max(last, n);
    }
    settings.WriteString(QStringLiteral("Drives"), QStringLiteral("Image%1").arg(last + 1),
                         absolute);
    return true;
}

TTestSettings ReadTestSettings(const TIniFile& settings, const QString& settingsDir)
{
    const QString section = QStringLiteral("Test");
    TTestSettings test;
    for (const auto& [n, path] :
         NumberedPaths(settings, section, QStringLiteral("Drive"), settingsDir)) {
        const QString key = QStringLiteral("Drive") + QString::number(n);
        const auto ms = [&](const QString& what) {
            return std::max(0, settings.ReadInteger(section, key + what, 0));
        };
        test.Drives.append(TTestDrive{path, ms(QStringLiteral("SpinUp")),
                                      ms(QStringLiteral("TocRead")),
                                      ms(QStringLiteral("SlowRead"))});
    }
    test.OutputStallMs =
        std::max(0, settings.ReadInteger(section, QStringLiteral("OutputStall"), 0));
    return test;
}

} // namespace qlnx
