#include "controls/Common.h"

#include <QImage>
#include <QPainter>

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
    QImage scratch(1, 1, QImage::Format_RGB32);
    // Same resolution as the panel, so a font given in points measures as it will be drawn.
    scratch.setDotsPerMeterX(qRound(panel.logicalDpiX() / 0.0254));
    scratch.setDotsPerMeterY(qRound(panel.logicalDpiY() / 0.0254));
    QPainter painter(&scratch);
    painter.setFont(panel.font());
    return painter.fontMetrics().horizontalAdvance(text);
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
