#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "disc/DiscDataFile.h"
#include "disc/DiscModel.h"
#include "lyricsui/LyricsEdit.h"
#include "lyricsui/TimeField.h"

using namespace qlnx;

namespace {

TLyricRow R(const char* minutes, const char* seconds, const char* text)
{
    return {QString::fromUtf8(minutes), QString::fromUtf8(seconds), QString::fromUtf8(text)};
}

TLyricList Lines(std::initializer_list<std::pair<int, const char*>> lines)
{
    TLyricList list;
    for (const auto& [time, text] : lines)
        list.append(TLyricEntry{QString::fromUtf8(text), time});
    return list;
}

// What the three fields above the grid show.
TLyricRow Fields(TLyricsEditForm& form)
{
    return {form.MinEdit().text(), form.SecEdit().text(), form.LyricsEdit().text()};
}

} // namespace

// The editor on its own, on a disc of three tracks, driven by keys and clicks.
class TestLyricsEdit : public QObject
{
    Q_OBJECT

    struct TEditor
    {
        TDiscModel Model;
        TLyricsEditForm Form{Model, nullptr};
        int Progress = 0;
        int StoredCount = 0;
        QStringList Errors;

        TEditor()
        {
            Model.SetDiscID(0xC0FFEE);
            Model.SetTrackCount(3);
            for (int n = 1; n <= 3; ++n)
                Model.Tracks(n).Name = QStringLiteral("Song %1").arg(n);
            Form.SetProgressSource([this] { return Progress; });
            Form.SetErrorReporter([this](const QString& m) { Errors.append(m); });
            QObject::connect(&Form, &TLyricsEditForm::Stored, [this] { ++StoredCount; });
        }
        void Open(int track)
        {
            Form.show();
            // The offscreen platform activates at once; focus then follows the keys.
            if (!QTest::qWaitForWindowActive(&Form))
                qWarning("the editor did not become the active window");
            Form.StartEdit(Model.DiscID(), track);
        }
        QList<TLyricRow> Rows() const { return Form.Rows(); }
        int Selected() { return Form.LyricsGrid().currentRow(); }
        void Click(QPushButton& button) { QTest::mouseClick(&button, Qt::LeftButton); }
        void ClickRow(int row)
        {
            QTableWidget& grid = Form.LyricsGrid();
            const QRect cell = grid.visualItemRect(grid.item(row, 2));
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        }
        // Types a line into the text field and presses Enter.
        void Line(const QString& text)
        {
            Form.LyricsEdit().setFocus();
            Form.LyricsEdit().selectAll();
            QTest::keyClicks(&Form.LyricsEdit(), text);
            QTest::keyClick(&Form.LyricsEdit(), Qt::Key_Return);
        }
        // Types digits into a time field from its start, as after entering it with Tab.
        void TypeTime(TTimeEdit& edit, const QString& digits)
        {
            edit.setFocus();
            QTest::keyClick(&edit, Qt::Key_Home);
            QTest::keyClicks(&edit, digits);
        }
    };

private Q_SLOTS:
    void layoutAndTabOrder()
    {
        TEditor e;
        e.Open(1);
        TLyricsEditForm& f = e.Form;
        QCOMPARE(f.windowTitle(), QStringLiteral("Lyrics Edit"));
        QVERIFY(!f.isModal());
        QCOMPARE(f.size(), QSize(528, 534));
        QCOMPARE(f.TrackCombo().geometry(), QRect(8, 8, 442, 20));
        QCOMPARE(f.MinEdit().geometry(), QRect(8, 48, 25, 20));
        QCOMPARE(f.SecEdit().geometry(), QRect(48, 48, 25, 20));
        QCOMPARE(f.LyricsEdit().geometry(), QRect(88, 48, 360, 20));
        QCOMPARE(f.LyricsGrid().geometry(), QRect(8, 88, 440, 438));
        QCOMPARE(f.GetTimeButton().geometry(), QRect(456, 192, 65, 25));
        QCOMPARE(f.OkButton().geometry(), QRect(456, 467, 65, 25));
        QCOMPARE(f.CancelButton().geometry(), QRect(456, 499, 65, 25));
        QCOMPARE(f.LyricsGrid().columnWidth(0), 39);
        QCOMPARE(f.LyricsGrid().rowHeight(0), 16);

        // Wider and taller: the right column, the bottom buttons, the grid and its text column
        // follow; the time fields stay.
        f.resize(628, 634);
        QCOMPARE(f.TrackCombo().width(), 542);
        QCOMPARE(f.LyricsGrid().geometry(), QRect(8, 88, 540, 538));
        QCOMPARE(f.LyricsGrid().columnWidth(2), 461);
        QCOMPARE(f.OkButton().pos(), QPoint(556, 567));
        QCOMPARE(f.MinEdit().geometry(), QRect(8, 48, 25, 20));
        // At the smallest size the new buttons still stand clear of OK.
        f.resize(100, 100);
        QCOMPARE(f.size(), f.minimumSize());
        QVERIFY(f.FindOnlineButton().geometry().bottom() < f.OkButton().y());
        // Its caption is longer than the others: it fits its button, not cut off at both ends.
        const QPushButton& find = f.FindOnlineButton();
        QVERIFY(QFontMetrics(find.font()).horizontalAdvance(find.text()) < find.width() - 8);

        // The grid is one stop: Tab leaves it for Replace. Import, Export and Find Online come
        // last.
        const QList<QWidget*> order{&f.TrackCombo(),   &f.MinEdit(),          &f.MinUpDown(),
                                    &f.SecEdit(),      &f.SecUpDown(),        &f.LyricsEdit(),
                                    &f.LyricsGrid(),   &f.ReplaceButton(),    &f.ClearButton(),
                                    &f.InsertButton(), &f.DeleteButton(),     &f.GetTimeButton(),
                                    &f.OkButton(),     &f.CancelButton(),     &f.ImportButton(),
                                    &f.ExportButton(), &f.FindOnlineButton(), &f.TrackCombo()};
        f.TrackCombo().setFocus();
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), order.at(i));
        }
    }

    void trackWithoutLyricsAndTheStoreRule()
    {
        TEditor e;
        e.Open(2);
        QCOMPARE(e.Form.TrackCombo().count(), 3);
        QCOMPARE(e.Form.TrackCombo().currentText(), QStringLiteral("Song 2"));
        QCOMPARE(e.Rows(), QList<TLyricRow>{R("00", "00", "")});
        QCOMPARE(Fields(e.Form), R("00", "00", ""));
        QCOMPARE(QApplication::focusWidget(), &e.Form.LyricsEdit());
        e.Click(e.Form.OkButton());
        QVERIFY(!e.Form.isVisible());
        QCOMPARE(e.StoredCount, 1);
        QVERIFY(IsNoLyrics(e.Model.Tracks(2).Lyrics));

        // Each Enter stores the line and appends a row carrying its time. A blank row only
        // counts when it starts later than the line before it; the order is never changed.
        e.Open(2);
        e.TypeTime(e.Form.SecEdit(), QStringLiteral("10"));
        e.Line(QStringLiteral("la"));
        QCOMPARE(Fields(e.Form), R("00", "10", ""));
        e.Line(QString());
        e.TypeTime(e.Form.SecEdit(), QStringLiteral("15"));
        e.Line(QString());
        e.TypeTime(e.Form.SecEdit(), QStringLiteral("05"));
        e.Line(QStringLiteral("earlier"));
        QCOMPARE(e.Rows(),
                 (QList<TLyricRow>{R("00", "10", "la"), R("00", "10", ""), R("00", "15", ""),
                                   R("00", "05", "earlier"), R("00", "05", "")}));
        QCOMPARE(e.Selected(), 4);
        e.Click(e.Form.OkButton());
        QCOMPARE(e.Model.Tracks(2).Lyrics, Lines({{10, "la"}, {15, ""}, {5, "earlier"}}));
        QCOMPARE(e.StoredCount, 2);
    }

    void rowOperationsAndTheFields()
    {
        TEditor e;
        e.Model.Tracks(1).Lyrics = Lines({{1, "a"}, {2, "b"}, {3, "c"}, {4, "d"}});
        e.Open(1);

        // Insert keeps the selected index, so the fields still show the row selected before.
        e.ClickRow(3);
        e.Click(e.Form.InsertButton());
        QCOMPARE(e.Rows(),
                 (QList<TLyricRow>{R("00", "01", "a"), R("00", "02", "b"), R("00", "03", "c"),
                                   R("00", "03", ""), R("00", "04", "d")}));
        QCOMPARE(e.Selected(), 3);
        QCOMPARE(Fields(e.Form), R("00", "04", "d"));
        e.ClickRow(0);
        e.Click(e.Form.InsertButton());
        QCOMPARE(e.Rows().first(), R("00", "00", ""));
        QCOMPARE(e.Rows().at(1), R("00", "01", "a"));
        QCOMPARE(Fields(e.Form), R("00", "01", "a"));

        // Clear takes the time of the row above and leaves the fields alone.
        e.ClickRow(2);
        e.Click(e.Form.ClearButton());
        QCOMPARE(e.Rows().at(2), R("00", "01", ""));
        QCOMPARE(Fields(e.Form), R("00", "02", "b"));

        // Deleting a middle row keeps the fields; deleting the last row loads the new last.
        e.Click(e.Form.DeleteButton());
        QCOMPARE(e.Rows().size(), 5);
        QCOMPARE(e.Rows().at(2), R("00", "03", "c"));
        QCOMPARE(Fields(e.Form), R("00", "02", "b"));
        e.ClickRow(4);
        e.Click(e.Form.DeleteButton());
        QCOMPARE(e.Rows().size(), 4);
        QCOMPARE(e.Selected(), 3);
        QCOMPARE(Fields(e.Form), R("00", "03", ""));

        // Replace on the last row appends one with the same time, selected and shown.
        e.Form.LyricsEdit().setText(QStringLiteral("new words"));
        e.Click(e.Form.ReplaceButton());
        QCOMPARE(e.Rows().size(), 5);
        QCOMPARE(e.Rows().at(3), R("00", "03", "new words"));
        QCOMPARE(e.Rows().at(4), R("00", "03", ""));
        QCOMPARE(e.Selected(), 4);
        QCOMPARE(Fields(e.Form), R("00", "03", ""));

        // Down stores and moves on; Up on row 0 stores, stays and selects the text.
        e.ClickRow(0);
        e.Form.LyricsEdit().setFocus();
        QTest::keyClicks(&e.Form.LyricsEdit(), QStringLiteral("x"));
        QTest::keyClick(&e.Form.LyricsEdit(), Qt::Key_Up);
        QCOMPARE(e.Selected(), 0);
        QCOMPARE(e.Rows().at(0), R("00", "00", "x"));
        QCOMPARE(e.Form.LyricsEdit().selectedText(), QStringLiteral("x"));
        QTest::keyClick(&e.Form.LyricsEdit(), Qt::Key_Down);
        QCOMPARE(e.Selected(), 1);
        // Ctrl+Enter does nothing; Enter in the grid is Replace.
        QTest::keyClick(&e.Form.LyricsEdit(), Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(e.Selected(), 1);
        QTest::keyClick(&e.Form.LyricsGrid(), Qt::Key_Return);
        QCOMPARE(e.Selected(), 2);

        // A row left without Replace loses what was typed into the fields.
        e.Form.LyricsEdit().setText(QStringLiteral("dropped"));
        e.ClickRow(0);
        QVERIFY(!e.Rows().contains(R("00", "02", "dropped")));

        // Delete down to one row: it becomes 00 / 00 / empty.
        for (int i = 0; i < 6; ++i)
            e.Click(e.Form.DeleteButton());
        QCOMPARE(e.Rows(), QList<TLyricRow>{R("00", "00", "")});
    }

    void getTimeAndAnotherDisc()
    {
        TEditor e;
        e.Model.Tracks(1).Lyrics = Lines({{0, "a"}, {0, "b"}, {0, "c"}, {0, "d"}, {0, "e"}});
        e.Open(1);
        e.ClickRow(2);
        e.Progress = 83;
        e.Click(e.Form.GetTimeButton());
        QCOMPARE(e.Rows().at(2), R("01", "23", "c"));
        QCOMPARE(e.Selected(), 3);
        QCOMPARE(Fields(e.Form), R("00", "00", "d"));
        e.ClickRow(4);
        e.Progress = 6005;
        e.Click(e.Form.GetTimeButton());
        QCOMPARE(e.Rows().at(4), R("100", "05", "e"));
        QCOMPARE(e.Selected(), 4);
        QCOMPARE(Fields(e.Form), R("00", "00", "e"));

        // Another disc came in: Get Time stamps nothing and OK only closes.
        const QList<TLyricRow> before = e.Rows();
        e.Model.SetDiscID(0xBEEF);
        e.ClickRow(0);
        e.Click(e.Form.GetTimeButton());
        QCOMPARE(e.Rows(), before);
        e.Click(e.Form.OkButton());
        QVERIFY(!e.Form.isVisible());
        QCOMPARE(e.StoredCount, 0);
        QCOMPARE(e.Model.Tracks(1).Lyrics.first().Time, 0);
    }

    void timeFieldsTypingAndArrows()
    {
        TEditor e;
        e.Open(1);
        TTimeEdit& sec = e.Form.SecEdit();
        TTimeEdit& min = e.Form.MinEdit();

        // Entered with Tab, typing overwrites the tens and then the units digit; 70 seconds
        // cannot be, so the field holds 59 until the units digit is typed.
        e.Form.MinUpDown().setFocus();
        QTest::keyClick(&e.Form.MinUpDown(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &sec);
        QTest::keyClick(&sec, Qt::Key_7);
        QCOMPARE(sec.text(), QStringLiteral("59"));
        QTest::keyClick(&sec, Qt::Key_3);
        QCOMPARE(sec.text(), QStringLiteral("53"));
        QTest::keyClick(&sec, Qt::Key_4);
        QCOMPARE(sec.text(), QStringLiteral("54"));
        QTest::keyClicks(&sec, QStringLiteral("a-+ "));
        QCOMPARE(sec.text(), QStringLiteral("54"));
        QTest::keyClick(&sec, Qt::Key_Backspace);
        QCOMPARE(sec.text(), QStringLiteral("05"));
        sec.selectAll();
        QTest::keyClick(&sec, Qt::Key_Backspace);
        QCOMPARE(sec.text(), QStringLiteral("00"));

        // Pasted text: one digit is padded, a large number becomes the maximum, other text
        // stays as it is.
        sec.selectAll();
        sec.insert(QStringLiteral("7"));
        QCOMPARE(sec.text(), QStringLiteral("07"));
        min.selectAll();
        min.insert(QStringLiteral("150"));
        QCOMPARE(min.text(), QStringLiteral("99"));
        min.selectAll();
        min.insert(QStringLiteral("x1"));
        QCOMPARE(min.text(), QStringLiteral("x1"));

        // Seconds run round; minutes stop at both ends. Clicks on the arrows' halves and the
        // arrow keys on the up-down do the same.
        TUpDown& secArrows = e.Form.SecUpDown();
        TUpDown& minArrows = e.Form.MinUpDown();
        const QPoint up(8, 3);
        const QPoint down(8, secArrows.height() - 3);
        sec.setText(QStringLiteral("59"));
        QTest::mouseClick(&secArrows, Qt::LeftButton, {}, up);
        QCOMPARE(sec.text(), QStringLiteral("00"));
        QTest::mouseClick(&secArrows, Qt::LeftButton, {}, down);
        QCOMPARE(sec.text(), QStringLiteral("59"));
        min.setText(QStringLiteral("99"));
        QTest::mouseClick(&minArrows, Qt::LeftButton, {}, up);
        QCOMPARE(min.text(), QStringLiteral("99"));
        min.setText(QStringLiteral("00"));
        minArrows.setFocus();
        QTest::keyClick(&minArrows, Qt::Key_Down);
        QCOMPARE(min.text(), QStringLiteral("00"));
        QTest::keyClick(&minArrows, Qt::Key_Up);
        QCOMPARE(min.text(), QStringLiteral("01"));
    }

    void longTimesAndNonNumbers()
    {
        TEditor e;
        // 99:75 in a data file: a three-digit minute cell that the minutes field cannot hold.
        e.Model.Tracks(1).Lyrics = Lines({{6015, "late"}, {20, "next"}});
        e.Open(1);
        QCOMPARE(e.Rows().at(0), R("100", "15", "late"));
        QCOMPARE(Fields(e.Form), R("99", "15", "late"));
        e.ClickRow(1);
        e.Form.SecEdit().selectAll();
        e.Form.SecEdit().insert(QStringLiteral("ab"));
        e.Click(e.Form.ReplaceButton());
        QCOMPARE(e.Rows().at(1), R("00", "ab", "next"));

        // OK is refused before the list is touched; the grid and the window stay.
        const QList<TLyricRow> grid = e.Rows();
        e.Click(e.Form.OkButton());
        QCOMPARE(e.Errors.size(), 1);
        QVERIFY(e.Errors.first().startsWith(QStringLiteral("2 行目")));
        QCOMPARE(e.Model.Tracks(1).Lyrics, Lines({{6015, "late"}, {20, "next"}}));
        QCOMPARE(e.StoredCount, 0);
        QVERIFY(e.Form.isVisible());
        QCOMPARE(e.Rows(), grid);
        // Once the row holds a number again, OK stores; the long time keeps its value.
        e.ClickRow(1);
        e.Form.SecEdit().setText(QStringLiteral("20"));
        e.Click(e.Form.ReplaceButton());
        e.Click(e.Form.OkButton());
        QCOMPARE(e.Model.Tracks(1).Lyrics, Lines({{6015, "late"}, {20, "next"}}));
    }

    void switchingTracksDropsTheGrid()
    {
        TEditor e;
        e.Model.Tracks(3).Lyrics = Lines({{4, "three"}});
        e.Open(1);
        e.Line(QStringLiteral("typed on one"));
        e.Form.TrackCombo().setFocus();
        QTest::keyClick(&e.Form.TrackCombo(), Qt::Key_Down);
        QCOMPARE(e.Form.EditTrack(), 2);
        QTest::keyClick(&e.Form.TrackCombo(), Qt::Key_Up);
        QCOMPARE(e.Rows(), QList<TLyricRow>{R("00", "00", "")});
        e.Line(QStringLiteral("typed again"));
        e.Form.TrackCombo().setCurrentIndex(2);
        QCOMPARE(e.Rows(), QList<TLyricRow>{R("00", "04", "three")});
        e.Line(QStringLiteral("more"));
        // Only the track shown at OK is stored.
        e.Click(e.Form.OkButton());
        QCOMPARE(e.Model.Tracks(3).Lyrics, Lines({{4, "more"}}));
        QVERIFY(IsNoLyrics(e.Model.Tracks(1).Lyrics));

        // Escape is Cancel: nothing is stored.
        e.Open(3);
        e.Line(QStringLiteral("not kept"));
        QTest::keyClick(&e.Form.LyricsEdit(), Qt::Key_Escape);
        QVERIFY(!e.Form.isVisible());
        QCOMPARE(e.Model.Tracks(3).Lyrics, Lines({{4, "more"}}));
    }

    void importAndExport()
    {
        TEditor e;
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.lrc"));
        const QString out = dir.filePath(QStringLiteral("out.lrc"));
        {
            QFile file(in);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[ar:x]\n[00:30.50]second\n[00:05.99][01:00.00]first\n");
        }
        QString offered;
        QString answer = in;
        const auto dialog = [&](QWidget&, const QString& suggested) {
            offered = suggested;
            return answer;
        };
        e.Form.SetOpenFileDialog(dialog);
        e.Form.SetSaveFileDialog(dialog);
        e.Model.SetArtist(QStringLiteral("The Band"));
        e.Model.Tracks(1).Lyrics = Lines({{1, "old"}});
        e.Open(1);

        e.Click(e.Form.ImportButton());
        QCOMPARE(e.Rows(), (QList<TLyricRow>{R("00", "05", "first"), R("00", "30", "second"),
                                             R("01", "00", "first")}));
        QCOMPARE(Fields(e.Form), R("00", "05", "first"));
        QCOMPARE(e.Model.Tracks(1).Lyrics, Lines({{1, "old"}}));

        // The export holds what OK would store: the blank row Enter leaves is not written.
        e.ClickRow(2);
        e.Click(e.Form.ReplaceButton());
        QCOMPARE(e.Rows().size(), 4);
        answer = out;
        e.Click(e.Form.ExportButton());
        QCOMPARE(offered, QStringLiteral("Song 1.lrc"));
        QFile written(out);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("[ar:The Band]\r\n[ti:Song 1]\r\n"
                                               "[00:05.00]first\r\n[00:30.00]second\r\n"
                                               "[01:00.00]first\r\n"));
        QVERIFY(e.Errors.isEmpty());

        // Files that cannot be read or written are reported; the grid stays as it was.
        const QList<TLyricRow> grid = e.Rows();
        answer = dir.filePath(QStringLiteral("missing/in.lrc"));
        e.Click(e.Form.ImportButton());
        e.Click(e.Form.ExportButton());
        QCOMPARE(e.Errors, (QStringList{CannotOpenMessage(answer), CannotCreateMessage(answer)}));
        QCOMPARE(e.Rows(), grid);
        // Giving up in the dialog does nothing.
        answer.clear();
        e.Click(e.Form.ImportButton());
        QCOMPARE(e.Rows(), grid);
        QCOMPARE(e.Errors.size(), 2);

        // Nothing timed in it: the grid stays, or takes plain lines at 00:00 when the user
        // says so. Times past 99:59 are moved there, and the user is told.
        const auto write = [&](const QByteArray& bytes) {
            QFile file(in);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
        };
        QStringList questions;
        bool yes = false;
        e.Form.SetQuestion([&](const QString& q) {
            questions.append(q);
            return yes;
        });
        answer = in;
        write(QByteArray("\x00\x13\xfe random", 10));
        e.Click(e.Form.ImportButton());
        write("plain one\n\nplain two\n");
        e.Click(e.Form.ImportButton());
        QCOMPARE(e.Rows(), grid);
        QCOMPARE(e.Errors.mid(2),
                 QStringList{QStringLiteral("ファイル %1 には時刻付きの行がありません").arg(in)});
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.first().contains(QStringLiteral("2 行")));
        yes = true;
        e.Click(e.Form.ImportButton());
        QCOMPARE(e.Rows(),
                 (QList<TLyricRow>{R("00", "00", "plain one"), R("00", "00", "plain two")}));
        write("[123:45.67]late\n[00:01]early\n");
        e.Click(e.Form.ImportButton());
        QCOMPARE(e.Rows(), (QList<TLyricRow>{R("00", "01", "early"), R("99", "59", "late")}));
        QCOMPARE(e.Errors.last(),
                 QStringLiteral("1 行の時刻が 99:59 を超えるので 99:59 にしました"));
    }
};

QTEST_MAIN(TestLyricsEdit)
#include "tst_lyricsedit.moc"
