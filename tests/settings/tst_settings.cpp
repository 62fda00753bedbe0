#include <QTest>

#include "settings/SettingsValues.h"

using namespace qlnx;

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void colorsRead_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("color"); // -1: not a colour
        QTest::newRow("fixed") << "clRed" << qint64(clRed);
        QTest::newRow("any letter case") << "CLmaroon" << qint64(clMaroon);
        QTest::newRow("first system") << "clScrollBar" << qint64(0x80000000);
        QTest::newRow("last system") << "clinfobk" << qint64(0x80000018);
        QTest::newRow("3D names") << "cl3DDkShadow" << qint64(0x80000015);
        QTest::newRow("none") << "clNone" << qint64(0x1FFFFFFF);
        QTest::newRow("dollar") << "$00C08040" << qint64(0x00C08040);
        QTest::newRow("0x") << "0x80000005" << qint64(clWindow);
        QTest::newRow("decimal") << "255" << qint64(clRed);
        QTest::newRow("unknown name") << "clPink" << qint64(-1);
        QTest::newRow("name and more") << "clRed2" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
    }
    void colorsRead()
    {
        QFETCH(QString, text);
        QFETCH(qint64, color);
        const auto parsed = ParseColor(text);
        QCOMPARE(parsed.has_value(), color >= 0);
        if (parsed)
            QCOMPARE(qint64(*parsed), color);
    }

    void colorsWritten()
    {
        QCOMPARE(FormatColor(RgbColor(0x40, 0x80, 0xC0)), QStringLiteral("$00C08040"));
        QCOMPARE(FormatColor(0xFF00000Au), QStringLiteral("$FF00000A"));
        QCOMPARE(FormatColor(RgbColor(255, 0, 0)), QStringLiteral("clRed"));
        QCOMPARE(FormatColor(clBlack), QStringLiteral("clBlack"));
        QCOMPARE(FormatColor(clInactiveCaptionText), QStringLiteral("clInactiveCaptionText"));
        QCOMPARE(FormatColor(clNone), QStringLiteral("clNone"));
        // A system colour index without a name is kept as a number.
        QCOMPARE(FormatColor(SystemColorFlag | 25), QStringLiteral("$80000019"));
        // Every name written reads back as its colour.
        for (quint32 i = 0; i <= 24; ++i)
            QCOMPARE(ParseColor(FormatColor(SystemColorFlag | i)), SystemColorFlag | i);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
