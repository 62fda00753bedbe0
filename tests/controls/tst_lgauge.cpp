#include <climits>

#include <QPainter>
#include <QTest>

#include "controls/LGauge.h"
#include "controls/LabelGlyphs.h"

using namespace qlnx;

namespace {

QFont CrispFont(int pixelSize)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

QImage Render(TLabelGauge& gauge)
{
    return gauge.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Counts the paint events a widget receives.
class TPaintCounter final : public QObject
{
public:
    explicit TPaintCounter(QWidget* widget) : QObject(widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

constexpr QRgb Border = qRgb(0, 0, 255);
constexpr QRgb Fore = qRgb(255, 0, 0);
constexpr QRgb Back = qRgb(255, 255, 255);

} // namespace

class TestLabelGauge : public QObject
{
    Q_OBJECT
private:
    QWidget* m_window = nullptr;
    TLabelGauge* m_gauge = nullptr;

private Q_SLOTS:
    void init()
    {
        m_window = new QWidget;
        m_gauge = new TLabelGauge(m_window);
        m_gauge->setGeometry(0, 0, 256, 21);
        m_gauge->SetBorderColor(clBlue);
        m_gauge->SetForeColor(clRed);
        m_gauge->SetBackColor(clWhite);
        m_gauge->SetShowText(false);
    }
    void cleanup() { delete m_window; }

    void horizontalBarFillsFromTheLeft()
    {
        QVERIFY(!m_gauge->SetMaxValue(245));
        m_gauge->SetProgress(67);
        QImage image = Render(*m_gauge);
        // Inner area 254 x 19 from (1, 1): trunc(254 / 245 * 67) = 69 columns.
        for (int y : {0, 20})
            for (int x = 0; x < 256; ++x)
                QCOMPARE(image.pixel(x, y), Border);
        for (int y = 1; y < 20; ++y) {
            QCOMPARE(image.pixel(0, y), Border);
            QCOMPARE(image.pixel(1, y), Fore);
            QCOMPARE(image.pixel(69, y), Fore);
            QCOMPARE(image.pixel(70, y), Back);
            QCOMPARE(image.pixel(254, y), Back);
            QCOMPARE(image.pixel(255, y), Border);
        }

        m_gauge->SetProgress(245);
        image = Render(*m_gauge);
        QCOMPARE(image.pixel(254, 10), Fore);
        QCOMPARE(image.pixel(255, 10), Border);

        m_gauge->SetProgress(0);
        image = Render(*m_gauge);
        QCOMPARE(image.pixel(1, 10), Back);

        // Without a border the bar uses the whole control.
        m_gauge->SetBorderStyle(TBorderStyle::None);
        m_gauge->SetProgress(245);
        image = Render(*m_gauge);
        QCOMPARE(image.pixel(0, 0), Fore);
        QCOMPARE(image.pixel(255, 20), Fore);
    }

    void fullBarIsExact()
    {
        for (int extent : {19, 254, 1000})
            for (int max = 1; max <= 3000; ++max)
                QCOMPARE(GaugeFill(extent, max, max), extent);
        QCOMPARE(GaugeFill(254, 245, 67), 69);
        QCOMPARE(GaugeFill(254, 0, 10), 0);
        QCOMPARE(GaugeFill(254, 1000, 3), 0); // below one pixel
        QCOMPARE(GaugeFill(254, INT_MAX, INT_MAX - 1), 253);
    }

    void verticalBarGrowsUpward()
    {
        m_gauge->SetKind(TGaugeKind::VerticalBar);
        m_gauge->SetProgress(50);
        const QImage image = Render(*m_gauge);
        // Inner height 19, half of it truncated: rows 11..19.
        QCOMPARE(image.pixel(128, 10), Back);
        QCOMPARE(image.pixel(128, 11), Fore);
        QCOMPARE(image.pixel(1, 19), Fore);
        QCOMPARE(image.pixel(254, 19), Fore);
        QCOMPARE(image.pixel(128, 20), Border);
    }

    void textKindDrawsNoBar()
    {
        m_gauge->SetKind(TGaugeKind::Text);
        m_gauge->SetProgress(100);
        const QImage image = Render(*m_gauge);
        QCOMPARE(image.pixel(1, 10), Back);
        QCOMPARE(image.pixel(254, 10), Back);
        QCOMPARE(image.pixel(0, 10), Border);
    }

    void progressIsClamped()
    {
        QVERIFY(!m_gauge->SetMaxValue(245));
        m_gauge->SetProgress(-5);
        QCOMPARE(m_gauge->Progress(), 0);
        m_gauge->SetProgress(1000);
        QCOMPARE(m_gauge->Progress(), 245);

        QVERIFY(!m_gauge->SetMaxValue(200));
        m_gauge->SetProgress(150);
        QVERIFY(!m_gauge->SetMaxValue(100));
        QCOMPARE(m_gauge->Progress(), 100);
        QVERIFY(!m_gauge->SetMinValue(100)); // equal bounds are allowed
        QCOMPARE(m_gauge->Progress(), 100);
        QVERIFY(!m_gauge->SetMinValue(20));
        QCOMPARE(m_gauge->Progress(), 100);
        QVERIFY(!m_gauge->SetMaxValue(20));
        QCOMPARE(m_gauge->Progress(), 20);
    }

    void boundsBeyondEachOtherAreRefused()
    {
        std::optional<QString> error = m_gauge->SetMinValue(200);
        QCOMPARE(error, QStringLiteral("-2147483647 から 99 の間の値でなければなりません"));
        QCOMPARE(m_gauge->MinValue(), 0);

        QVERIFY(!m_gauge->SetMinValue(10));
        error = m_gauge->SetMaxValue(9);
        QCOMPARE(error, QStringLiteral("11 から 2147483647 の間の値でなければなりません"));
        QCOMPARE(m_gauge->MaxValue(), 100);

        // The extreme ends are named without overflowing.
        QVERIFY(!m_gauge->SetMinValue(INT_MIN));
        QVERIFY(!m_gauge->SetMaxValue(INT_MIN));
        QCOMPARE(m_gauge->SetMinValue(0),
                 QStringLiteral("-2147483647 から -2147483649 の間の値でなければなりません"));
    }

    void repaintsAtOnceAndOnlyOnChange()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window));
        QCoreApplication::processEvents();
        TPaintCounter paints(m_gauge);

        m_gauge->SetProgress(30);
        QCOMPARE(paints.Count, 1); // no event loop ran: painted at once
        m_gauge->SetProgress(30);
        m_gauge->SetProgress(100);
        m_gauge->SetProgress(1000); // clamps to what it already shows
        QCOMPARE(paints.Count, 2);

        m_gauge->SetText(QStringLiteral("0:30"));
        m_gauge->SetText(QStringLiteral("0:30"));
        m_gauge->SetForeColor(clRed);
        m_gauge->SetKind(TGaugeKind::HorizontalBar);
        QVERIFY(m_gauge->SetMinValue(500));
        QVERIFY(!m_gauge->SetMaxValue(100));
        QCOMPARE(paints.Count, 3);
        m_gauge->SetInvertText(false);
        QCOMPARE(paints.Count, 4);

        // A position's progress and text together: one paint, none when neither changes.
        m_gauge->SetProgressAndText(50, QStringLiteral("0:50"));
        m_gauge->SetProgressAndText(50, QStringLiteral("0:50"));
        QCOMPARE(paints.Count, 5);
        m_gauge->SetProgressAndText(50, QStringLiteral("0:51"));
        QCOMPARE(paints.Count, 6);
        QCOMPARE(m_gauge->Progress(), 50);
    }

