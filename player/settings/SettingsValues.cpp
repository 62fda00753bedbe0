#include "settings/SettingsValues.h"

#include <array>

#include "settings/IniFile.h"

namespace qlnx {

namespace {

struct TNamedColor
{
    const char16_t* Name;
    TColor Value;
};

// Every colour with a name. No two share a value, so a value maps back to one name.
constexpr std::array<TNamedColor, 42> NamedColors{{
    {u"clBlack", clBlack},
    {u"clMaroon", clMaroon},
    {u"clGreen", clGreen},
    {u"clOlive", clOlive},
    {u"clNavy", clNavy},
    {u"clPurple", clPurple},
    {u"clTeal", clTeal},
    {u"clGray", clGray},
    {u"clSilver", clSilver},
    {u"clRed", clRed},
    {u"clLime", clLime},
    {u"clYellow", clYellow},
    {u"clBlue", clBlue},
    {u"clFuchsia", clFuchsia},
    {u"clAqua", clAqua},
    {u"clWhite", clWhite},
    {u"clScrollBar", clScrollBar},
    {u"clBackground", clBackground},
    {u"clActiveCaption", clActiveCaption},
    {u"clInactiveCaption", clInactiveCaption},
    {u"clMenu", clMenu},
    {u"clWindow", clWindow},
    {u"clWindowFrame", clWindowFrame},
    {u"clMenuText", clMenuText},
    {u"clWindowText", clWindowText},
    {u"clCaptionText", clCaptionText},
    {u"clActiveBorder", clActiveBorder},
    {u"clInactiveBorder", clInactiveBorder},
    {u"clAppWorkSpace", clAppWorkSpace},
    {u"clHighlight", clHighlight},
    {u"clHighlightText", clHighlightText},
    {u"clBtnFace", clBtnFace},
    {u"clBtnShadow", clBtnShadow},
    {u"clGrayText", clGrayText},
    {u"clBtnText", clBtnText},
    {u"clInactiveCaptionText", clInactiveCaptionText},
    {u"clBtnHighlight", clBtnHighlight},
    {u"cl3DDkShadow", cl3DDkShadow},
    {u"cl3DLight", cl3DLight},
    {u"clInfoText", clInfoText},
    {u"clInfoBk", clInfoBk},
    {u"clNone", clNone},
}};

} // namespace

std::optional<TColor> ParseColor(const QString& text)
{
    for (const TNamedColor& named : NamedColors) {
        if (text.compare(QStringView(named.Name), Qt::CaseInsensitive) == 0)
            return named.Value;
    }
    if (const auto number = ParseProfileInteger(text))
        return TColor(quint32(*number));
    return std::nullopt;
}

QString FormatColor(TColor color)
{
    for (const TNamedColor& named : NamedColors) {
        if (named.Value == color)
            return QString::fromUtf16(named.Name);
    }
    return u'$' + QStringLiteral("%1").arg(color, 8, 16, QLatin1Char('0')).toUpper();
}

} // namespace qlnx
