// The settings file's INI layer: any file reads; a key written reads back, also after a save
// and a new read; the player's settings read from anything.

#include "FuzzTarget.h"

#include <QFile>
#include <QTemporaryDir>

#include "settings/IniFile.h"
#include "settings/Settings.h"

using namespace qlnx;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString name = dir.path() + QStringLiteral("/qlnx.ini");
    {
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TIniFile ini(name);
    const TSettings settings = ReadSettings(ini);
    (void)settings;
    const QString section = QStringLiteral("Option");
    const QString key = QStringLiteral("Interval");
    ini.WriteString(section, key, QStringLiteral("1234"));
    QLNX_FUZZ_CHECK(ini.ReadInteger(section, key, -1) == 1234);
    QLNX_FUZZ_CHECK(!ini.Save());
    const TIniFile again(name);
    QLNX_FUZZ_CHECK(again.ReadInteger(section, key, -1) == 1234);
    return 0;
}
