#include <QTemporaryDir>
#include <QTest>

#include "controls/AndPanel.h"
#include "desktop/FirstStart.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsForm.h"
#include "settings/ProgramDirectory.h"
#include "support/PlayerRig.h"
#include "support/SimulatedCdDrive.h"
#include "ui/Main.h"

using namespace qlnx;

// A first start on a machine without any drive says where a disc image is added, and a start
// with drives is left as it was.
class TestFirstStart : public QObject
{
    Q_OBJECT

    using TPlayer = TPlayerRig;

private Q_SLOTS:
    void noDriveNamesTheSettingsFile()
    {
        TPlayer p;
        p.Form.FormCreate(1);
        const QString settings = SettingsFileName(p.Dir.path());
        ShowNoDriveHint(p.Controller(), p.Form, settings);
        // The hint stays while the poll keeps looking for a drive; the row keeps its text.
        for (int i = 0; i < 3; ++i)
            p.Tick();
        QCOMPARE(p.Form.TitlePanel().Caption(), QStringLiteral("Not available"));
        const QString hint = p.Form.TitlePanel().toolTip();
        QCOMPARE(hint,
                 QStringLiteral("No drive: add a disc image as Image1=<path> in [Drives] of ") +
                     settings);
    }

    void drivesKeepTheirHint()
    {
        TPlayer p;
        p.Drive.AddDrive(QStringLiteral("sr0"));
        p.Drive.InsertDisc(p.Drive.AddDrive(QStringLiteral("demo.cue")),
                           TSimDisc::Audio({10}, 0x42));
        p.Form.FormCreate(1);
        ShowNoDriveHint(p.Controller(), p.Form, SettingsFileName(p.Dir.path()));
        QCOMPARE(p.Form.TitlePanel().toolTip(), QStringLiteral("sr0 [demo.cue]"));
    }
};

QTEST_MAIN(TestFirstStart)
#include "tst_firststart.moc"
