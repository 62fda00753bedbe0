#include <QSignalSpy>
#include <QTest>

#include "controls/AndPanel.h"
#include "controls/Common.h"

using namespace qlnx;

namespace {

// A crisp font, so that every drawn pixel is pure ink on the white background.
QFont TestFont()
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(16);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

struct TInk
{
    int Left = -1;
    int Right = -1;
    int Top = -1;
    int Bottom = -1;
    bool Any() const { return Left >= 0; }
};

// Where the panel has drawn anything but its white background.
TInk InkOf(TAndPanel& panel)
{
    const QImage image = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    TInk ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            if (!ink.Any()) {
                ink = {x, x, y, y};
                continue;
            }
            ink.Left = qMin(ink.Left, x);
            ink.Right = qMax(ink.Right, x);
            ink.Top = qMin(ink.Top, y);
            ink.Bottom = qMax(ink.Bottom, y);
        }
    return ink;
}

} // namespace

class TestAndPanel : public QObject
{
    Q_OBJECT
private:
    QWidget* m_window = nullptr;
    TAndPanel* m_panel = nullptr;

private Q_SLOTS:
    void init()
    {
        m_window = new QWidget;
        m_panel = new TAndPanel(m_window);
        m_panel->setFont(TestFont());
        m_panel->SetColor(clWhite);
        m_panel->SetFontColor(clBlack);
        m_panel->setGeometry(0, 0, 300, 20);
    }
    void cleanup() { delete m_window; }

    void textAsWideAsThePanelIsCentred()
    {
        const QString text = QStringLiteral("Rock & Roll");
        const int w = PanelTextWidth(*m_panel, text);
        QVERIFY(w > 20);

        m_panel->resize(w, 20);
        SetPanelText(*m_panel, text);
        QCOMPARE(m_panel->Caption(), text);
        QCOMPARE(m_panel->Alignment(), TAlignment::Center);

        // One pixel narrower: left-aligned, so the beginning stays visible.
        m_panel->resize(w - 1, 20);
        QCOMPARE(m_panel->Alignment(), TAlignment::Center); // a resize alone decides nothing
        RealignPanelText(*m_panel);
        QCOMPARE(m_panel->Alignment(), TAlignment::LeftJustify);
        QVERIFY(InkOf(*m_panel).Left <= 2);

        // Wide again: centred again.
        m_panel->resize(w + 40, 20);
        RealignPanelText(*m_panel);
        QCOMPARE(m_panel->Alignment(), TAlignment::Center);
        QVERIFY(InkOf(*m_panel).Left >= 18);

        // A bigger font can make the same text overflow.
        QFont big = TestFont();
        big.setPixelSize(32);
        m_panel->setFont(big);
        RealignPanelText(*m_panel);
        QCOMPARE(m_panel->Alignment(), TAlignment::LeftJustify);
    }

    void ampersandsAreDrawnAsThemselves()
    {
        m_panel->setGeometry(0, 0, 300, 40);
        m_panel->SetAlignment(TAlignment::LeftJustify);

        m_panel->SetCaption(QStringLiteral("&"));
        const TInk one = InkOf(*m_panel);
        QVERIFY(one.Any());
        m_panel->SetCaption(QStringLiteral("&&"));
        const TInk two = InkOf(*m_panel);
        QVERIFY(two.Right - two.Left > 3 * (one.Right - one.Left) / 2);

        // An accelerator mark would underline the letter after "&" below the letters.
        m_panel->SetCaption(QStringLiteral("AHB"));
        const TInk plain = InkOf(*m_panel);
        m_panel->SetCaption(QStringLiteral("A&B"));
        const TInk amp = InkOf(*m_panel);
        QVERIFY(amp.Bottom <= plain.Bottom + 1);
    }

    void tabsExpandToTheNextStop()
    {
        m_panel->SetAlignment(TAlignment::LeftJustify);
        m_panel->SetCaption(QStringLiteral("\tb"));
        const int stop = 8 * m_panel->fontMetrics().averageCharWidth();
        QVERIFY(InkOf(*m_panel).Left >= stop - 1);
    }

    void descendersStayClearOfACoveredBottom()
    {
        // A row barely taller than the line, whose bottom rows from the lowest ink of the
        // centred caption on are drawn over (a row underline): the line moves up clear of them.
        const int line = m_panel->fontMetrics().height();
        m_panel->setGeometry(0, 0, 300, line + 4);
        m_panel->SetCaption(QStringLiteral("gjpqy"));
        const TInk centred = InkOf(*m_panel);
        const int covered = m_panel->height() - centred.Bottom;
        m_panel->SetCoveredBottom(covered);
        const TInk raised = InkOf(*m_panel);
        QVERIFY(raised.Bottom < m_panel->height() - covered);
        QVERIFY(raised.Top >= 0);
        // A row with room to spare keeps the line centred.
        m_panel->setGeometry(0, 0, 300, line + 12);
        m_panel->SetCoveredBottom(2);
        const TInk roomy = InkOf(*m_panel);
        m_panel->SetCoveredBottom(0);
        QCOMPARE(InkOf(*m_panel).Top, roomy.Top);
    }

    void emptyCaptionDrawsOnlyTheBackground()
    {
        SetPanelText(*m_panel, QString());
        QCOMPARE(m_panel->Alignment(), TAlignment::Center);
        QVERIFY(!InkOf(*m_panel).Any());
    }

    void mouseSignals()
    {
        QSignalSpy clicks(m_panel, &TAndPanel::Click);
        QSignalSpy downs(m_panel, &TAndPanel::MouseDown);
        QTest::mouseClick(m_panel, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(downs.count(), 1);
        QCOMPARE(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(downs.at(0).at(1).toPoint(), QPoint(5, 5));

        QTest::mouseClick(m_panel, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(downs.count(), 2);
        QCOMPARE(downs.at(1).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    }
};

QTEST_MAIN(TestAndPanel)
#include "tst_andpanel.moc"
