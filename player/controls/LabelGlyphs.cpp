#include "controls/LabelGlyphs.h"

#include <utility>

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPainter>
#include <QTextLayout>

namespace qlnx {

namespace {

// The glyph runs of text laid out on one line, as drawText would shape it.
QList<QGlyphRun> Shaped(const QString& text, const QFont& font, const QPaintDevice& device)
{
    // QTextLayout takes a non-const device but only reads its resolution.
    QTextLayout layout(text, font, const_cast<QPaintDevice*>(&device));
    layout.beginLayout();
    QTextLine line = layout.createLine();
    layout.endLayout();
    return line.glyphRuns();
}

} // namespace

TLabelGlyphs::TLabelGlyphs(QString characters) : m_characters(std::move(characters)) {}

void TLabelGlyphs::Prepare(const QFont& font, const QPaintDevice& device)
{
    if (m_metrics && m_dpiX == device.logicalDpiX() && m_dpiY == device.logicalDpiY() &&
        m_font == font)
        return;
    LookUp(font, device);
}

void TLabelGlyphs::LookUp(const QFont& font, const QPaintDevice& device)
{
    m_font = font;
    m_dpiX = device.logicalDpiX();
    m_dpiY = device.logicalDpiY();
    m_metrics.emplace(font, &device);
    m_height = m_metrics->height();
    m_ascent = m_metrics->ascent();
    m_glyphs.clear();
    m_advances.clear();
    m_rawFont = QRawFont();
    if (font.underline() || font.overline() || font.strikeOut() || font.letterSpacing() != 0 ||
        font.wordSpacing() != 0)
        return;

    const QFontMetricsF exact(font, &device);
    QList<quint32> glyphs;
    QList<qreal> advances;
    QRawFont rawFont;
    for (const QChar c : std::as_const(m_characters)) {
        const QList<QGlyphRun> runs = Shaped(QString(c), font, device);
        if (runs.size() != 1 || runs.front().glyphIndexes().size() != 1)
            return;
        // Every character from the same font, or the run would need splitting.
        if (glyphs.isEmpty())
            rawFont = runs.front().rawFont();
        else if (runs.front().rawFont() != rawFont)
            return;
        glyphs.append(runs.front().glyphIndexes().front());
        advances.append(exact.horizontalAdvance(c));
    }
    // Shaped in pairs, the characters must come out exactly as their advances add up.
    for (qsizetype a = 0; a < m_characters.size(); ++a)
        for (qsizetype b = 0; b < m_characters.size(); ++b) {
            const QString pair = QString(m_characters[a]) + m_characters[b];
            if (exact.horizontalAdvance(pair) != advances[a] + advances[b])
                return;
        }
    m_glyphs = std::move(glyphs);
    m_advances = std::move(advances);
    m_rawFont = rawFont;
}

bool TLabelGlyphs::DrawsFromGlyphs(const QString& text) const
{
    if (m_glyphs.isEmpty())
        return false;
    for (const QChar c : text)
        if (!m_characters.contains(c))
            return false;
    return true;
}

int TLabelGlyphs::Width(const QString& text) const
{
    if (!m_metrics)
        return 0;
    if (!DrawsFromGlyphs(text))
        return m_metrics->horizontalAdvance(text);
    qreal width = 0;
    for (const QChar c : text)
        width += m_advances[m_characters.indexOf(c)];
    return qRound(width);
}

void TLabelGlyphs::Draw(QPainter& painter, QPointF origin, const QString& text) const
{
    if (!DrawsFromGlyphs(text)) {
        painter.setFont(m_font);
        painter.drawText(origin, text);
        return;
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    qreal x = 0;
    for (const QChar c : text) {
        const qsizetype i = m_characters.indexOf(c);
        glyphs.append(m_glyphs[i]);
        positions.append(QPointF(x, 0));
        x += m_advances[i];
    }
    QGlyphRun run;
    run.setRawFont(m_rawFont);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.drawGlyphRun(origin, run);
}

} // namespace qlnx
