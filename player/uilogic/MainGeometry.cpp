#include "uilogic/MainGeometry.h"

namespace qlnx {

TMainLayout LayoutMainRows(const TMainLayoutInput& input)
{
    using namespace MainDesign;
    const int cw = input.Client.width();
    const int ch = input.Client.height();

    TMainLayout l;
    l.RowUnit = (ch - input.PlayButtonHeight - 8) / 4;
    l.RowWidth = cw - 16;
    l.RowHeight = l.RowUnit - 4;
    const int u = l.RowUnit;

    l.ArtistPanel = QRect(RowLeft, 4, l.RowWidth, l.RowHeight);
    l.TitlePanel = QRect(RowLeft, u + 4, l.RowWidth, l.RowHeight);
    l.TrackPanel = QRect(RowLeft, 2 * u + 4, l.RowWidth, l.RowHeight);
    l.CurTimeGauge = QRect(RowLeft, 3 * u + 4, l.RowWidth, l.RowHeight);

    l.ComboFieldHeight = l.RowHeight - 6;
    l.DriveComboPos = QPoint(cw / 2 - input.DriveComboWidth / 2, u + 4);
    l.TrackComboPos = QPoint(RowLeft, 2 * u + 4);
    l.TrackComboWidth = l.RowWidth;

    l.ButtonTop = 4 * u + 4;
    const int top = l.ButtonTop;
    auto place = [&](TMainButton b, int left, int width) {
        l.Buttons[std::size_t(b)] = QRect(left, top, width, ButtonHeight);
    };
    place(TMainButton::Play, PlayButtonLeft, PlayButtonWidth);
    place(TMainButton::Pause, PlayButtonLeft, PlayButtonWidth);
    place(TMainButton::Stop, StopButtonLeft, ButtonWidth);
    place(TMainButton::Prev, PrevButtonLeft, ButtonWidth);
    place(TMainButton::Back, BackButtonLeft, ButtonWidth);
    place(TMainButton::Forward, ForwardButtonLeft, ButtonWidth);
    place(TMainButton::Next, NextButtonLeft, ButtonWidth);
    place(TMainButton::Eject, cw - 8 - input.EjectButtonWidth, input.EjectButtonWidth);
    return l;
}

TComboMetrics ComboMetrics(int charHeight, int clientWidth)
{
    TComboMetrics m;
    m.DriveComboWidth = 2 * charHeight;
    m.DriveComboLeft = clientWidth / 2 - m.DriveComboWidth / 2;
    m.ItemHeight = charHeight;
    return m;
}

QSize MainMinimumClientSize(int stopButtonWidth, int playButtonHeight)
{
    return QSize(8 * stopButtonWidth + 16, playButtonHeight + 88);
}

int SnapMainHeight(int proposedHeight, int frameHeight, int playButtonHeight)
{
    // C++ takes the remainder's sign from the dividend, so r lies in -3..3.
    const int r = (proposedHeight - frameHeight - playButtonHeight - 8) % 4;
    if (r == 0)
        return proposedHeight;
    if (r <= 2)
        return proposedHeight - r;
    return proposedHeight + 1;
}

} // namespace qlnx
