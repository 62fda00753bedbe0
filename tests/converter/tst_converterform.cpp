#include <functional>

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include "ui/Main.h"

using namespace qlnxdc;

namespace {

// Runs action on the modal window the code under test opens next, as soon as that window's
// event loop starts. Whatever happens, the window is closed, so a test cannot hang on it.
void OnNextModal(std::function<void(QWidget*)> action)
{
    QTimer::singleShot(0, qApp, [action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        action(modal);
        if (modal == QApplication::activeModalWidget())
            modal->close();
    });
}

// Answers the next message box with the button whose text is given, noting what it said.
struct TSeenBox
{
    QString Caption;
    QString Text;
    QStringList Buttons;
};

void AnswerNextBox(const QString& button, TSeenBox* seen = nullptr)
{
    OnNextModal([button, seen](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box)
            return;
        if (seen) {
            seen->Caption = box->windowTitle();
            seen->Text = box->text();
            for (QAbstractButton* b : box->buttons())
                seen->Buttons << b->text();
        }
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button || button.isEmpty())
                return b->click();
        }
    });
}

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT

    QTemporaryDir m_tmp;

    QString Dest() const { return m_tmp.path() + QStringLiteral("/out"); }

    QString Source(const QByteArray& bytes)
    {
        const QString path = m_tmp.path() + QStringLiteral("/source.dat");
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write the source");
        return path;
    }

    template <typename T> static T* Child(const TMainForm& form, const char* name)
    {
        T* child = form.findChild<T*>(QLatin1StringView(name));
        if (!child)
            qFatal("no child %s", name);
        return child;
    }

    static void Convert(TMainForm& form, const QString& source, const QString& dest)
    {
        Child<QLineEdit>(form, "SrcFileEdit")->setText(source);
        Child<QLineEdit>(form, "DestDirEdit")->setText(dest);
        QTest::mouseClick(Child<QPushButton>(form, "ConvertButton"), Qt::LeftButton);
    }

    static QStringList LogLines(const TMainForm& form)
    {
        return Child<QTextEdit>(form, "ProgressEdit")->toPlainText().split(u'\n');
    }

