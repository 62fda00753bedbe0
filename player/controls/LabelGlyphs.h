#pragma once

#include <optional>

#include <QFont>
#include <QFontMetrics>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>

class QPainter;
class QPaintDevice;

namespace qlnx {

// A short label redrawn often, like a time shown once a second. Shaping its text again on every
// paint is most of what drawing it costs, so the glyph of each of a few characters is looked up
// once per font and a text made only of them is laid out by adding their advances. That holds
// only where the font shapes those characters one by one: it is checked for every pair of them
// when the font is first used, and any other text, or a font with kerning or ligatures between
// them, with letter spacing or with lines through or under the text, is drawn as ordinary text.
// Either way the pixels and the width are those QPainter::drawText and QFontMetrics give.
class TLabelGlyphs
{
public:
    explicit TLabelGlyphs(QString characters);

    // Looks the glyphs up for font at device's resolution, unless that is what was last looked
    // up.
    void Prepare(const QFont& font, const QPaintDevice& device);

    // What QFontMetrics says for the prepared font.
    int Height() const { return m_height; }
    int Ascent() const { return m_ascent; }
    int Width(const QString& text) const;

    // Draws text with its baseline starting at origin, in the painter's pen colour.
    void Draw(QPainter& painter, QPointF origin, const QString& text) const;

    // Whether text is drawn from the looked-up glyphs (for tests).
    bool DrawsFromGlyphs(const QString& text) const;

private:
    void LookUp(const QFont& font, const QPaintDevice& device);

    QString m_characters;
    QFont m_font;
    int m_dpiX = 0;
    int m_dpiY = 0;
    std::optional<QFontMetrics> m_metrics; // set once something was looked up
    int m_height = 0;
    int m_ascent = 0;
    // Empty while the characters cannot be drawn from their glyphs in this font.
    QList<quint32> m_glyphs; // one per character
    QList<qreal> m_advances;
    QRawFont m_rawFont;
};

} // namespace qlnx
