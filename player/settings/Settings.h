#pragma once

#include <optional>

#include <QString>

#include "settings/SettingsValues.h"
#include "uilogic/Colors.h"

namespace qlnx {

class TIniFile;

// A font as the settings file keeps it. The character set is not kept: every font keeps the
// one of its design.
struct TFontSettings
{
    QString Name = QStringLiteral("ＭＳ Ｐゴシック");
    int Size = 10; // points
    TColor Color = clWindowText;
    int Style = 0; // FontStyleBold | FontStyleItalic | ...

    bool operator==(const TFontSettings&) const = default;
};

// A window's outer bounds in screen pixels. The defaults of 1 x 1 stand for "as small as the
// window allows": its minimum size applies to whatever it is given.
struct TWindowBounds
{
    int Left = 0;
    int Top = 0;
    int Width = 1;
    int Height = 1;

    bool operator==(const TWindowBounds&) const = default;
};

// The lyrics window's top defaults to just below the main window as it ends up once its own
// bounds and minimum size are applied, which only the window knows; so a missing or
// unreadable top stays absent here.
struct TLyricsWindowBounds
{
    int Left = 0;
    std::optional<int> Top;
    int Width = 1;
    int Height = 1;

    bool operator==(const TLyricsWindowBounds&) const = default;
};

// Everything the settings file holds, each member starting at the value a missing key gives.
// The three mode numbers are bytes: what the mode setters take, whatever the file held.
struct TSettings
{
    TWindowBounds MainBounds;
    TLyricsWindowBounds LyricsBounds;
    TFontSettings MainFont;
    TFontSettings CurLyricsFont;
    TFontSettings NextLyricsFont{.Color = clGrayText};
    TColor GaugeForeColor = clBtnFace;
    TColor GaugeBackColor = clWindow;
    bool GaugeInvertText = false;
    bool Repeat = true;
    bool Shuffle = false;
    bool MultiDrive = false;
    bool StopAtClose = true;
    bool StayOnTop = false;
    quint8 LyricsFormMode = 2;     // 0 On, 1 Off, 2 Depend
    quint8 LyricsFormSyncMode = 0; // 0 None, 1 Bottom-Center, 2 Bottom-Left, 3 Bottom-Right
    quint8 TrackNumberStyle = 0;   // 0 None, 1 "n.", 2 "[n]", 3 "<n>"
    QString DataDir = QStringLiteral("data\\"); // as configured, not resolved
    int Interval = 1000;                        // milliseconds; no command changes it
    // 1: a disc without a data file takes its texts from its CD-Text. No command changes it;
    // any other number means off and is written back as it was read.
    int CdText = 0;

    bool operator==(const TSettings&) const = default;
};

// The settings the file holds; missing sections and keys, and values that cannot be read,
// give the defaults of TSettings.
TSettings ReadSettings(const TIniFile& ini);

// Writes every key into the file's text, replacing keys that are there in place (keeping the
// spelling of their names) and adding the others, then saves the file. Every other section,
// key and line stays. A lyrics window without a top is written just below the main window's
// bounds. Returns the message to show when the file cannot be written; it then stays as it
// was on disk.
std::optional<QString> WriteSettings(TIniFile& ini, const TSettings& s);

} // namespace qlnx
