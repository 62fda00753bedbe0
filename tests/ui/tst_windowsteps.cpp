#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"

using namespace qlnx;

// A window manager resizes by the user's edge drag on its own; it keeps the height rules only
// when the native windows tell it the heights they may take.
class TestWindowSteps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void nativeWindowsAnnounceTheirHeights()
    {
        QTemporaryDir dir;
        TDiscModel model;
        TSimulatedCdDrive drive;
        TQLNXMainForm form(model, drive, dir.path());
        form.FormCreate(1);
        form.show();
        form.LyricsForm().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form.LyricsForm()));

        const QWindow* lyrics = form.LyricsForm().windowHandle();
        QCOMPARE(lyrics->sizeIncrement(), QSize(1, 2));
        QCOMPARE(lyrics->baseSize().height() % 2, 0);
        QCOMPARE(form.LyricsForm().height() % 2, 0);
        const QWindow* main = form.windowHandle();
        QCOMPARE(main->sizeIncrement(), QSize(1, 4));
        QCOMPARE((form.height() - main->baseSize().height()) % 4, 0);
        form.LyricsForm().hide();
    }
};

QTEST_MAIN(TestWindowSteps)
#include "tst_windowsteps.moc"
