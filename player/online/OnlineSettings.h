#pragma once

#include <optional>

#include <QString>

namespace qlnx {

class TIniFile;

// Section "Online" of the settings file. Nothing leaves the machine while Enabled is off, and
// only the user's yes to the question of a first lookup turns it on. The base URLs can point
// at mirrors or at a server of one's own.
struct TOnlineSettings
{
    bool Enabled = false;
    QString MusicBrainzUrl = QStringLiteral("https://musicbrainz.org");
    QString GnudbUrl = QStringLiteral("https://gnudb.gnudb.org");
    QString LrclibUrl = QStringLiteral("https://lrclib.net");
    int TimeoutSeconds = 15; // for each request, from its start to its last byte
    // Who to tell about a misbehaving client: the services ask every program to name one.
    QString Contact = QStringLiteral("qlnx@example.org");

    bool operator==(const TOnlineSettings&) const = default;
};

// Missing keys and unreadable values give the defaults; a timeout below one second is one
// second, so a typo cannot make every lookup fail at once.
TOnlineSettings ReadOnlineSettings(const TIniFile& ini);

// Writes every key of the section into the file's text (Save writes it out).
void WriteOnlineSettings(TIniFile& ini, const TOnlineSettings& s);

// Turns lookups on in the settings file at once: the user's yes holds even if the program
// does not close normally. Returns the message to show when the file cannot be written.
std::optional<QString> StoreOnlineEnabled(const QString& settingsFile);

// "qlnx/<version> ( <contact> )", as the services ask a client to name itself.
QString OnlineUserAgent(const TOnlineSettings& s);

} // namespace qlnx
