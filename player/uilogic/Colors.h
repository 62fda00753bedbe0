#pragma once

#include <QtGlobal>

namespace qlnx {

// A colour as the settings file stores it: 0x00BBGGRR for a fixed colour, or 0x80000000 plus the
// index of a system colour, which stays symbolic until it is painted (the current palette then
// decides what it looks like). Keeping the value lets a colour read from the settings be written
// back unchanged.
using TColor = quint32;

constexpr TColor SystemColorFlag = 0x80000000u;

constexpr bool IsSystemColor(TColor color)
{
    return (color & 0xFF000000u) == SystemColorFlag;
}
constexpr int SystemColorIndex(TColor color)
{
    return int(color & 0xFFu);
}
constexpr TColor RgbColor(int red, int green, int blue)
{
    return TColor(red & 0xFF) | TColor(green & 0xFF) << 8 | TColor(blue & 0xFF) << 16;
}

constexpr TColor clBlack = 0x000000u;
constexpr TColor clMaroon = 0x000080u;
constexpr TColor clGreen = 0x008000u;
constexpr TColor clOlive = 0x008080u;
constexpr TColor clNavy = 0x800000u;
constexpr TColor clPurple = 0x800080u;
constexpr TColor clTeal = 0x808000u;
constexpr TColor clGray = 0x808080u;
constexpr TColor clSilver = 0xC0C0C0u;
constexpr TColor clRed = 0x0000FFu;
constexpr TColor clLime = 0x00FF00u;
constexpr TColor clYellow = 0x00FFFFu;
constexpr TColor clBlue = 0xFF0000u;
constexpr TColor clFuchsia = 0xFF00FFu;
constexpr TColor clAqua = 0xFFFF00u;
constexpr TColor clWhite = 0xFFFFFFu;

constexpr TColor clScrollBar = SystemColorFlag | 0;
constexpr TColor clBackground = SystemColorFlag | 1;
constexpr TColor clActiveCaption = SystemColorFlag | 2;
constexpr TColor clInactiveCaption = SystemColorFlag | 3;
constexpr TColor clMenu = SystemColorFlag | 4;
constexpr TColor clWindow = SystemColorFlag | 5;
constexpr TColor clWindowFrame = SystemColorFlag | 6;
constexpr TColor clMenuText = SystemColorFlag | 7;
constexpr TColor clWindowText = SystemColorFlag | 8;
constexpr TColor clCaptionText = SystemColorFlag | 9;
constexpr TColor clActiveBorder = SystemColorFlag | 10;
constexpr TColor clInactiveBorder = SystemColorFlag | 11;
constexpr TColor clAppWorkSpace = SystemColorFlag | 12;
constexpr TColor clHighlight = SystemColorFlag | 13;
constexpr TColor clHighlightText = SystemColorFlag | 14;
constexpr TColor clBtnFace = SystemColorFlag | 15;
constexpr TColor clBtnShadow = SystemColorFlag | 16;
constexpr TColor clGrayText = SystemColorFlag | 17;
constexpr TColor clBtnText = SystemColorFlag | 18;
constexpr TColor clInactiveCaptionText = SystemColorFlag | 19;
constexpr TColor clBtnHighlight = SystemColorFlag | 20;
constexpr TColor cl3DDkShadow = SystemColorFlag | 21;
constexpr TColor cl3DLight = SystemColorFlag | 22;
constexpr TColor clInfoText = SystemColorFlag | 23;
constexpr TColor clInfoBk = SystemColorFlag | 24;

// "No colour": neither fixed nor system, so painting code must treat it on its own.
constexpr TColor clNone = 0x1FFFFFFFu;

} // namespace qlnx
