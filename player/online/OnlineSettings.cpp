#include "online/OnlineSettings.h"

#include <algorithm>

#include "base/Version.h"
#include "settings/IniFile.h"

namespace qlnx {

namespace {

const QString Section = QStringLiteral("Online");
const QString EnabledKey = QStringLiteral("Enabled");
const QString MusicBrainzKey = QStringLiteral("MusicBrainzUrl");
const QString GnudbKey = QStringLiteral("GnudbUrl");
const QString LrclibKey = QStringLiteral("LrclibUrl");
const QString TimeoutKey = QStringLiteral("Timeout");
const QString ContactKey = QStringLiteral("Contact");

QString ReadUrl(const TIniFile& ini, const QString& key, const QString& def)
{
    QString url = ini.ReadString(Section, key, def).trimmed();
    while (url.endsWith(u'/'))
        url.chop(1);
    return url.isEmpty() ? def : url;
}

} // namespace

TOnlineSettings ReadOnlineSettings(const TIniFile& ini)
{
    const TOnlineSettings def;
    TOnlineSettings s;
    s.Enabled = ini.ReadBool(Section, EnabledKey, def.Enabled);
    s.MusicBrainzUrl = ReadUrl(ini, MusicBrainzKey, def.MusicBrainzUrl);
    s.GnudbUrl = ReadUrl(ini, GnudbKey, def.GnudbUrl);
    s.LrclibUrl = ReadUrl(ini, LrclibKey, def.LrclibUrl);
    s.TimeoutSeconds = std::max(1, ini.ReadInteger(Section, TimeoutKey, def.TimeoutSeconds));
    s.Contact = ini.ReadString(Section, ContactKey, def.Contact);
    return s;
}

void WriteOnlineSettings(TIniFile& ini, const TOnlineSettings& s)
{
    ini.WriteBool(Section, EnabledKey, s.Enabled);
    ini.WriteString(Section, MusicBrainzKey, s.MusicBrainzUrl);
    ini.WriteString(Section, GnudbKey, s.GnudbUrl);
    ini.WriteString(Section, LrclibKey, s.LrclibUrl);
    ini.WriteInteger(Section, TimeoutKey, s.TimeoutSeconds);
    ini.WriteString(Section, ContactKey, s.Contact);
}

std::optional<QString> StoreOnlineEnabled(const QString& settingsFile)
{
    TIniFile ini(settingsFile);
    TOnlineSettings s = ReadOnlineSettings(ini);
    s.Enabled = true;
    WriteOnlineSettings(ini, s);
    return ini.Save();
}

QString OnlineUserAgent(const TOnlineSettings& s)
{
    const QString program = ProductName() + QLatin1Char('/') + ProductVersion();
    return s.Contact.trimmed().isEmpty()
               ? program
               : program + QStringLiteral(" ( ") + s.Contact.trimmed() + QStringLiteral(" )");
}

} // namespace qlnx
