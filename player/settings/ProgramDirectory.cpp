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

QStringList DriveImagePaths(const TIniFile& settings, const QString& settingsDir)
{
    const QString section = QStringLiteral("Drives");
    QList<std::pair<qint64, QString>> numbered;
    for (const QString& key : settings.Keys(section)) {
        if (!key.startsWith(QLatin1String("Image"), Qt::CaseInsensitive))
            continue;
        bool ok = false;
        const qint64 n = key.mid(5).toLongLong(&ok);
        if (!ok || n < 1 || !key.at(5).isDigit())
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
    QStringList paths;
    for (const auto& entry : numbered)
        paths.append(entry.second);
    return paths;
}

} // namespace qlnx
