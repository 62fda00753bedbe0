#include <QTest>

#include "uilogic/PlaceDialog.h"

using namespace qlnx;

// Dialogs beside the main window, on a 1024 x 768 screen.
class TestPlaceDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void places_data()
    {
        QTest::addColumn<QRect>("main");
        QTest::addColumn<QSize>("dialog");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("room on the right")
            << QRect(100, 100, 300, 150) << QSize(209, 369) << QPoint(400, 100);
        QTest::newRow("exactly reaching the right edge")
            << QRect(515, 0, 300, 150) << QSize(209, 369) << QPoint(815, 0);
        QTest::newRow("main at the right edge: to its left")
            << QRect(724, 50, 300, 150) << QSize(201, 161) << QPoint(523, 50);
        QTest::newRow("wide main at the left edge: flush right, over it")
            << QRect(0, 50, 900, 150) << QSize(201, 161) << QPoint(823, 50);
        QTest::newRow("near the bottom: bottom edges level")
            << QRect(100, 600, 300, 150) << QSize(209, 369) << QPoint(400, 381);
        QTest::newRow("exactly reaching the bottom")
            << QRect(100, 399, 300, 150) << QSize(209, 369) << QPoint(400, 399);
        QTest::newRow("taller than the room above: negative top")
            << QRect(100, 700, 300, 60) << QSize(536, 900) << QPoint(400, -140);
    }

    void places()
    {
        QFETCH(QRect, main);
        QFETCH(QSize, dialog);
        QFETCH(QPoint, at);
        QCOMPARE(PlaceDialog(main, dialog, QSize(1024, 768)), at);
    }
};

QTEST_APPLESS_MAIN(TestPlaceDialog)
#include "tst_placedialog.moc"
