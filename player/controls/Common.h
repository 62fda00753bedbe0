#pragma once

#include <QString>

namespace qlnx {

class TAndPanel;

// A panel's text is centred while it fits the panel and left-aligned when it does not, so that
// its beginning stays visible. The decision is taken again whenever the text, the panel's width
// or its font changes.

// Decides the alignment for text, then shows it.
void SetPanelText(TAndPanel& panel, const QString& text);

// Decides the alignment again for the text the panel shows, after its width or font changed.
void RealignPanelText(TAndPanel& panel);

// The width of text in the panel's font at the panel's resolution, measured without painting on
// the panel's own surface.
int PanelTextWidth(const TAndPanel& panel, const QString& text);

} // namespace qlnx
