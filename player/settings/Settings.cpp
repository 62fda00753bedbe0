#include "settings/Settings.h"

#include "settings/IniFile.h"

namespace qlnx {

namespace {

const QString MainFormSection = QStringLiteral("MainForm");
const QString LyricsFormSection = QStringLiteral("LyricsForm");
const QString MainFontSection = QStringLiteral("MainFont");
const QString CurLyricsFontSection = QStringLiteral("CurLyricsFont");
const QString NextLyricsFontSection = QStringLiteral("NextLyricsFont");
const QString TimeGaugeSection = QStringLiteral("TimeGauge");
const QString OptionSection = QStringLiteral("Option");

const QString LeftKey = QStringLiteral("Left");
const QString TopKey = QStringLiteral("Top");
const QString WidthKey = QStringLiteral("Width");
const QString HeightKey = QStringLiteral("Height");

std::optional<int> ReadOptionalInteger(const TIniFile& ini, const QString& section,
                                       const QString& key)
{
    const auto text = ini.Value(section, key);
    return text ? ParseProfileInteger(*text) : std::nullopt;
}

TColor ReadColor(const TIniFile& ini, const QString& section, const QString& key, TColor def)
{
    const auto text = ini.Value(section, key);
    return text ? ParseColor(*text).value_or(def) : def;
}

quint8 ReadByte(const TIniFile& ini, const QString& key, quint8 def)
{
    return quint8(ini.ReadInteger(OptionSection, key, def) & 0xFF);
}

TFontSettings ReadFont(const TIniFile& ini, const QString& section, const TFontSettings& def)
{
    TFontSettings f;
    f.Name = ini.ReadString(section, QStringLiteral("Name"), def.Name);
    f.Size = ini.ReadInteger(section, QStringLiteral("Size"), def.Size);
    f.Color = ReadColor(ini, section, QStringLiteral("Color"), def.Color);
    f.Style = ini.ReadInteger(section, QStringLiteral("Style"), def.Style);
    return f;
}

// Writes one key after another. A key already in the file keeps the spelling it has there:
// the file may have been edited by hand, and a rewrite should change values only.
class TKeyWriter
{
public:
    explicit TKeyWriter(TIniFile& ini) : m_ini(ini) {}