private Q_SLOTS:
    void init()
    {
        QDir(Dest()).removeRecursively();
        QDir().mkpath(Dest());
    }

    void windowAndControls()
    {
        TMainForm form;
        QCOMPARE(form.windowTitle(), QStringLiteral("QLNX Data Converter"));
        QCOMPARE(form.size(), QSize(539, 388));
        QCOMPARE(form.minimumSize(), QSize(392, 287));
        QCOMPARE(form.font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
        QCOMPARE(QFontInfo(form.font()).family(), QStringLiteral("IPAPGothic"));
        auto* log = Child<QTextEdit>(form, "ProgressEdit");
        QVERIFY(log->isReadOnly());
        QCOMPARE(log->lineWrapMode(), QTextEdit::NoWrap);
        QCOMPARE(QFontInfo(log->font()).family(), QStringLiteral("IPAGothic"));

        QVERIFY(!Child<QPushButton>(form, "ConvertButton")->isEnabled());
        QCOMPARE(form.SourceFormat(), TSourceFormat::Kvt);
        QStringList items;
        for (QRadioButton* item :
             Child<QGroupBox>(form, "FormatRadioGroup")->findChildren<QRadioButton*>())
            items << item->text() + (item->isChecked() ? "*" : "");
        QCOMPARE(items, (QStringList{"旧KVT*", "Win標準", "CDDB"}));
        QCOMPARE(Child<QFileDialog>(form, "OpenDialog")->nameFilters(),
                 (QStringList{"旧KVT(*.dat)", "Win標準(*.ini)", "全て(*)"}));
        QCOMPARE(Child<QLabel>(form, "Label1")->text(), QStringLiteral("変換元ファイル"));
        QCOMPARE(Child<QLabel>(form, "Label2")->text(), QStringLiteral("変換先ディレクトリ"));

        // Anchoring: edits stretch, the browse buttons keep to the right, Exit to the bottom.
        QCOMPARE(Child<QLineEdit>(form, "SrcFileEdit")->geometry(), QRect(16, 24, 428, 20));
        QCOMPARE(Child<QPushButton>(form, "DestReferButton")->geometry(), QRect(459, 72, 65, 25));
        QCOMPARE(Child<QPushButton>(form, "ExitButton")->geometry(), QRect(16, 237, 65, 25));
        form.show();
        form.resize(800, 600);
        QCOMPARE(Child<QWidget>(form, "BottomPanel")->geometry(), QRect(0, 490, 800, 110));
        QCOMPARE(Child<QWidget>(form, "RightPanel")->geometry(), QRect(704, 0, 96, 490));
        QCOMPARE(log->geometry(), QRect(0, 0, 704, 490));
        QCOMPARE(Child<QLineEdit>(form, "DestDirEdit")->geometry(), QRect(16, 72, 689, 20));
        QCOMPARE(Child<QPushButton>(form, "SrcReferButton")->geometry(), QRect(720, 24, 65, 25));
        QCOMPARE(Child<QPushButton>(form, "ConvertButton")->geometry(), QRect(16, 16, 65, 25));
        QCOMPARE(Child<QPushButton>(form, "ExitButton")->geometry(), QRect(16, 449, 65, 25));
    }

    void convertButtonNeedsBothPaths()
    {
        TMainForm form;
        auto* convert = Child<QPushButton>(form, "ConvertButton");
        auto* src = Child<QLineEdit>(form, "SrcFileEdit");
        auto* dest = Child<QLineEdit>(form, "DestDirEdit");
        QTest::keyClicks(src, QStringLiteral("a"));
        QVERIFY(!convert->isEnabled());
        QTest::keyClicks(dest, QStringLiteral("b"));
        QVERIFY(convert->isEnabled());
        QTest::keyClick(src, Qt::Key_Backspace);
        QVERIFY(!convert->isEnabled());
    }

    void logShowsStylesAndEndsAtTheTop()
    {
        TMainForm form;
        Convert(form, Source("[0A1B2C3D]\nartist=A\n1=x\n"), Dest());
        QCOMPARE(LogLines(form), (QStringList{"0A1B2C3D", "Artist : A", "Title  : <Not found>",
                                              "Order  : <Not found>", "Tracks : 1", ""}));
        auto* log = Child<QTextEdit>(form, "ProgressEdit");
        const QColor text = log->palette().color(QPalette::Text);
        QList<QPair<int, QColor>> styles; // weight and colour of each line's text
        for (QTextBlock block = log->document()->begin(); block.isValid(); block = block.next()) {
            const QTextBlock::iterator first = block.begin();
            const QTextCharFormat format =
                first.atEnd() ? block.charFormat() : first.fragment().charFormat();
            styles.append({format.fontWeight(), format.foreground().color()});
        }
        const QColor red(255, 0, 0);
        const QList<QPair<int, QColor>> expected{{QFont::Bold, text},   {QFont::Normal, text},
                                                 {QFont::Normal, red},  {QFont::Normal, red},
                                                 {QFont::Normal, text}, {QFont::Normal, text}};
        QCOMPARE(styles, expected);
        QCOMPARE(log->textCursor().position(), 0);
        QVERIFY(QFile::exists(Dest() + QStringLiteral("/0A1B2C3D.dat")));

        // The next run starts with an empty log.
        Convert(form, Source("[00000002]\n"), Dest());
        QCOMPARE(LogLines(form).first(), QStringLiteral("00000002"));
        QCOMPARE(LogLines(form).size(), 6);
    }

    void trackZeroQuestionSwitchesTheFormat()
    {
        TMainForm form;
        TSeenBox seen;
        QStringList logWhenAsked;
        OnNextModal([&](QWidget* modal) {
            logWhenAsked = LogLines(form);
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (!box)
                return;
            seen.Caption = box->windowTitle();
            seen.Text = box->text();
            for (QAbstractButton* b : box->buttons()) {
                seen.Buttons << b->text();
                if (b->text() == QStringLiteral("はい(&Y)"))
                    b->click();
            }
        });
        Convert(form, Source("[00000001]\nartist=A\n[00000002]\nartist=B\n0=zero\n"), Dest());

        QCOMPARE(seen.Caption, QStringLiteral("確認"));
        QCOMPARE(seen.Text,
                 QStringLiteral("トラック0を検出。中止して形式を旧KVTからWin標準形式に変更する?"));
        QCOMPARE(seen.Buttons, (QStringList{"はい(&Y)", "いいえ(&N)"}));
        // The log as far as the run got is on screen while the question is put.
        QCOMPARE(logWhenAsked.size(), 6);
        QCOMPARE(LogLines(form), logWhenAsked);
        QCOMPARE(form.SourceFormat(), TSourceFormat::WinStandard);
        QCOMPARE(QDir(Dest()).entryList(QDir::Files), QStringList{"00000001.dat"});

        // Converting again in the format now chosen asks nothing and writes both discs.
        Convert(form, Source("[00000001]\nartist=A\n[00000002]\nartist=B\n0=zero\n"), Dest());
        QCOMPARE(QDir(Dest()).entryList(QDir::Files),
                 (QStringList{"00000001.dat", "00000002.dat"}));
    }

    void failuresAreShownInABox()
    {
        TMainForm form;
        // A directory where the second disc's file should go.
        QDir().mkpath(Dest() + QStringLiteral("/00000002.dat"));
        TSeenBox seen;
        AnswerNextBox(QString(), &seen);
        Convert(form, Source("[00000001]\nartist=A\n[00000002]\nartist=B\n"), Dest());
        QCOMPARE(seen.Text,
                 QStringLiteral("ファイル %1/00000002.dat を作成できません").arg(Dest()));
        QCOMPARE(LogLines(form).size(), 12);
        auto* log = Child<QTextEdit>(form, "ProgressEdit");
        QCOMPARE(log->textCursor().position(), log->document()->characterCount() - 1);

        // A missing source: the log stays empty.
        const QString missing = m_tmp.path() + QStringLiteral("/missing.dat");
        AnswerNextBox(QString(), &seen);
        Convert(form, missing, Dest());
        QCOMPARE(seen.Text, QStringLiteral("ファイル %1 は開けません").arg(missing));
        QVERIFY(log->document()->isEmpty());
    }

    void browsing()
    {
        TMainForm form;
        const QString source = Source("[00000001]\n");
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog)
                return;
            dialog->selectNameFilter(QStringLiteral("Win標準(*.ini)"));
            dialog->setDirectory(m_tmp.path());
            dialog->selectFile(source);
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(Child<QPushButton>(form, "SrcReferButton"), Qt::LeftButton);
        QCOMPARE(Child<QLineEdit>(form, "SrcFileEdit")->text(), source);
        QCOMPARE(form.SourceFormat(), TSourceFormat::Kvt);

        // A directory that does not exist yet is created once the user agrees.
        const QString wanted = m_tmp.path() + QStringLiteral("/new/sub");
        Child<QLineEdit>(form, "DestDirEdit")->setText(wanted);
        TSeenBox seen;
        OnNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            if (!dialog)
                return;
            AnswerNextBox(QStringLiteral("はい(&Y)"), &seen);
            static_cast<QDialog*>(dialog)->accept();
        });
        QTest::mouseClick(Child<QPushButton>(form, "DestReferButton"), Qt::LeftButton);
        QCOMPARE(seen.Text, QStringLiteral("指定されたディレクトリが存在しません。作成しますか？"));
        QVERIFY(QFileInfo(wanted).isDir());
        QCOMPARE(Child<QLineEdit>(form, "DestDirEdit")->text(), wanted);
        QVERIFY(Child<QPushButton>(form, "ConvertButton")->isEnabled());
    }

    // With CDDB chosen, 参照 takes a folder as well as a file, and either converts.
    void cddbSourceMayBeAFolder()
    {
        TMainForm form;
        QTest::mouseClick(
            Child<QGroupBox>(form, "FormatRadioGroup")->findChildren<QRadioButton*>().at(2),
            Qt::LeftButton);
        QCOMPARE(form.SourceFormat(), TSourceFormat::Cddb);
        const QString folder = m_tmp.path() + QStringLiteral("/cddb");
        const QString entry = folder + QStringLiteral("/rock/entry");
        QDir().mkpath(folder + QStringLiteral("/rock"));
        QFile f(entry);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("# xmcd\n# Track frame offsets:\n# 150\n# 450\n# 750\n#\nDTITLE=A / T\n");
        f.close();

        for (const QString& path : {folder, entry}) {
            bool chooseEnabled = false;
            OnNextModal([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (!dialog)
                    return;
                dialog->selectFile(path);
                chooseEnabled = dialog->findChild<QDialogButtonBox*>()
                                    ->button(QDialogButtonBox::Open)
                                    ->isEnabled();
                static_cast<QDialog*>(dialog)->accept();
            });
            QTest::mouseClick(Child<QPushButton>(form, "SrcReferButton"), Qt::LeftButton);
            QVERIFY(chooseEnabled);
            QCOMPARE(Child<QLineEdit>(form, "SrcFileEdit")->text(), path);
            Convert(form, path, Dest());
            QCOMPARE(LogLines(form).first(), QStringLiteral("00001200"));
        }
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_converterform.moc"
