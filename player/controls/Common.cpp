#include "controls/Common.h"

#include <QFontMetrics>

#include "controls/AndPanel.h"

namespace qlnx {

namespace {

void DecideAlignment(TAndPanel& panel, const QString& text)
{
    panel.SetAlignment(PanelTextWidth(panel, text) > panel.width() ? TAlignment::LeftJustify
                                                                   : TAlignment::Center);
}

} // namespace

int PanelTextWidth(const TAndPanel& panel, const QString& text)
{
    // At the panel's resolution, so a font given in points measures as it will be drawn. No
    // painter is needed for it: opening one on a scratch image cost more than the measuring,
    // several times over whenever a disc is shown.
    return QFontMetrics(panel.font(), &panel).horizontalAdvance(text);
}

void SetPanelText(TAndPanel& panel, const QString& text)
{
    DecideAlignment(panel, text);
    panel.SetCaption(text);
}

void RealignPanelText(TAndPanel& panel)
{
    DecideAlignment(panel, panel.Caption());
}

} // namespace qlnx