    void labelPosition()
    {
        // 256 x 21 with a border: a 20 x 13 label sits one pixel left of and above the centre.
        QCOMPARE(GaugeLabelOrigin(QRect(1, 1, 254, 19), QSize(20, 13)), QPoint(117, 3));
        QCOMPARE(GaugeLabelOrigin(QRect(0, 0, 256, 21), QSize(20, 13)), QPoint(118, 4));

        m_gauge->setFont(CrispFont(13));
        m_gauge->SetShowText(true);
        m_gauge->SetInvertText(false);
        m_gauge->SetFontColor(clBlack);
        m_gauge->SetText(QStringLiteral("12:05"));
        const QImage image = Render(*m_gauge);
        const QFontMetrics fm(m_gauge->font());
        const QPoint at = GaugeLabelOrigin(
            QRect(1, 1, 254, 19), QSize(fm.horizontalAdvance(m_gauge->Text()), fm.height()));
        int inkLeft = 256, inkRight = -1;
        for (int y = 1; y < 20; ++y)
            for (int x = 1; x < 255; ++x)
                if (image.pixel(x, y) == qRgb(0, 0, 0)) {
                    inkLeft = qMin(inkLeft, x);
                    inkRight = qMax(inkRight, x);
                    QVERIFY(y >= at.y());
                }
        QVERIFY(inkRight >= 0);
        QVERIFY(inkLeft >= at.x() && inkLeft <= at.x() + 2);
        QVERIFY(inkRight < at.x() + fm.horizontalAdvance(m_gauge->Text()));
    }

