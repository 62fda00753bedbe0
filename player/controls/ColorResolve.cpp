#include "controls/ColorResolve.h"

namespace qlnx {

namespace {

QPalette::ColorRole SystemColorRole(int index)
{
    switch (index) {
    case SystemColorIndex(clWindow):
        return QPalette::Base;
    case SystemColorIndex(clWindowText):
        return QPalette::Text;
    case SystemColorIndex(clMenuText):
    case SystemColorIndex(clInactiveCaptionText):
        return QPalette::WindowText;
    case SystemColorIndex(clWindowFrame):
    case SystemColorIndex(cl3DDkShadow):
        return QPalette::Shadow;
    case SystemColorIndex(clBtnFace):
        return QPalette::Button;
    case SystemColorIndex(clBtnShadow):
        return QPalette::Dark;
    case SystemColorIndex(clBtnText):
        return QPalette::ButtonText;
    case SystemColorIndex(clBtnHighlight):
        return QPalette::Light;
    case SystemColorIndex(cl3DLight):
        return QPalette::Midlight;
    case SystemColorIndex(clHighlight):
    case SystemColorIndex(clActiveCaption):
        return QPalette::Highlight;
    case SystemColorIndex(clHighlightText):
    case SystemColorIndex(clCaptionText):
        return QPalette::HighlightedText;
    case SystemColorIndex(clInfoText):
        return QPalette::ToolTipText;
    case SystemColorIndex(clInfoBk):
        return QPalette::ToolTipBase;
    case SystemColorIndex(clScrollBar):
    case SystemColorIndex(clAppWorkSpace):
    case SystemColorIndex(clInactiveCaption):
    case SystemColorIndex(clActiveBorder):
    case SystemColorIndex(clInactiveBorder):
        return QPalette::Mid;
    default:
        return QPalette::Window;
    }
}

} // namespace

QColor ResolveColor(TColor color, const QPalette& palette)
{
    if (IsSystemColor(color)) {
        const int index = SystemColorIndex(color);
        if (index == SystemColorIndex(clGrayText))
            return palette.color(QPalette::Disabled, QPalette::Text);
        return palette.color(QPalette::Active, SystemColorRole(index));
    }
    return QColor(int(color & 0xFF), int(color >> 8 & 0xFF), int(color >> 16 & 0xFF));
}

TColor ColorFromQColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return RgbColor(rgb.red(), rgb.green(), rgb.blue());
}

} // namespace qlnx