    void String(const QString& section, const QString& key, const QString& value)
    {
        QString name = key;
        for (const QString& stored : m_ini.Keys(section)) {
            if (stored.compare(key, Qt::CaseInsensitive) == 0) {
                name = stored;
                break;
            }
        }
        m_ini.WriteString(section, name, value);
    }
    void Integer(const QString& section, const QString& key, int value)
    {
        String(section, key, QString::number(value));
    }
    void Bool(const QString& section, const QString& key, bool value)
    {
        String(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void Color(const QString& section, const QString& key, TColor value)
    {
        String(section, key, FormatColor(value));
    }
    void Font(const QString& section, const TFontSettings& f)
    {
        String(section, QStringLiteral("Name"), f.Name);
        Integer(section, QStringLiteral("Size"), f.Size);
        Color(section, QStringLiteral("Color"), f.Color);
        Integer(section, QStringLiteral("Style"), f.Style);
    }

private:
    TIniFile& m_ini;
};

} // namespace

TSettings ReadSettings(const TIniFile& ini)
{
    const TSettings def;
    TSettings s;

    s.MainBounds.Left = ini.ReadInteger(MainFormSection, LeftKey, def.MainBounds.Left);
    s.MainBounds.Top = ini.ReadInteger(MainFormSection, TopKey, def.MainBounds.Top);
    s.MainBounds.Width = ini.ReadInteger(MainFormSection, WidthKey, def.MainBounds.Width);
    s.MainBounds.Height = ini.ReadInteger(MainFormSection, HeightKey, def.MainBounds.Height);

    s.LyricsBounds.Left = ini.ReadInteger(LyricsFormSection, LeftKey, def.LyricsBounds.Left);
    s.LyricsBounds.Top = ReadOptionalInteger(ini, LyricsFormSection, TopKey);
    s.LyricsBounds.Width = ini.ReadInteger(LyricsFormSection, WidthKey, def.LyricsBounds.Width);
    s.LyricsBounds.Height = ini.ReadInteger(LyricsFormSection, HeightKey, def.LyricsBounds.Height);

    s.MainFont = ReadFont(ini, MainFontSection, def.MainFont);
    s.CurLyricsFont = ReadFont(ini, CurLyricsFontSection, def.CurLyricsFont);
    s.NextLyricsFont = ReadFont(ini, NextLyricsFontSection, def.NextLyricsFont);

    s.GaugeForeColor =
        ReadColor(ini, TimeGaugeSection, QStringLiteral("ForeColor"), def.GaugeForeColor);
    s.GaugeBackColor =
        ReadColor(ini, TimeGaugeSection, QStringLiteral("BackColor"), def.GaugeBackColor);
    s.GaugeInvertText =
        ini.ReadBool(TimeGaugeSection, QStringLiteral("InvertText"), def.GaugeInvertText);

    s.Repeat = ini.ReadBool(OptionSection, QStringLiteral("Repeat"), def.Repeat);
    s.Shuffle = ini.ReadBool(OptionSection, QStringLiteral("Shuffle"), def.Shuffle);
    s.MultiDrive = ini.ReadBool(OptionSection, QStringLiteral("MultiDrive"), def.MultiDrive);
    s.StopAtClose = ini.ReadBool(OptionSection, QStringLiteral("StopAtClose"), def.StopAtClose);
    s.StayOnTop = ini.ReadBool(OptionSection, QStringLiteral("StayOnTop"), def.StayOnTop);
    s.LyricsFormMode = ReadByte(ini, QStringLiteral("LyricsForm"), def.LyricsFormMode);
    s.LyricsFormSyncMode = ReadByte(ini, QStringLiteral("LyricsFormSync"), def.LyricsFormSyncMode);
    s.TrackNumberStyle = ReadByte(ini, QStringLiteral("TrackNumber"), def.TrackNumberStyle);
    s.DataDir = ini.ReadString(OptionSection, QStringLiteral("DataDir"), def.DataDir);
    s.Interval = ini.ReadInteger(OptionSection, QStringLiteral("Interval"), def.Interval);
    s.CdText = ini.ReadInteger(OptionSection, QStringLiteral("CDText"), def.CdText);
    return s;
}

std::optional<QString> WriteSettings(TIniFile& ini, const TSettings& s)
{
    TKeyWriter w(ini);

    w.Integer(MainFormSection, LeftKey, s.MainBounds.Left);
    w.Integer(MainFormSection, TopKey, s.MainBounds.Top);
    w.Integer(MainFormSection, WidthKey, s.MainBounds.Width);
    w.Integer(MainFormSection, HeightKey, s.MainBounds.Height);

    w.Integer(LyricsFormSection, LeftKey, s.LyricsBounds.Left);
    w.Integer(LyricsFormSection, TopKey,
              s.LyricsBounds.Top.value_or(s.MainBounds.Top + s.MainBounds.Height));
    w.Integer(LyricsFormSection, WidthKey, s.LyricsBounds.Width);
    w.Integer(LyricsFormSection, HeightKey, s.LyricsBounds.Height);

    w.Font(MainFontSection, s.MainFont);
    w.Font(CurLyricsFontSection, s.CurLyricsFont);
    w.Font(NextLyricsFontSection, s.NextLyricsFont);

    w.Color(TimeGaugeSection, QStringLiteral("ForeColor"), s.GaugeForeColor);
    w.Color(TimeGaugeSection, QStringLiteral("BackColor"), s.GaugeBackColor);
    w.Bool(TimeGaugeSection, QStringLiteral("InvertText"), s.GaugeInvertText);

    // "Repeat &1" has no key: it is off at every start.
    w.Bool(OptionSection, QStringLiteral("Repeat"), s.Repeat);
    w.Bool(OptionSection, QStringLiteral("Shuffle"), s.Shuffle);
    w.Bool(OptionSection, QStringLiteral("MultiDrive"), s.MultiDrive);
    w.Bool(OptionSection, QStringLiteral("StopAtClose"), s.StopAtClose);
    w.Bool(OptionSection, QStringLiteral("StayOnTop"), s.StayOnTop);
    w.Integer(OptionSection, QStringLiteral("LyricsForm"), s.LyricsFormMode);
    w.Integer(OptionSection, QStringLiteral("LyricsFormSync"), s.LyricsFormSyncMode);
    w.Integer(OptionSection, QStringLiteral("TrackNumber"), s.TrackNumberStyle);
    w.String(OptionSection, QStringLiteral("DataDir"), s.DataDir);
    w.Integer(OptionSection, QStringLiteral("Interval"), s.Interval);
    w.Integer(OptionSection, QStringLiteral("CDText"), s.CdText);

    return ini.Save();
}

} // namespace qlnx