    void invertedLabelTakesTwoColoursInOneCharacter()
    {
        m_gauge->setGeometry(0, 0, 120, 40);
        m_gauge->setFont(CrispFont(32));
        m_gauge->SetForeColor(RgbColor(0xC0, 0xC0, 0xC0));
        m_gauge->SetShowText(true);
        m_gauge->SetText(QStringLiteral("W"));
        QVERIFY(!m_gauge->SetMaxValue(118)); // one column per unit of the inner width

        // Where the character lies over the empty bar.
        QImage image = Render(*m_gauge);
        int left = 120, right = -1;
        for (int y = 1; y < 39; ++y)
            for (int x = 1; x < 119; ++x)
                if (image.pixel(x, y) != Back) {
                    QCOMPARE(image.pixel(x, y), qRgb(0, 0, 0)); // white inverted
                    left = qMin(left, x);
                    right = qMax(right, x);
                }
        QVERIFY(right - left > 10);

        // The bar ends in the middle of the character.
        const int end = (left + right) / 2;
        m_gauge->SetProgress(end);
        image = Render(*m_gauge);
        bool overBar = false;
        bool overEmpty = false;
        for (int y = 1; y < 39; ++y)
            for (int x = left; x <= right; ++x) {
                const QRgb p = image.pixel(x, y);
                if (x <= end) {
                    QVERIFY(p == qRgb(0xC0, 0xC0, 0xC0) || p == qRgb(0x3F, 0x3F, 0x3F));
                    overBar |= p == qRgb(0x3F, 0x3F, 0x3F);
                } else {
                    QVERIFY(p == Back || p == qRgb(0, 0, 0));
                    overEmpty |= p == qRgb(0, 0, 0);
                }
            }
        QVERIFY(overBar);
        QVERIFY(overEmpty);

        // Not inverted: one colour, the font's, over both parts.
        m_gauge->SetInvertText(false);
        m_gauge->SetFontColor(clBlue);
        image = Render(*m_gauge);
        bool blueOverBar = false;
        bool blueOverEmpty = false;
        for (int y = 1; y < 39; ++y)
            for (int x = left; x <= right; ++x)
                if (image.pixel(x, y) == Border)
                    (x <= end ? blueOverBar : blueOverEmpty) = true;
        QVERIFY(blueOverBar && blueOverEmpty);
    }

    void labelsFromGlyphsLookAsText()
    {
        // Drawn from looked-up glyphs or as text, a label has the pixels and the width that
        // drawText and QFontMetrics give it, in smooth and crisp fonts, and in fonts that
        // cannot take the shortcut.
        QFont smooth(QStringLiteral("IPAPGothic"));
        smooth.setPixelSize(13);
        QFont bold(QStringLiteral("DejaVu Sans"));
        bold.setPixelSize(11);
        bold.setBold(true);
        QFont underlined = smooth;
        underlined.setUnderline(true);
        QFont spaced = bold;
        spaced.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
        for (const QFont& font : {smooth, CrispFont(16), bold, underlined, spaced}) {
            TLabelGlyphs label(QStringLiteral("0123456789:"));
            QImage drawn(120, 30, QImage::Format_RGB32);
            label.Prepare(font, drawn);
            const bool plain = font == smooth || font == bold || font.family() == u"IPAGothic";
            for (const QString& text :
                 {QStringLiteral("0:07"), QStringLiteral("255:59"), QStringLiteral("1:0x")}) {
                QCOMPARE(label.DrawsFromGlyphs(text), plain && !text.contains(u'x'));
                QImage expected = drawn;
                for (QImage* image : {&drawn, &expected}) {
                    image->fill(Qt::white);
                    QPainter painter(image);
                    painter.setPen(Qt::black);
                    if (image == &drawn) {
                        label.Draw(painter, QPointF(3, 20), text);
                    } else {
                        painter.setFont(font);
                        painter.drawText(QPointF(3, 20), text);
                    }
                }
                QCOMPARE(drawn, expected);
                const QFontMetrics fm(font, &drawn);
                QCOMPARE(label.Width(text), fm.horizontalAdvance(text));
                QCOMPARE(label.Height(), fm.height());
                QCOMPARE(label.Ascent(), fm.ascent());
            }
        }
    }
};

QTEST_MAIN(TestLabelGauge)
#include "tst_lgauge.moc"
