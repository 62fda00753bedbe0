#include "controls/LabelGlyphs.h"

#include <utility>
#include <vector>

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

// The characters with each ordered pair of them (a character beside itself too) side by side
// somewhere: k * k + 1 characters, taking at each step the last character not yet followed by
// the one just taken.
QString PairWalk(const QString& characters)
{
    const qsizetype count = characters.size();
    QString walk;
    if (count == 0)
        return walk;
    std::vector<bool> followed(std::size_t(count * count), false);
    qsizetype last = 0;
    walk.append(characters[last]);
    for (;;) {
        qsizetype next = count - 1;
        while (next >= 0 && followed[std::size_t(last * count + next)])
            --next;
        if (next < 0)
            return walk;
        followed[std::size_t(last * count + next)] = true;
        walk.append(characters[next]);
        last = next;
    }
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
    const qsizetype count = m_characters.size();
    QList<qreal> advances;
    for (const QChar c : std::as_const(m_characters))
        advances.append(exact.horizontalAdvance(c));
    // Shaped as one line with every ordered pair of them side by side, the characters must
    // each come out as one glyph of one font, the same wherever it stands, at positions that
    // add up from their own advances. One shaping of the pairs' walk costs what a few
    // separate pairs would.
    const QString walk = PairWalk(m_characters);
    const QList<QGlyphRun> runs = Shaped(walk, font, device);
    if (runs.size() != 1)
        return;
    const QList<quint32> shaped = runs.front().glyphIndexes();
    const QList<QPointF> positions = runs.front().positions();
    if (shaped.size() != walk.size() || positions.size() != walk.size())
        return;
    QList<quint32> glyphs(count, 0);
    std::vector<bool> seen(std::size_t(count), false);
    qreal x = positions.front().x();
    for (qsizetype i = 0; i < walk.size(); ++i) {
        const qsizetype c = m_characters.indexOf(walk[i]);
        if (!seen[std::size_t(c)]) {
            seen[std::size_t(c)] = true;
            glyphs[c] = shaped[i];
        } else if (glyphs[c] != shaped[i]) {
            return;
        }
        if (positions[i].x() != x || positions[i].y() != positions.front().y())
            return;
        x += advances[c];
    }
    const QRawFont rawFont = runs.front().rawFont();
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
