#include "ui/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QStringList>
#include <QWidget>

#include "playback/PlaybackController.h"

namespace qlnx {

namespace {

template <std::size_t N> void CheckExactly(const std::array<QAction*, N>& group, int value)
{
    for (std::size_t i = 0; i < N; ++i)
        group[i]->setChecked(int(i) == value);
}

} // namespace

QAction* TMainMenu::AddCheck(QMenu* menu, const QString& caption)
{
    QAction* action = menu->addAction(caption);
    action->setCheckable(true);
    return action;
}

// The menu flips a check mark before it reports the click; the handlers own the toggle, so the
// mark is put back first.
template <typename Handler> void TMainMenu::OnToggle(QAction* action, Handler handler)
{
    connect(action, &QAction::triggered, this, [action, handler] {
        action->setChecked(!action->isChecked());
        handler();
    });
}

TMainMenu::TMainMenu(TPlaybackController& controller, QWidget* parent)
    : QObject(parent), m_menu(new QMenu(parent))
{
    TPlaybackController* c = &controller;
    const auto option = [this](TPlayOption o) -> QAction*& { return m_options[std::size_t(o)]; };
    option(TPlayOption::Repeat1) = AddCheck(m_menu, QStringLiteral("Repeat &1"));
    option(TPlayOption::Repeat) = AddCheck(m_menu, QStringLiteral("&Repeat"));
    option(TPlayOption::MultiDrive) = AddCheck(m_menu, QStringLiteral("&Multi Drive"));
    option(TPlayOption::Shuffle) = AddCheck(m_menu, QStringLiteral("&Shuffle"));
    option(TPlayOption::StopAtClose) = AddCheck(m_menu, QStringLiteral("Stop at &Close"));
    OnToggle(option(TPlayOption::Repeat1), [c] { c->OptRepeat1Click(); });
    OnToggle(option(TPlayOption::Repeat), [c] { c->OptRepeatClick(); });
    OnToggle(option(TPlayOption::MultiDrive), [c] { c->OptMultiDriveClick(); });
    OnToggle(option(TPlayOption::Shuffle), [c] { c->OptShuffleClick(); });
    OnToggle(option(TPlayOption::StopAtClose), [c] { c->OptStopAtCloseClick(); });
    m_menu->addSeparator();

    m_dataEdit = m_menu->addAction(QStringLiteral("&Data Edit"));
    m_lyricsEdit = m_menu->addAction(QStringLiteral("&Lyrics Edit"));
    m_programEdit = m_menu->addAction(QStringLiteral("&Program Edit"));
    connect(m_dataEdit, &QAction::triggered, this, &TMainMenu::DataEditClick);
    connect(m_lyricsEdit, &QAction::triggered, this, &TMainMenu::LyricsEditClick);
    connect(m_programEdit, &QAction::triggered, this, &TMainMenu::ProgramEditClick);
    m_lookUpDisc = m_menu->addAction(QStringLiteral("Look &Up Disc..."));
    connect(m_lookUpDisc, &QAction::triggered, this, &TMainMenu::LookUpDiscClick);
    connect(m_menu->addAction(QStringLiteral("&Open Image...")), &QAction::triggered, this,
            &TMainMenu::OpenImageClick);
    EnableEditors(false);
    m_menu->addSeparator();

    m_stayOnTop = AddCheck(m_menu, QStringLiteral("Stay on &Top"));
    OnToggle(m_stayOnTop, [this] { Q_EMIT StayOnTopClick(); });

    QMenu* lyricsForm = m_menu->addMenu(QStringLiteral("L&yrics Form"));
    const QStringList modes{QStringLiteral("O&n"), QStringLiteral("O&ff"),
                            QStringLiteral("&Depend")};
    for (int i = 0; i < 3; ++i) {
        m_lyricsFormModes[std::size_t(i)] = AddCheck(lyricsForm, modes[i]);
        OnToggle(m_lyricsFormModes[std::size_t(i)],
                 [this, i] { Q_EMIT LyricsFormModeClick(TLyricsFormMode(i)); });
    }
    QMenu* lyricsSync = m_menu->addMenu(QStringLiteral("L&yrics Form Sync"));
    const QStringList syncs{QStringLiteral("&None"), QStringLiteral("Bottom - &Center"),
                            QStringLiteral("Bottom - &Left"), QStringLiteral("Bottom - &Right")};
    for (int i = 0; i < 4; ++i) {
        m_lyricsFormSyncs[std::size_t(i)] = AddCheck(lyricsSync, syncs[i]);
        OnToggle(m_lyricsFormSyncs[std::size_t(i)],
                 [this, i] { Q_EMIT LyricsFormSyncClick(TLyricsFormSync(i)); });
    }
    QMenu* trackNumber = m_menu->addMenu(QStringLiteral("Track &Number"));
    const QStringList styles{QStringLiteral("&None"), QStringLiteral("n."), QStringLiteral("[n]"),
                             QStringLiteral("<n>")};
    for (int i = 0; i < 4; ++i) {
        m_trackNumberStyles[std::size_t(i)] = AddCheck(trackNumber, styles[i]);
        OnToggle(m_trackNumberStyles[std::size_t(i)],
                 [this, i] { Q_EMIT TrackNumberStyleClick(TTrackNumberStyle(i)); });
    }

    QMenu* gauge = m_menu->addMenu(QStringLiteral("Time &Gauge"));
    connect(gauge->addAction(QStringLiteral("&Fore Color")), &QAction::triggered, this,
            &TMainMenu::ForeColorClick);
    connect(gauge->addAction(QStringLiteral("&Back Color")), &QAction::triggered, this,
            &TMainMenu::BackColorClick);
    gauge->addSeparator();
    m_invertText = AddCheck(gauge, QStringLiteral("&Invert Text"));
    OnToggle(m_invertText, [this] { Q_EMIT InvertTextClick(); });

    connect(m_menu->addAction(QStringLiteral("&Font")), &QAction::triggered, this,
            &TMainMenu::FontClick);
    m_menu->addSeparator();
    connect(m_menu->addAction(QStringLiteral("&About")), &QAction::triggered, this,
            &TMainMenu::AboutClick);
    connect(m_menu->addAction(QStringLiteral("Minimi&ze")), &QAction::triggered, this,
            &TMainMenu::MinimizeClick);
    connect(m_menu->addAction(QStringLiteral("E&xit")), &QAction::triggered, this,
            &TMainMenu::ExitClick);
}

void TMainMenu::CheckLyricsFormMode(int mode)
{
    CheckExactly(m_lyricsFormModes, mode);
}

void TMainMenu::CheckLyricsFormSync(int sync)
{
    CheckExactly(m_lyricsFormSyncs, sync);
}

void TMainMenu::CheckTrackNumberStyle(int style)
{
    CheckExactly(m_trackNumberStyles, style);
}

bool TMainMenu::LyricsFormModeChecked(TLyricsFormMode mode) const
{
    return m_lyricsFormModes[std::size_t(mode)]->isChecked();
}

void TMainMenu::EnableEditors(bool enabled)
{
    for (QAction* item : {m_dataEdit, m_lyricsEdit, m_programEdit, m_lookUpDisc})
        item->setEnabled(enabled);
}

} // namespace qlnx
