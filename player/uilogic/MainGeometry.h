#pragma once

#include <array>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace qlnx {

// The main window's geometry as plain arithmetic, apart from any widget: the rows follow the
// client size by one rule, the buttons keep their design places, and the height snaps so that
// the four rows divide the space exactly.

// Design places and sizes that the layout keeps.
namespace MainDesign {
constexpr int RowLeft = 8;
constexpr int ButtonWidth = 20;
constexpr int ButtonHeight = 20;
constexpr int PlayButtonWidth = 40; // Play and Pause lie on top of each other
constexpr int PlayButtonLeft = 8;
constexpr int StopButtonLeft = 48;
constexpr int PrevButtonLeft = 68;
constexpr int BackButtonLeft = 88;
constexpr int ForwardButtonLeft = 108;
constexpr int NextButtonLeft = 128;
constexpr int DriveComboWidth = 24;
} // namespace MainDesign

enum class TMainButton
{
    Play,
    Pause,
    Stop,
    Prev,
    Back,
    Forward,
    Next,
    Eject,
    Count
};

// What the layout depends on besides the client size.
struct TMainLayoutInput
{
    QSize Client;
    int PlayButtonHeight = MainDesign::ButtonHeight; // the button row's height
    int DriveComboWidth = MainDesign::DriveComboWidth;
    int EjectButtonWidth = MainDesign::ButtonWidth;
};

struct TMainLayout
{
    int RowUnit = 0;   // pitch of the four rows
    int RowWidth = 0;  // client width less 8 pixels on either side
    int RowHeight = 0; // RowUnit less the 4-pixel gap
    QRect ArtistPanel;
    QRect TitlePanel;
    QRect TrackPanel;
    QRect CurTimeGauge;
    // The lists lie behind the title and track rows. Their selection field is 6 pixels less
    // tall than the row; the drive list keeps its width and is centred.
    int ComboFieldHeight = 0;
    QPoint DriveComboPos;
    QPoint TrackComboPos;
    int TrackComboWidth = 0;
    int ButtonTop = 0;
    // Every button keeps its design left and size except Eject, which keeps 8 pixels from the
    // right edge.
    std::array<QRect, std::size_t(TMainButton::Count)> Buttons;

    const QRect& Button(TMainButton b) const { return Buttons[std::size_t(b)]; }
};

TMainLayout LayoutMainRows(const TMainLayoutInput& input);

// The drive list's width and place and the list items' height for a font whose characters are
// charHeight pixels high (the negated font height).
struct TComboMetrics
{
    int DriveComboWidth = 0;
    int DriveComboLeft = 0;
    int ItemHeight = 0;
};
TComboMetrics ComboMetrics(int charHeight, int clientWidth);

// The smallest client area: room for eight Stop-sized buttons and 16 pixels, and rows of 20
// pixels pitch (the window's frame comes on top of it).
QSize MainMinimumClientSize(int stopButtonWidth, int playButtonHeight);

// The outer height the window takes instead of the proposed one, so that the client height is
// the button row, 8 pixels and a multiple of 4.
int SnapMainHeight(int proposedHeight, int frameHeight, int playButtonHeight);

} // namespace qlnx
