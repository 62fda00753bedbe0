#include <QTest>

#include "lyrics/LyricsEditRules.h"

using namespace qlnx;

// The lyrics editor's rules as tables, without its window.
class TestLyricsEditRules : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void timeFieldText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("corrected");
        QTest::newRow("empty") << "" << 59 << "00";
        QTest::newRow("one digit") << "7" << 59 << "07";
        QTest::newRow("above the maximum") << "70" << 59 << "59";
        QTest::newRow("minutes") << "123" << 99 << "99";
        QTest::newRow("leading zero of three") << "007" << 59 << "007";
        QTest::newRow("huge") << "99999999999999" << 99 << "99";
        QTest::newRow("sign") << "-1" << 59 << "-1";
        QTest::newRow("blank") << " 5" << 59 << " 5";
        QTest::newRow("full-width digit") << "\uFF15" << 59 << "\uFF15";
    }

    void timeFieldText()
    {
        QFETCH(QString, text);
        QFETCH(int, maximum);
        QFETCH(QString, corrected);
        QCOMPARE(CorrectTimeText(text, maximum), corrected);
        // A second pass finds nothing to do.
        QCOMPARE(CorrectTimeText(corrected, maximum), corrected);
    }

    void arrowsAndOverwrite()
    {
        QCOMPARE(StepTimeValue(59, 1, 59, true), 0);
        QCOMPARE(StepTimeValue(0, -1, 59, true), 59);
        QCOMPARE(StepTimeValue(99, 1, 99, false), 99);
        QCOMPARE(StepTimeValue(0, -1, 99, false), 0);
        QCOMPARE(OverwritePosition(0), 0);
        QCOMPARE(OverwritePosition(2), 1);
    }

    void rowsToLyrics()
    {
        // Enter's blank rows go, unless they start later; texts become one line.
        TRowsToLyrics r = LyricsFromRows({{"00", "05", "first"},
                                          {"00", "05", ""},
                                          {"00", "03", ""},
                                          {"01", "00", ""},
                                          {"100", "15", "a\r\n[Track02]\tb"}});
        QCOMPARE(r.BadRow, -1);
        QCOMPARE(r.Lyrics, (TLyricList{{"first", 5}, {"", 60}, {"a  [Track02] b", 6015}}));
        // Row 0 is always taken, even empty.
        QCOMPARE(LyricsFromRows({{"00", "00", ""}}).Lyrics, (TLyricList{{"", 0}}));
        // One bad cell refuses everything.
        r = LyricsFromRows({{"00", "01", "x"}, {"0a", "01", "y"}, {"", "00", "z"}});
        QCOMPARE(r.BadRow, 1);
        QVERIFY(r.Lyrics.isEmpty());
        QCOMPARE(LyricsFromRows({{"1000", "00", "x"}}).BadRow, 0);

        TLyricList long_{{"a", 5999}, {"b", 6000}, {"c", 7000}};
        QCOMPARE(ClampToEditorTimes(long_), 2);
        QCOMPARE(long_, (TLyricList{{"a", 5999}, {"b", 5999}, {"c", 5999}}));
    }
};

QTEST_GUILESS_MAIN(TestLyricsEditRules)
#include "tst_lyricseditrules.moc"
